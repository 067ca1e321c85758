// Rendering of the waveform picture.
#include "render/waveform_picture.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

namespace sonarium {

namespace {

const QColor kGrey(128, 128, 128);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

// The picture's coordinates (450 x 256) to those of an image of another size.
struct Scale {
    double sx = 1.0;
    double sy = 1.0;
    int width = kPictureWidth;
    int height = kPictureHeight;

    explicit Scale(QSize size)
        : sx(size.width() / double(kPictureWidth)), sy(size.height() / double(kPictureHeight)),
          width(size.width()), height(size.height()) {}
    int y(double pictureY) const {
        return std::clamp(static_cast<int>(std::lround(pictureY * sy)), 0, height - 1);
    }
    QPoint point(double pictureX, double pictureY) const {
        return QPoint(static_cast<int>(std::lround(pictureX * sx)), y(pictureY));
    }
};

void horizontalLines(QPainter& painter, const Scale& scale, const QColor& colour,
                     std::initializer_list<int> rows) {
    painter.setPen(QPen(colour, 0));
    for (int y : rows)
        painter.drawLine(0, scale.y(y), scale.width - 1, scale.y(y));
}

void monoGrid(QPainter& painter, const Scale& scale) {
    horizontalLines(painter, scale, kGrey, {63, 191});
    horizontalLines(painter, scale, kYellow, {126, 128, 1, 254});
    horizontalLines(painter, scale, kRed, {0, 255});
}

void stereoGrid(QPainter& painter, const Scale& scale) {
    horizontalLines(painter, scale, kGrey, {31, 95, 159, 223});
    horizontalLines(painter, scale, kYellow, {62, 64, 190, 192, 1, 254, 126, 129});
    horizontalLines(painter, scale, kRed, {0, 255, 127, 128});
}

// The red lines drawn over the waveform: the centre of each channel.
void centreLines(QPainter& painter, const Scale& scale, int channels) {
    if (channels == 2)
        horizontalLines(painter, scale, kRed, {63, 191});
    else
        horizontalLines(painter, scale, kRed, {127});
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

void drawMono(QPainter& painter, const Scale& scale, const DisplaySummary& summary,
              const QColor& waveColour) {
    monoGrid(painter, scale);
    const PeakTable& peaks = summary.channel1;
    QPolygon line;
    line.reserve(2 * kDisplayColumns + 1);
    line << scale.point(0, 127 - drawable(peaks[0]).max);
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair p = drawable(peaks[static_cast<std::size_t>(x)]);
        line << scale.point(x, 127 - p.max) << scale.point(x, 127 - p.min);
    }
    painter.setPen(QPen(waveColour, 0));
    painter.drawPolyline(line);
    centreLines(painter, scale, 1);
}

void drawStereo(QPainter& painter, const Scale& scale, const DisplaySummary& summary,
                const QColor& waveColour) {
    stereoGrid(painter, scale);
    painter.setPen(QPen(waveColour, 0));

    // Channel 2 in the lower half, left to right.
    QPolygon lower;
    lower.reserve(2 * kDisplayColumns + 1);
    lower << scale.point(0, 191 - half(drawable(summary.channel2[0]).max));
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair p = drawable(summary.channel2[static_cast<std::size_t>(x)]);
        lower << scale.point(x, 191 - half(p.max)) << scale.point(x, 191 - half(p.min));
    }
    painter.drawPolyline(lower);

