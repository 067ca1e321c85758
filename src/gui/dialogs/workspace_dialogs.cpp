// Layout and buttons of the Output Pathname and History dialogs.
#include "dialogs/workspace_dialogs.h"

#include "support/launcher.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace sonarium {

namespace {

QPushButton* addHelp(QDialogButtonBox* buttons, int item, const char* code, Reporter& reporter,
                     const std::string& language) {
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("item%1").arg(item));
    QObject::connect(help, &QPushButton::clicked, help,
                     [code, &reporter, language] { openHelpPage(reporter, code, language); });
    return help;
}

} // namespace

COutputPathnameDialog::COutputPathnameDialog(const QString& outputDir, Reporter& reporter,
                                             std::string helpLanguage, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("COutputPathnameDialog"));
    setWindowTitle(QStringLiteral("Output Pathname"));
    auto* layout = new QVBoxLayout(this);
    edit_ = new QLineEdit(outputDir, this);
    edit_->setObjectName(QStringLiteral("item1092"));
    edit_->setMinimumWidth(360);
    auto* label = new QLabel(QStringLiteral("&Standard output pathname :"), this);
    label->setBuddy(edit_);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("item1179"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(
            this, QStringLiteral("Select a folder for your temporary files."), edit_->text());
        if (!folder.isEmpty())
            edit_->setText(QString::fromStdString(withTrailingSeparator(folder.toStdString())));
    });
    auto* row = new QHBoxLayout();
    row->addWidget(edit_);
    row->addWidget(browse);
    layout->addWidget(label);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    addHelp(buttons, 1093, "TOOPRE_1.2", reporter, helpLanguage);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString COutputPathnameDialog::pathText() const {
    return edit_->text();
}

CHistoryDialog::CHistoryDialog(const QString& text, Reporter& reporter, std::string helpLanguage,
                               QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CHistoryDialog"));
    setWindowTitle(QStringLiteral("History 1.0"));
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("item1002"));
    text_->setReadOnly(true);
    // Lines are selected with the mouse or the keyboard and copied (Ctrl+C, the context menu).
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    addHelp(buttons, 1345, "TOOHIS_1.0", reporter, helpLanguage);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(760, 360);
}

} // namespace sonarium
