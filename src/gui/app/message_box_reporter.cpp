// Message boxes for the core's reports, captioned with the program's name.
#include "app/message_box_reporter.h"

#include <QMessageBox>
#include <QPushButton>

namespace sonarium {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
    case MessageButtons::ImportCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

} // namespace

Answer MessageBoxReporter::present(const std::string& text, MessageIcon icon,
                                   MessageButtons buttons) {
    QMessageBox box(boxIcon(icon), QStringLiteral("sonarium"), QString::fromStdString(text),
                    boxButtons(buttons), parent_);
    if (buttons == MessageButtons::ImportCancel)
        box.button(QMessageBox::Ok)->setText(QStringLiteral("Import as 16-bit"));
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

} // namespace sonarium