    // Channel 1 in the upper half, right to left.
    QPolygon upper;
    upper.reserve(2 * kDisplayColumns + 1);
    upper << scale.point(kDisplayColumns - 1,
                         63 - half(drawable(summary.channel1[kDisplayColumns - 1]).max));
    for (int x = kDisplayColumns - 1; x >= 0; --x) {
        const PeakPair p = drawable(summary.channel1[static_cast<std::size_t>(x)]);
        upper << scale.point(x, 63 - half(p.max)) << scale.point(x, 63 - half(p.min));
    }
    painter.drawPolyline(upper);
    centreLines(painter, scale, 2);
}

// Files of other sample sizes: one stroke per column between the extremes taken as 0..255.
void drawStrokes(QPainter& painter, const Scale& scale, const DisplaySummary& summary) {
    painter.setPen(QPen(Qt::black, 0));
    for (int x = 0; x < kDisplayColumns; ++x) {
        const PeakPair& p = summary.channel1[static_cast<std::size_t>(x)];
        if (p.max < p.min)
            continue;
        painter.drawLine(scale.point(x, static_cast<std::uint8_t>(p.max)),
                         scale.point(x, static_cast<std::uint8_t>(p.min)));
    }
}

// Where a value of a channel lies in the picture's coordinates: the whole height for a mono
// file, each half for a stereo one, as the peak tables are drawn.
double pictureY(int channels, int channel, double value) {
    if (channels != 2)
        return 127.0 - value / 256.0;
    return (channel == 0 ? 63.0 : 191.0) - value / 512.0;
}

void drawZoomedColumns(QPainter& painter, const Scale& scale, const ZoomedWave& wave, int channel) {
    const std::vector<SampleRange>& columns = wave.columns[static_cast<std::size_t>(channel)];
    QPolygon line;
    auto flush = [&] {
        if (line.size() > 1)
            painter.drawPolyline(line);
        line.clear();
    };
    for (std::size_t x = 0; x < columns.size(); ++x) {
        const SampleRange& range = columns[x];
        if (range.empty()) {
            flush();
            continue;
        }
        const int px = static_cast<int>(x);
        line << QPoint(px, scale.y(pictureY(wave.channels, channel, range.max)))
             << QPoint(px, scale.y(pictureY(wave.channels, channel, range.min)));
    }
    flush();
}

void drawZoomedPoints(QPainter& painter, const Scale& scale, const ZoomedWave& wave, int channel) {
    const std::vector<std::int16_t>& values = wave.values[static_cast<std::size_t>(channel)];
    const std::size_t count = std::min(values.size(), wave.x.size());
    QPolygon line;
    line.reserve(static_cast<qsizetype>(count));
    for (std::size_t i = 0; i < count; ++i)
        line << QPoint(static_cast<int>(std::lround(wave.x[i])),
                       scale.y(pictureY(wave.channels, channel, values[i])));
    painter.drawPolyline(line);
    // Dots on the values once they stand apart.
    if (count > 1 && wave.x[1] - wave.x[0] >= 4.0) {
        const QBrush brush = painter.pen().color();
        for (const QPoint& p : line)
            painter.fillRect(p.x() - 1, p.y() - 1, 3, 3, brush);
    }
}

} // namespace

QImage renderWaveformPicture(const DisplaySummary& summary, const QColor& waveColour,
                             const QColor& background, QSize size) {
    size = size.expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    if (summary.channels == 0)
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const Scale scale(size);
    if (summary.bitsPerSample != 16)
        drawStrokes(painter, scale, summary);
    else if (summary.channels == 2)
        drawStereo(painter, scale, summary, waveColour);
    else
        drawMono(painter, scale, summary, waveColour);
    return image;
}

QImage renderZoomedPicture(const ZoomedWave& wave, const QColor& waveColour,
                           const QColor& background, QSize size) {
    size = size.expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const Scale scale(size);
    const int channels = wave.channels == 2 ? 2 : 1;
    if (channels == 2)
        stereoGrid(painter, scale);
    else
        monoGrid(painter, scale);
    painter.setPen(QPen(waveColour, 0));
    for (int channel = 0; channel < channels; ++channel) {
        if (wave.points)
            drawZoomedPoints(painter, scale, wave, channel);
        else
            drawZoomedColumns(painter, scale, wave, channel);
    }
    centreLines(painter, scale, channels);
    return image;
}

void invertColumns(QImage& image, int first, int last) {
    first = std::clamp(first, 0, image.width());
    last = std::clamp(last, first, image.width());
    for (int y = 0; y < image.height(); ++y) {
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

void drawPathText(QPainter& painter, const QString& path, const QColor& colour, int pixelHeight,
                  int top) {
    painter.save();
    painter.setFont(pathTextFont(pixelHeight));
    painter.setPen(colour);
    painter.drawText(QRect(kPathTextX, top, 100000, pixelHeight * 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, path);
    painter.restore();
}

} // namespace sonarium
