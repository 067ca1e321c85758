// Which frames of a file a waveform view shows across its width, and the zoom and scroll
// arithmetic over them. Unzoomed, the view shows the whole file from the 450-column tables.
#pragma once

#include "display/selection.h"

#include <cstdint>

namespace sonarium {

class ViewSpan {
public:
    // Closest zoom: 64 pixels per frame.
    static constexpr double kMinFramesPerPixel = 1.0 / 64.0;

    ViewSpan() = default;
    ViewSpan(std::uint64_t totalFrames, int width);

    std::uint64_t totalFrames() const { return totalFrames_; }
    int width() const { return width_; }
    bool zoomed() const { return zoomed_; }
    // The frame at the left edge, and how many frames a pixel column covers.
    double start() const { return start_; }
    double framesPerPixel() const { return framesPerPixel_; }
    double visibleFrames() const { return framesPerPixel_ * width_; }

    // A new width keeps the zoom and the left edge (the whole file, unzoomed).
    void setWidth(int width);
    // The whole file.
    void fit();
    // factor > 1 zooms in, < 1 out, keeping the frame under pixel x where it is. Zooming out to
    // the whole file or beyond is fit().
    void zoomAround(double x, double factor);
    // Shows the frames [first, last) across the width (fit() for the whole file or more).
    void zoomTo(double first, double last);
    // Moves the left edge, kept inside the file.
    void scrollTo(double first);

    // The frame position under pixel x (fractional), and the pixel of a frame position.
    double frameAt(double x) const { return start_ + x * framesPerPixel_; }
    double pixelOf(double frame) const { return (frame - start_) / framesPerPixel_; }

private:
    void clampStart();

    std::uint64_t totalFrames_ = 0;
    int width_ = 1;
    double start_ = 0.0;
    double framesPerPixel_ = 1.0;
    bool zoomed_ = false;
};

// The byte offset of a selection boundary at pixel x. Unzoomed: dataSize * x / width with x
// limited to 0..width (at width 450, the picture's own rule); zoomed: the frame under x, limited
// to the file. Rounded down to a whole frame.
std::uint32_t offsetAtPixel(const ViewSpan& span, double x, std::uint32_t dataSize, int channels);

// The pixel columns [first, last) shown inverted for a selection: unzoomed, the 450-column rule
// at the view's width; zoomed, the columns the selected frames fall in, at least one.
ColumnSpan selectionPixels(const ViewSpan& span, Selection selection, std::uint32_t dataSize,
                           int channels);

} // namespace sonarium
