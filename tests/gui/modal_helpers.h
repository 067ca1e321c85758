// Acting on the modal boxes an editor command opens: they appear inside exec(), so the action is
// queued before the command and runs once the box is up.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <functional>

// Runs action on the next modal widget that appears (polling, since it appears inside exec()).
inline void whenModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

// Clicks the button of box whose text, mnemonic removed, is text; fails the test without one.
inline void clickButton(QWidget* box, const QString& text) {
    for (auto* button : box->findChildren<QAbstractButton*>())
        if (button->text().remove(QLatin1Char('&')) == text) {
            button->click();
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}
