// Selections of a waveform window: mouse positions to data offsets and the effect of each mouse
// gesture.
#pragma once

#include <cstdint>

namespace sonarium {

// Byte offsets into the sample data; start 0 and end dataSize mean "nothing marked".
struct Selection {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    bool operator==(const Selection&) const = default;
};

enum class Gesture {
    Left,            // moves the start, or extends past the end
    ShiftLeft,       // moves the whole selection to start at the pointer
    Right,           // moves the end, or extends before the start
    ShiftRight,      // moves the whole selection to end at the pointer
    LeftDoubleClick, // start of the file
    RightDoubleClick // end of the file
};

// The byte offset under column x of the picture: x is limited to 0..450, the offset is
// dataSize * x / 450 rounded down to a whole frame of `channels` 16-bit values.
std::uint32_t offsetAtColumn(int x, std::uint32_t dataSize, int channels);

Selection applyGesture(Selection current, Gesture gesture, std::uint32_t offset,
                       std::uint32_t dataSize);

// The columns [first, last) shown inverted for a selection.
struct ColumnSpan {
    int first = 0;
    int last = 0;
};
ColumnSpan selectionColumns(Selection selection, std::uint32_t dataSize);

inline bool hasSelection(Selection selection, std::uint32_t dataSize) {
    return selection.start != 0 || selection.end != dataSize;
}

} // namespace sonarium
