// The Tool menu's own dialogs.
#include "dialogs/tool_dialogs.h"

#include "operations/tools/file_statistics.h"
#include "support/qt_text.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace sonarium {

namespace {

QString itemName(int number) {
    return QStringLiteral("item%1").arg(number);
}

// OK and Help (with its item number), the way the Tool dialogs lay them out.
QDialogButtonBox* okAndHelp(COperationDialog* dialog, int helpItem) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    QPushButton* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(itemName(helpItem));
    QObject::connect(help, &QPushButton::clicked, dialog, &COperationDialog::openHelp);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &COperationDialog::accept);
    return buttons;
}

// The rate in a wave file's header, without a message; 0 when it cannot be read.
int quietSampleRate(const std::string& path) {
    SilentReporter silent;
    const WaveContext wave{silent, "", {}};
    const sonIO reader(wave, path);
    return reader.IsOpen() ? reader.sampleRate : 0;
}

constexpr int kSourceRateItem = 1711;
constexpr int kInformationTextItem = 1002;
constexpr int kPathButtonItem = 1731;
constexpr int kPathItem = 1732;
constexpr int kFirstFieldItem = 1733;
constexpr int kScanItem = 1742;

} // namespace

CSamplingRateConversionDialog::CSamplingRateConversionDialog(const OperationDecl& operation,
                                                             OperationServices services,
                                                             QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    if (auto* rate = qobject_cast<QLineEdit*>(item(kSourceRateItem)))
        rate->setText(QString::number(quietSampleRate(services_.input.source)));
}

CSplitStereoDialog::CSplitStereoDialog(const OperationDecl& operation, OperationServices services,
                                       QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    services_.nextTempPath = [this, next = services_.nextTempPath] {
        std::string path = next ? next() : std::string();
        if (left_.empty())
            left_ = path;
        return path;
    };
}

void CSplitStereoDialog::accept() {
    COperationDialog::accept();
    if (outcome() == JobOutcome::Completed && services_.addToList)
        services_.addToList(left_, 1);
}

CFileInformationDialog::CFileInformationDialog(const OperationDecl& operation,
                                               OperationServices services, QWidget* parent)
    : COperationDialog(operation, std::move(services), parent, OwnLayout{}) {
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(itemName(kInformationTextItem));
    text_->setReadOnly(true);
    layout->addWidget(text_);
    layout->addWidget(okAndHelp(this, operation.helpItem));
    resize(420, 360);
    // The text is built as the dialog opens; a file whose status cannot be read says so in it.
    runJob(operation_.defaults(), services_.input);
    QString text = qs(report());
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    text_->setPlainText(text);
}

void CFileInformationDialog::accept() {
    QDialog::accept();
}

CFileStatisticsDialog::CFileStatisticsDialog(const OperationDecl& operation,
                                             OperationServices services, QWidget* parent)
    : COperationDialog(operation, std::move(services), parent, OwnLayout{}),
      path_(qs(services_.input.source)) {
    auto* layout = new QVBoxLayout(this);
    auto* pathRow = new QHBoxLayout();
    auto* browseButton = new QPushButton(QStringLiteral("Path :"), this);
    browseButton->setObjectName(itemName(kPathButtonItem));
    pathEdit_ = new QLineEdit(path_, this);
    pathEdit_->setObjectName(itemName(kPathItem));
    pathEdit_->setReadOnly(true);
    pathRow->addWidget(browseButton);
    pathRow->addWidget(pathEdit_, 1);
    layout->addLayout(pathRow);

    auto* grid = new QGridLayout();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const int row = static_cast<int>(i);
        grid->addWidget(new QLabel(qs(kStatisticsLabels[i]), this), row, 0);
        fields_[i] = new QLineEdit(this);
        fields_[i]->setObjectName(itemName(kFirstFieldItem + row));
        fields_[i]->setReadOnly(true);
        grid->addWidget(fields_[i], row, 1);
        const char* unit = i == 6 ? "Hz" : i >= 7 ? "ms" : "";
        if (*unit != '\0')
            grid->addWidget(new QLabel(QString::fromLatin1(unit), this), row, 2);
    }
    layout->addLayout(grid);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("item1161"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    layout->addWidget(progress_);

    QDialogButtonBox* buttons = okAndHelp(this, operation.helpItem);
    QPushButton* scanButton =
        buttons->addButton(QStringLiteral("&Scan"), QDialogButtonBox::ActionRole);
    scanButton->setObjectName(itemName(kScanItem));
    layout->addWidget(buttons);

    connect(browseButton, &QPushButton::clicked, this, &CFileStatisticsDialog::browse);
    connect(scanButton, &QPushButton::clicked, this, &CFileStatisticsDialog::scan);
    QTimer::singleShot(kDelayMs, this, &CFileStatisticsDialog::scan);
}

void CFileStatisticsDialog::accept() {
    QDialog::accept();
}

void CFileStatisticsDialog::scan() {
    for (QLineEdit* field : fields_)
        field->clear();
    runJob(operation_.defaults(), JobInput{.source = path_.toStdString()});
    if (outcome() != JobOutcome::Completed)
        return;
    // The report holds one line per field: its label, a blank and the field's text.
    const QStringList lines = qs(report()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (std::size_t i = 0; i < fields_.size() && i < static_cast<std::size_t>(lines.size()); ++i)
        fields_[i]->setText(lines[static_cast<qsizetype>(i)].mid(
            static_cast<qsizetype>(kStatisticsLabels[i].size()) + 1));
}

bool CFileStatisticsDialog::choosePath(const QString& path) {
    if (!IsWaveFileUsable(services_.reporter, path.toStdString()))
        return false;
    path_ = path;
    pathEdit_->setText(path);
    QTimer::singleShot(kDelayMs, this, &CFileStatisticsDialog::scan);
    return true;
}

void CFileStatisticsDialog::browse() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Select a file to scan"), path_,
                                     QStringLiteral("Wave files (*.wav);;All files (*.*)"));
    if (!path.isEmpty())
        choosePath(path);
}

} // namespace sonarium
