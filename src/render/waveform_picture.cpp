// Rendering of the waveform picture.
#include "render/waveform_picture.h"

#include <QPainter>
#include <QPolygon>

namespace sonarium {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

void horizontalLines(QPainter& painter, const QColor& colour, std::initializer_list<int> rows) {
    painter.setPen(QPen(colour, 0));
    for (int y : rows)
        painter.drawLine(0, y, kPictureWidth - 1, y);
}

// Signed halving that rounds toward zero, as integer division does.
int half(std::int8_t value) {
    return value / 2;
}

// A column that read no data (its maximum still below its minimum) is drawn as silence, not as
// a stroke across the whole height.
PeakPair drawable(const PeakPair& pair) {
    return pair.max < pair.min ? PeakPair{0, 0} : pair;
}

void drawMono(QPainter& painter, const DisplaySummary& summary, const QColor& waveColour) {
    horizontalLines(painter, kGrey, {63, 191});
    horizontalLines(painter, kYellow, {126, 128, 1, 254});
    horizontalLines(painter, kRed, {0, 255});
    const PeakTable& peaks = summary.channel1;
    QPolygon line;
    line.reserve(2 * kDisplayColumns + 1);
    line << QPoint(0, 127 - drawable(peaks[0]).max);
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair p = drawable(peaks[static_cast<std::size_t>(x)]);
        line << QPoint(x, 127 - p.max) << QPoint(x, 127 - p.min);
    }
    painter.setPen(QPen(waveColour, 0));
    painter.drawPolyline(line);
    horizontalLines(painter, kRed, {127});
}

void drawStereo(QPainter& painter, const DisplaySummary& summary, const QColor& waveColour) {
    horizontalLines(painter, kGrey, {31, 95, 159, 223});
    horizontalLines(painter, kYellow, {62, 64, 190, 192, 1, 254, 126, 129});
    horizontalLines(painter, kRed, {0, 255, 127, 128});
    painter.setPen(QPen(waveColour, 0));

    // Channel 2 in the lower half, left to right.
    QPolygon lower;
    lower.reserve(2 * kDisplayColumns + 1);
    lower << QPoint(0, 191 - half(drawable(summary.channel2[0]).max));
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair p = drawable(summary.channel2[static_cast<std::size_t>(x)]);
        lower << QPoint(x, 191 - half(p.max)) << QPoint(x, 191 - half(p.min));
    }
    painter.drawPolyline(lower);

    // Channel 1 in the upper half, right to left.
    QPolygon upper;
    upper.reserve(2 * kDisplayColumns + 1);
    upper << QPoint(kDisplayColumns - 1,
                    63 - half(drawable(summary.channel1[kDisplayColumns - 1]).max));
    for (int x = kDisplayColumns - 1; x >= 0; --x) {
        const PeakPair p = drawable(summary.channel1[static_cast<std::size_t>(x)]);
        upper << QPoint(x, 63 - half(p.max)) << QPoint(x, 63 - half(p.min));
    }
    painter.drawPolyline(upper);
    horizontalLines(painter, kRed, {63, 191});
}

// Files of other sample sizes: one stroke per column between the extremes taken as 0..255.
void drawStrokes(QPainter& painter, const DisplaySummary& summary) {
    painter.setPen(QPen(Qt::black, 0));
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair& p = summary.channel1[static_cast<std::size_t>(x)];
        if (p.max < p.min)
            continue;
        painter.drawLine(x, static_cast<std::uint8_t>(p.max), x, static_cast<std::uint8_t>(p.min));
    }
}

} // namespace

QImage renderWaveformPicture(const DisplaySummary& summary, const QColor& waveColour,
                             const QColor& background) {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(background);
    if (summary.channels == 0)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (summary.bitsPerSample != 16)
        drawStrokes(painter, summary);
    else if (summary.channels == 2)
        drawStereo(painter, summary, waveColour);
    else
        drawMono(painter, summary, waveColour);
    return image;
}

void invertColumns(QImage& image, int first, int last) {
    first = std::clamp(first, 0, image.width());
    last = std::clamp(last, first, image.width());
    const int rows = std::min(image.height(), kPictureHeight);
    for (int y = 0; y < rows; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = first; x < last; ++x)
            line[x] ^= 0x00FFFFFFU;
    }
}

QFont pathTextFont(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Normal);
    return font;
}

void drawPathText(QPainter& painter, const QString& path, const QColor& colour, int pixelHeight) {
    painter.save();
    painter.setFont(pathTextFont(pixelHeight));
    painter.setPen(colour);
    painter.drawText(QRect(kPathTextX, kPathTextY, 100000, pixelHeight * 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, path);
    painter.restore();
}

} // namespace sonarium
