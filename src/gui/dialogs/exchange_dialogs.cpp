// Layout and buttons of the MP3 batch confirmation.
#include "dialogs/exchange_dialogs.h"

#include "support/launcher.h"
#include "workspace/audio_root.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace sonarium {

CConfirmMp3BatchDialog::CConfirmMp3BatchDialog(std::string helpLanguage, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("CConfirmMp3BatchDialog"));
    setWindowTitle(QStringLiteral("Confirm mp3 batch conversion"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout();
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    auto* text = new QLabel(QString::fromLatin1(kText), this);
    text->setObjectName(QStringLiteral("text"));
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(this);
    confirm_ = buttons->addButton(QStringLiteral("Confirm"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    help_ = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    cancel_->setDefault(true);
    cancel_->setAutoDefault(true);
    confirm_->setAutoDefault(false);
    help_->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this,
            [language = std::move(helpLanguage)] { openHelpPage(kHelpCode, language); });
    layout->addWidget(buttons);
}

} // namespace sonarium
