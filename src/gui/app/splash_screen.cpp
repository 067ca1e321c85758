// The splash's picture, its timer and the click or key that ends it early.
#include "app/splash_screen.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QVBoxLayout>

namespace sonarium {

SplashScreen::SplashScreen(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("splash"));
    setWindowTitle(QStringLiteral("sonarium"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QPixmap picture(420, 180);
    picture.fill(QColor(24, 30, 48));
    QPainter painter(&picture);
    painter.setPen(QColor(200, 210, 240));
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(42);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(picture.rect(), Qt::AlignCenter, QStringLiteral("sonarium"));
    painter.end();
    auto* label = new QLabel(this);
    label->setPixmap(picture);
    // A click anywhere or any key, whichever part of the splash receives it.
    label->installEventFilter(this);
    installEventFilter(this);
    layout->addWidget(label);
    setFocusPolicy(Qt::StrongFocus);
}

void SplashScreen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QTimer::singleShot(kShownMs, this, &QDialog::accept);
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
        accept();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace sonarium
