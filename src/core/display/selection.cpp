// Selection arithmetic of the waveform window.
#include "display/selection.h"

#include "display/read_plan.h"

#include <algorithm>

namespace sonarium {

std::uint32_t offsetAtColumn(int x, std::uint32_t dataSize, int channels) {
    x = std::clamp(x, 0, kDisplayColumns);
    const std::uint64_t offset =
        std::uint64_t{dataSize} * static_cast<std::uint64_t>(x) / kDisplayColumns;
    const std::uint64_t frame = 2U * static_cast<std::uint64_t>(std::max(channels, 1));
    return static_cast<std::uint32_t>(offset - offset % frame);
}

Selection applyGesture(Selection current, Gesture gesture, std::uint32_t offset,
                       std::uint32_t dataSize) {
    Selection next = current;
    const std::uint32_t length = current.end >= current.start ? current.end - current.start : 0;
    switch (gesture) {
    case Gesture::Left:
        if (offset < current.end) {
            next.start = offset;
        } else {
            next.start = current.end;
            next.end = offset;
        }
        break;
    case Gesture::ShiftLeft:
        next.start = offset;
        next.end = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{offset} + length, dataSize));
        break;
    case Gesture::Right:
        if (current.start < offset) {
            next.end = offset;
        } else {
            next.end = current.start;
            next.start = offset;
        }
        break;
    case Gesture::ShiftRight:
        next.end = offset;
        next.start = offset < length ? 0 : offset - length;
        break;
    case Gesture::LeftDoubleClick:
        next.start = 0;
        break;
    case Gesture::RightDoubleClick:
        next.end = dataSize;
        break;
    }
    return next;
}

ColumnSpan selectionColumns(Selection selection, std::uint32_t dataSize) {
    auto column = [dataSize](std::uint32_t offset) {
        if (dataSize == 0)
            return 0;
        const std::uint64_t x = std::uint64_t{offset} * kDisplayColumns / dataSize;
        return static_cast<int>(std::min<std::uint64_t>(x, kDisplayColumns));
    };
    ColumnSpan span;
    span.first = selection.start == 0 ? 0 : column(selection.start);
    span.last = selection.end == dataSize ? kDisplayColumns : column(selection.end);
    return span;
}

} // namespace sonarium
