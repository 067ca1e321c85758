// What every dialog of the program gets without asking: F1 presses its Help button, and a
// dialog first shows wide enough for its whole title.
#pragma once

#include <QObject>

class QAbstractButton;
class QDialog;

namespace sonarium {

class DialogWatch final : public QObject {
    Q_OBJECT

public:
    // Watches every dialog of the application while it exists.
    explicit DialogWatch(QObject* parent = nullptr);

    // The width a window needs for its title in the title bar: the text in a bold title font
    // with room for the icon and the window's buttons.
    static int titleWidth(const QString& title);
    // The dialog's Help button, or nullptr.
    static QAbstractButton* helpButton(QDialog& dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace sonarium
