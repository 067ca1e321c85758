// The splash shown at start-up: the program's name on a dark picture. It closes by itself after
// two seconds, or at the first click or key, whichever comes first.
#pragma once

#include <QDialog>

namespace sonarium {

class SplashScreen final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kShownMs = 2000;

    explicit SplashScreen(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace sonarium
