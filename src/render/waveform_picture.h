// The 450 x 256 waveform picture of a scanned file, drawn the same way for the window, the printer
// and the command line's PNG output.
#pragma once

#include "display/display_scan.h"

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
QImage renderWaveformPicture(const DisplaySummary& summary, const QColor& waveColour,
                             const QColor& background);

// Inverts the colours of the columns [first, last) over the whole height: the selection.
void invertColumns(QImage& image, int first, int last);

// The normal-weight sans-serif font of the path text, pixelHeight pixels high (Arial, or a font
// with the same metrics where Arial is missing).
QFont pathTextFont(int pixelHeight);

// Writes the path with its top-left corner at (5, 258).
void drawPathText(QPainter& painter, const QString& path, const QColor& colour, int pixelHeight);

} // namespace sonarium
