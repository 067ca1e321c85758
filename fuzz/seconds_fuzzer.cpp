// Positions and lengths typed in seconds: the start, end and length fields (the input's first
// three lines) converted for a format drawn from the input's end. Each number reads as the C
// library reads it, and every offset lies inside the data.
#include "fuzz_support.h"
#include "operations/editing/edit_positions.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace sonarium;

namespace {

// The standard conversion the fields follow (the fuzz process keeps the "C" locale). Below the
// smallest normal double the two may differ in how far they keep the value; as an offset that
// is 0 either way.
void checkParse(const std::string& text) {
    const double parsed = parseSeconds(text);
    const double reference = std::strtod(text.c_str(), nullptr);
    if (std::isnan(reference)) {
        fuzz::check(std::isnan(parsed), "a NaN reads as NaN");
        return;
    }
    if (std::fpclassify(reference) == FP_SUBNORMAL || std::fpclassify(parsed) == FP_SUBNORMAL)
        fuzz::check(std::fabs(parsed) < 1e-300 && std::fabs(reference) < 1e-300,
                    "a value below the normal doubles stays tiny");
    else
        fuzz::check(parsed == reference, "seconds read as the C library reads them");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest = fuzz::asText(data, size);
    const std::string start(fuzz::takeLine(rest));
    const std::string end(fuzz::takeLine(rest));
    const std::string length(fuzz::takeLine(rest));

    // What EditFormat::of makes of any reader: a sample size, 1 to 65535 channels, a rate that
    // fits an int, any data size.
    fuzz::TailNumbers numbers({data, size});
    EditFormat format;
    format.bytesPerValue = numbers.u16() / 8U;
    format.channels = std::max<std::uint32_t>(numbers.u16(), 1);
    format.rate = numbers.u32() & 0x7FFFFFFFU;
    format.dataSize = numbers.u32();

    for (const std::string* text : {&start, &end, &length})
        checkParse(*text);

    const std::uint32_t first = SecondsToOffset(start, format);
    const std::uint32_t last = endOffset(end, format);
    fuzz::check(first <= format.dataSize && last <= format.dataSize, "offsets lie in the data");
    fuzz::check(!end.empty() || last == format.dataSize, "an empty end is the data's end");
    fuzz::check(format.toFrame(first) <= first &&
                    first - format.toFrame(first) < format.frameBytes(),
                "a frame boundary is at most a frame back");
    const std::uint64_t inserted = typedLengthBytes(length, format);
    fuzz::check(inserted % format.frameBytes() == 0 && inserted <= (std::uint64_t{1} << 40),
                "an inserted length is whole frames, capped");

    // A position shown again in seconds reads back as a number.
    const std::string shown = offsetToSeconds(first, format);
    checkParse(shown);

    const FrameSpan frames{numbers.u32(), numbers.u32()};
    const ByteSpan span = selectionBytes(frames, format);
    fuzz::check(std::uint64_t{span.start} + span.length <= format.dataSize,
                "a selection lies in the data");
    return 0;
}
