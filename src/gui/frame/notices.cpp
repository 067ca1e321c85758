// Small fixed dialogs of the main window, built on QMessageBox with the system's own texts.
#include "frame/notices.h"

#include <QMessageBox>
#include <QPushButton>

namespace sonarium {

void showOperationInterrupted(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Operation Interrupted"),
                    QString::fromLatin1(kOperationInterruptedText), QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("operationInterrupted"));
    box.exec();
}

bool askConfirmation(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("confirmation"));
    QPushButton* confirm = box.addButton(QStringLiteral("Confirm"), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == confirm;
}

void showCompleted(QWidget* parent) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Completed"),
                    QStringLiteral("Completed"), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("completed"));
    box.exec();
}

QString clearTemporaryDirectoryQuestion(const QString& directory) {
    return QStringLiteral("The temporary directory\n\"%1\"\nis about to be cleared.\n\nDo you "
                          "confirm deletion for every audio file?")
        .arg(directory);
}

} // namespace sonarium
