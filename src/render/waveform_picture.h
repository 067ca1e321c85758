// The 450 x 256 waveform picture of a scanned file, drawn the same way for the window, the printer
// and the command line's PNG output.
#pragma once

#include "display/display_scan.h"
#include "display/zoom_peaks.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

class QPainter;

namespace sonarium {

constexpr int kPictureWidth = kDisplayColumns;
constexpr int kPictureHeight = 256;
// Where the file's path is written, just under the picture.
constexpr int kPathTextX = 5;
constexpr int kPathTextY = 258;
constexpr int kScreenPathTextHeight = 14;
constexpr int kPrintedPathTextHeight = 48;

// The picture on a background colour: grid lines, then the peaks of one or both channels in
// waveColour; a file that is not 16-bit is drawn as black vertical strokes instead. An empty
// document (no channels) leaves the background alone.
// Any other size draws the same lines and tables scaled to it; at 450 x 256 it is the picture
// itself, pixel for pixel.
QImage renderWaveformPicture(const DisplaySummary& summary, const QColor& waveColour,
                             const QColor& background, QSize size = QSize(kDisplayColumns, 256));

// A zoomed part of a 16-bit file, one or two channels laid out as in the picture: either one
// range of values per pixel column, or (zoomed far in) single values at their x positions,
// drawn as points joined by lines.
struct ZoomedWave {
    int channels = 1;
    std::array<std::vector<SampleRange>, 2> columns;
    bool points = false;
    std::vector<double> x;                           // pixel of each value, when points
    std::array<std::vector<std::int16_t>, 2> values; // per channel, when points
};

// The zoomed wave with the picture's grid, scaled to size.
QImage renderZoomedPicture(const ZoomedWave& wave, const QColor& waveColour,
                           const QColor& background, QSize size);

// Inverts the colours of the columns [first, last) over the image's whole height: the selection.
void invertColumns(QImage& image, int first, int last);

// The normal-weight sans-serif font of the path text, pixelHeight pixels high (Arial, or a font
// with the same metrics where Arial is missing).
QFont pathTextFont(int pixelHeight);

// Writes the path with its top-left corner at (5, top), by default just under the picture.
void drawPathText(QPainter& painter, const QString& path, const QColor& colour, int pixelHeight,
                  int top = kPathTextY);

} // namespace sonarium
