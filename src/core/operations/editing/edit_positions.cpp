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

// Whether a number too far from 1 for a double lies above its range rather than below: its order
// of magnitude is where its first significant digit stands (digits before the point count up,
// zeros after it count down) plus its exponent. A hexadecimal digit weighs 4 binary places and
// its exponent counts binary places; a decimal exponent counts decades.
bool aboveTheDoubles(std::string_view number, bool hex) {
    const std::size_t mark = number.find_first_of(hex ? "pP" : "eE");
    const std::string_view mantissa = number.substr(0, mark);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t lead = mantissa.find_first_not_of("0.");
    if (lead == std::string_view::npos)
        return false; // all zeros: nothing is out of range
    const std::int64_t weight = hex ? 4 : 1;
    std::int64_t order = lead < point ? static_cast<std::int64_t>(point - lead)
                                      : -static_cast<std::int64_t>(lead - point - 1);
    order *= weight;
    if (mark != std::string_view::npos) {
        std::string_view exponent = number.substr(mark + 1);
        const bool down = !exponent.empty() && exponent.front() == '-';
        if (!exponent.empty() && (exponent.front() == '-' || exponent.front() == '+'))
            exponent.remove_prefix(1);
        // Digits past a billion cannot change the side; they only must not overflow the count.
        std::int64_t value = 0;
        for (char c : exponent)
            value = std::min<std::int64_t>(value * 10 + (c - '0'), 1000000000);
        order += down ? -value : value;
    }
    return order > 0;
}

// Where the hexadecimal number at first ends: digits, a point and digits, then an exponent ("p",
// one optional sign, digits) when it is complete. The C++ library's conversion also takes "p+-1"
// as an exponent, which the C library does not: it is given only this much.
const char* hexNumberEnd(const char* first, const char* last) {
    auto skip = [&](const char* p, bool hex) {
        while (p < last && (hex ? std::isxdigit(static_cast<unsigned char>(*p))
                                : std::isdigit(static_cast<unsigned char>(*p))) != 0)
            ++p;
        return p;
    };
    const char* end = skip(first, true);
    if (end < last && *end == '.')
        end = skip(end + 1, true);
    if (end < last && (*end == 'p' || *end == 'P')) {
        const char* exponent = end + 1;
        if (exponent < last && (*exponent == '+' || *exponent == '-'))
            ++exponent;
        const char* digits = skip(exponent, false);
        if (digits > exponent)
            end = digits;
    }
    return end;
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
        last = hexNumberEnd(first, last);
        format = std::chars_format::hex;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, format);
    if (error == std::errc::result_out_of_range) {
        // Beyond a double: HUGE_VAL above its range, 0 below it.
        const std::string_view number(first, static_cast<std::size_t>(end - first));
        value = aboveTheDoubles(number, format == std::chars_format::hex) ? HUGE_VAL : 0;
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
