// The open dialog's Autoplay preview: stop on every click, key press, folder change and close;
// play the newly selected file when the box is checked.
#include "playback/custom_file_dialog.h"

#include "operations/exchange/audio_exchange.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>

namespace sonarium {

CCustomFileDialog::CCustomFileDialog(Reporter& reporter, const QString& title, QWidget* parent)
    : QFileDialog(parent, title), player_(reporter) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setDefaultSuffix(QStringLiteral("wav"));
    // Wave files first; every format the sound file library reads is offered for import.
    QStringList patterns;
    for (const std::string& extension : readableAudioExtensions())
        patterns << QStringLiteral("*.") + QString::fromStdString(extension);
    setNameFilters({QStringLiteral("Wave Files (*.wav)"),
                    QStringLiteral("Audio Files (%1)").arg(patterns.join(QLatin1Char(' '))),
                    QStringLiteral("All Files (*)")});

    autoplay_ = new QCheckBox(QStringLiteral("Autoplay"), this);
    autoplay_->setObjectName(QStringLiteral("item103"));
    autoplay_->setChecked(true);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(autoplay_, grid->rowCount(), 0, 1, 1, Qt::AlignLeft | Qt::AlignTop);

    connect(this, &QFileDialog::currentChanged, this, &CCustomFileDialog::onSelectionChanged);
    connect(this, &QFileDialog::directoryEntered, this, [this] { player_.StopPlaying(); });
    connect(autoplay_, &QCheckBox::clicked, this, &CCustomFileDialog::onAutoplayClicked);

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

bool CCustomFileDialog::isPreviewable(const QString& path) {
    const QFileInfo info(path);
    return info.suffix() == QLatin1String("wav") && info.isFile() && info.isReadable() &&
           info.size() > 100;
}

void CCustomFileDialog::preview(const QString& path) {
    if (!isPreviewable(path))
        return;
    emit previewStarted(path);
    player_.PlayFile(path);
}

void CCustomFileDialog::onSelectionChanged(const QString& path) {
    current_ = path;
    if (!autoplay_->isChecked())
        return;
    player_.StopPlaying();
    preview(path);
}

void CCustomFileDialog::onAutoplayClicked(bool checked) {
    if (!checked) {
        player_.StopPlaying();
        return;
    }
    preview(current_);
}

bool CCustomFileDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
        player_.StopPlaying();
    return QFileDialog::eventFilter(watched, event);
}

void CCustomFileDialog::done(int result) {
    player_.StopPlaying();
    QFileDialog::done(result);
}

} // namespace sonarium
