// A quiet picture behind the waveform windows: a faint wave across a dark gradient, drawn to the
// area's size.
#include "frame/client_area.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace sonarium {

ClientArea::ClientArea(bool picture, QWidget* parent) : QMdiArea(parent), picture_(picture) {
    setObjectName(QStringLiteral("mdiArea"));
    setBackground(QColor(96, 96, 104));
}

void ClientArea::paintEvent(QPaintEvent* event) {
    if (!picture_) {
        QMdiArea::paintEvent(event);
        return;
    }
    QPainter painter(viewport());
    const QRectF area = viewport()->rect();
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, QColor(40, 48, 72));
    gradient.setColorAt(1, QColor(18, 22, 34));
    painter.fillRect(area, gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath wave;
    const double mid = area.height() / 2;
    const double height = area.height() / 6;
    for (int x = 0; x <= int(area.width()); x += 2) {
        const double t = x / std::max(1.0, area.width());
        const double y = mid + height * std::sin(t * 6.283 * 3) * std::sin(t * 3.1416) +
                         height / 3.5 * std::sin(t * 6.283 * 17);
        if (x == 0)
            wave.moveTo(x, y);
        else
            wave.lineTo(x, y);
    }
    painter.setPen(QPen(QColor(90, 110, 160, 120), 2));
    painter.drawPath(wave);
}

} // namespace sonarium
