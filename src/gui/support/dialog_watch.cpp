// The application-wide filter behind the dialogs' F1 key and title widths.
#include "support/dialog_watch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>

namespace sonarium {

namespace {

// Room a title bar takes besides its text: the window icon, the minimise, maximise and close
// buttons and the margins between them.
constexpr int kTitleBarAllowance = 160;

} // namespace

DialogWatch::DialogWatch(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

int DialogWatch::titleWidth(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarAllowance;
}

QAbstractButton* DialogWatch::helpButton(QDialog& dialog) {
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QDialogButtonBox::HelpRole)
                return button;
    return dialog.findChild<QAbstractButton*>(QStringLiteral("help"));
}

bool DialogWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        watched->isWidgetType()) {
        auto* dialog = qobject_cast<QDialog*>(static_cast<QWidget*>(watched)->window());
        if (dialog != nullptr) {
            QAbstractButton* help = helpButton(*dialog);
            if (help != nullptr && help->isEnabled() && help->isVisible()) {
                help->click();
                return true;
            }
        }
    } else if (event->type() == QEvent::Show) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog != nullptr && dialog->isWindow() && !dialog->windowTitle().isEmpty()) {
            const int needed = titleWidth(dialog->windowTitle());
            if (dialog->width() < needed && dialog->maximumWidth() >= needed)
                dialog->resize(needed, dialog->height());
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace sonarium
