// Zoom and scroll arithmetic of a waveform view.
#include "display/view_span.h"

#include <algorithm>
#include <cmath>

namespace sonarium {

ViewSpan::ViewSpan(std::uint64_t totalFrames, int width)
    : totalFrames_(totalFrames), width_(std::max(width, 1)) {
    fit();
}

void ViewSpan::setWidth(int width) {
    width_ = std::max(width, 1);
    if (!zoomed_) {
        fit();
        return;
    }
    // A window wide enough for the whole file at this zoom shows it whole.
    if (visibleFrames() >= static_cast<double>(totalFrames_))
        fit();
    else
        clampStart();
}

void ViewSpan::fit() {
    zoomed_ = false;
    start_ = 0.0;
    framesPerPixel_ = totalFrames_ > 0 ? static_cast<double>(totalFrames_) / width_ : 1.0;
}

void ViewSpan::zoomAround(double x, double factor) {
    if (!(factor > 0.0) || totalFrames_ == 0)
        return;
    const double whole = static_cast<double>(totalFrames_) / width_;
    const double next = std::max(framesPerPixel_ / factor, kMinFramesPerPixel);
    if (next >= whole) {
        fit();
        return;
    }
    const double anchor = frameAt(x);
    framesPerPixel_ = next;
    start_ = anchor - x * next;
    zoomed_ = true;
    clampStart();
}

void ViewSpan::zoomTo(double first, double last) {
    if (totalFrames_ == 0)
        return;
    first = std::max(first, 0.0);
    last = std::min(last, static_cast<double>(totalFrames_));
    const double frames = std::max(last - first, kMinFramesPerPixel * width_);
    if (frames >= static_cast<double>(totalFrames_)) {
        fit();
        return;
    }
    framesPerPixel_ = frames / width_;
    start_ = first;
    zoomed_ = true;
    clampStart();
}

void ViewSpan::scrollTo(double first) {
    if (!zoomed_)
        return;
    start_ = first;
    clampStart();
}

void ViewSpan::clampStart() {
    const double last = std::max(static_cast<double>(totalFrames_) - visibleFrames(), 0.0);
    start_ = std::clamp(start_, 0.0, last);
}

std::uint32_t offsetAtPixel(const ViewSpan& span, double x, std::uint32_t dataSize, int channels) {
    const std::uint64_t frameBytes = 2U * static_cast<std::uint64_t>(std::max(channels, 1));
    std::uint64_t offset = 0;
    if (!span.zoomed()) {
        const auto column =
            static_cast<std::uint64_t>(std::clamp(std::floor(x), 0.0, double(span.width())));
        offset = std::uint64_t{dataSize} * column / static_cast<std::uint64_t>(span.width());
    } else {
        const double frame =
            std::clamp(std::floor(span.frameAt(x)), 0.0, static_cast<double>(span.totalFrames()));
        offset = std::min<std::uint64_t>(static_cast<std::uint64_t>(frame) * frameBytes, dataSize);
    }
    return static_cast<std::uint32_t>(offset - offset % frameBytes);
}

ColumnSpan selectionPixels(const ViewSpan& span, Selection selection, std::uint32_t dataSize,
                           int channels) {
    const int width = span.width();
    if (!span.zoomed()) {
        auto column = [&](std::uint32_t offset) {
            if (dataSize == 0)
                return 0;
            const std::uint64_t x =
                std::uint64_t{offset} * static_cast<std::uint64_t>(width) / dataSize;
            return static_cast<int>(std::min<std::uint64_t>(x, static_cast<std::uint64_t>(width)));
        };
        return {selection.start == 0 ? 0 : column(selection.start),
                selection.end == dataSize ? width : column(selection.end)};
    }
    const double frameBytes = 2.0 * std::max(channels, 1);
    auto pixel = [&](std::uint32_t offset) {
        return std::clamp(span.pixelOf(offset / frameBytes), -1.0, width + 1.0);
    };
    const double from = pixel(selection.start);
    const double to = pixel(selection.end);
    ColumnSpan out{std::clamp(static_cast<int>(std::floor(from)), 0, width),
                   std::clamp(static_cast<int>(std::ceil(to)), 0, width)};
    // A selection narrower than a pixel still shows, where it lies inside the view.
    if (selection.end > selection.start && out.last <= out.first && from < width && to > 0)
        out.last = std::min(out.first + 1, width);
    return out;
}

} // namespace sonarium
