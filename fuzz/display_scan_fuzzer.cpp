// The display scan over any bytes: it ends, reports progress in order, and every column's peaks
// are either untouched or a real range of the high bytes it read.
#include "base/reporter.h"
#include "display/display_scan.h"
#include "fuzz_support.h"

#include <cstdint>

using namespace sonarium;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SilentReporter reporter;
    BinaryFile file = fuzz::memoryFile({data, size});
    DisplaySummary summary;
    int last = -1;
    int calls = 0;
    const ScanStatus status = scanForDisplay(file, "fuzz.wav", reporter, summary, [&](int percent) {
        fuzz::check(percent >= last && percent >= 0 && percent <= 99,
                    "progress grows within 0..99");
        last = percent;
        ++calls;
    });
    if (status != ScanStatus::Ok) {
        fuzz::check(calls == 0, "a refused file reports no progress");
        return 0;
    }
    fuzz::check(calls == kDisplayColumns + 1, "progress once at the start and once per column");
    fuzz::check(summary.channels > 0 && summary.bitsPerSample > 0, "a scanned file has a format");
    fuzz::check(summary.framesPerColumn >= 0 && summary.duration >= 0,
                "sizes and durations are not negative");
    const PeakPair untouched;
    for (const PeakTable* table : {&summary.channel1, &summary.channel2})
        for (const PeakPair& pair : *table)
            fuzz::check(pair == untouched || pair.max >= pair.min,
                        "a column's peaks are a range or untouched");
    return 0;
}
