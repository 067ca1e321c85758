// Positions of the selection edits: typed seconds to byte offsets of the data and back, and
// selections in frames to byte spans, all for one source's format.
#pragma once

#include "jobs/job_input.h"
#include "wavefile/sonio.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sonarium {

// The number a seconds field holds: leading blanks skipped, then the longest prefix that reads
// as a decimal number (with "." as the point whatever the locale, an optional exponent, or
// "inf"/"nan"); 0 when there is none. What follows the number is ignored.
double parseSeconds(std::string_view text);

// The format a source's positions are converted with: B = bits / 8, C channels, R Hz.
struct EditFormat {
    std::uint32_t bytesPerValue = 2; // B
    std::uint32_t channels = 1;      // C
    std::uint32_t rate = 44100;      // R
    std::uint32_t dataSize = 0;      // bytes of data

    static EditFormat of(const sonIO& source);
    // A frame as the waveform view aligns selections: channels × 2 bytes.
    std::uint32_t frameBytes() const { return 2 * channels; }
    std::uint32_t toFrame(std::uint32_t offset) const { return offset - offset % frameBytes(); }
};

// seconds × B × C × R in double precision, held inside 0 .. dataSize before it is truncated
// (negative and NaN give 0, past the end and +inf give dataSize).
std::uint32_t SecondsToOffset(std::string_view text, const EditFormat& format);
// The same for an end field, where an empty text (the field left at its default) is the end of
// the data exactly.
std::uint32_t endOffset(std::string_view text, const EditFormat& format);

// A length typed in seconds as bytes of whole frames, not held inside the data: seconds × B ×
// C × R counted wide and capped at 2^40 bytes, so that a result too long for a wave file is
// refused by its writer rather than wrapped; 0 for a negative, zero or NaN length.
std::uint64_t typedLengthBytes(std::string_view text, const EditFormat& format);

// offset / R / C / B in double precision, rounded to single precision, printed "%.3f" with a
// "." whatever the locale.
std::string offsetToSeconds(std::uint32_t offset, const EditFormat& format);

// A selection's bytes: [start, start + length), inside the data.
struct ByteSpan {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
    std::uint32_t end() const { return start + length; }
};

// The bytes of a selection given in frames; a selection past the end is cut at the end, and
// FrameSpan::kToEnd runs to the last byte of the data.
ByteSpan selectionBytes(const FrameSpan& frames, const EditFormat& format);

} // namespace sonarium
