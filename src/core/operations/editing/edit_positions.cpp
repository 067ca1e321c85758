// Conversions between typed seconds, frames and byte offsets.
#include "operations/editing/edit_positions.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace sonarium {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

double parseSeconds(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // One sign only: from_chars would read a second minus as the number's own ("--1" is no
    // number, not 1).
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        return 0;
    // from_chars takes no blanks and no locale: the longest decimal (or, after "0x",
    // hexadecimal) prefix, as the C library's conversion reads it under the "C" locale.
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto format = std::chars_format::general;
    auto hexDigit = [&](std::size_t at) {
        return at < text.size() && std::isxdigit(static_cast<unsigned char>(text[at])) != 0;
    };
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
        (hexDigit(2) || (text[2] == '.' && hexDigit(3)))) {
        first += 2;
        format = std::chars_format::hex;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, format);
    if (error == std::errc::result_out_of_range) {
        // Beyond a double: a negative exponent makes it 0, anything else HUGE_VAL.
        const std::string_view number(first, static_cast<std::size_t>(end - first));
        const auto exponent = number.find_first_of(format == std::chars_format::hex ? "pP" : "eE");
        const bool small = exponent != std::string_view::npos && exponent + 1 < number.size() &&
                           number[exponent + 1] == '-';
        value = small ? 0 : HUGE_VAL;
    } else if (error != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

EditFormat EditFormat::of(const sonIO& source) {
    EditFormat f;
    f.bytesPerValue = static_cast<std::uint32_t>(std::max(source.bitsPerSample, 0) / 8);
    f.channels = static_cast<std::uint32_t>(std::max(source.channels, 1));
    f.rate = static_cast<std::uint32_t>(std::max(source.sampleRate, 0));
    f.dataSize = source.dataSize;
    return f;
}

std::uint32_t SecondsToOffset(std::string_view text, const EditFormat& format) {
    const double bytes = parseSeconds(text) * format.bytesPerValue * format.channels * format.rate;
    if (!(bytes > 0)) // negative, zero or NaN
        return 0;
    if (bytes >= format.dataSize)
        return format.dataSize;
    return static_cast<std::uint32_t>(bytes);
}

std::uint32_t endOffset(std::string_view text, const EditFormat& format) {
    return text.empty() ? format.dataSize : SecondsToOffset(text, format);
}

std::uint64_t typedLengthBytes(std::string_view text, const EditFormat& format) {
    const double typed = parseSeconds(text) * format.bytesPerValue * format.channels * format.rate;
    const std::uint64_t limit = std::uint64_t{1} << 40;
    const std::uint64_t length =
        typed > 0
            ? (typed >= static_cast<double>(limit) ? limit : static_cast<std::uint64_t>(typed))
            : 0;
    return length - length % format.frameBytes();
}

std::string offsetToSeconds(std::uint32_t offset, const EditFormat& format) {
    const auto seconds = static_cast<float>(static_cast<double>(offset) / format.rate /
                                            format.channels / format.bytesPerValue);
    std::array<char, 64> text{};
    const auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), static_cast<double>(seconds),
                      std::chars_format::fixed, 3);
    return error == std::errc() ? std::string(text.data(), end) : std::string();
}

ByteSpan selectionBytes(const FrameSpan& frames, const EditFormat& format) {
    const std::uint64_t size = format.dataSize;
    const std::uint64_t start = std::min<std::uint64_t>(
        static_cast<std::uint64_t>(frames.first) * format.frameBytes(), size);
    const std::uint64_t end =
        frames.count == FrameSpan::kToEnd
            ? size
            : std::min<std::uint64_t>((static_cast<std::uint64_t>(frames.first) + frames.count) *
                                          format.frameBytes(),
                                      size);
    return {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)};
}

} // namespace sonarium
