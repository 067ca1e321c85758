// The display scan: one sequential pass over a wave file's data that keeps only the 450-column
// peak summary a waveform window draws.
#pragma once

#include "base/reporter.h"
#include "display/read_plan.h"
#include "display/zoom_peaks.h"
#include "wavefile/binary_file.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace sonarium {

// The extremes of the high bytes of one column's samples, in -128..127. A column that read
// nothing keeps max -128 and min 127.
struct PeakPair {
    std::int8_t max = -128;
    std::int8_t min = 127;
    bool operator==(const PeakPair&) const = default;
};

using PeakTable = std::array<PeakPair, kDisplayColumns>;

// What a document knows about its file once scanned.
struct DisplaySummary {
    PeakTable channel1{}; // the only channel of a mono file
    PeakTable channel2{}; // the second channel of a stereo file, untouched otherwise
    float framesPerColumn = 0.0f;
    int sampleRate = 0;
    std::uint32_t dataSize = 0; // the data chunk's declared size in bytes
    double byteRate = 0.0;      // bytes per second
    int bitsPerSample = 0;
    int channels = 0;
    float duration = 0.0f; // seconds
    bool eofReported = false;
    std::uint64_t dataOffset = 0; // where the data starts in the file
};

enum class ScanStatus {
    Ok,
    NotWave,  // no format chunk: reported with the error icon
    Unusable, // short format chunk, not PCM, no data or empty data: nothing reported
};

// Progress of the scan in percent, 0..99, once per column.
using ScanProgress = std::function<void(int percent)>;

// Fills the summary from the file's header, then scans its data. The 8-bit, too-short and
// truncated-file warnings go to the reporter; the scan goes on after each of them. Memory use does
// not depend on the file's length.
// zoom, when given, receives the multi-resolution extremes of a 16-bit file from the same read:
// the data past the planned columns (a few bytes the plan leaves out) is read on for it, so that
// it covers the whole data.
ScanStatus scanForDisplay(const std::string& path, Reporter& reporter, DisplaySummary& summary,
                          const ScanProgress& progress = {}, ZoomPeaks* zoom = nullptr);
// The same over a file already opened for reading (or bytes in memory); name stands for its
// path in messages.
ScanStatus scanForDisplay(BinaryFile& file, const std::string& name, Reporter& reporter,
                          DisplaySummary& summary, const ScanProgress& progress = {},
                          ZoomPeaks* zoom = nullptr);

// Widens the peak pairs of one column with a run of data bytes. phase is the offset of bytes[0]
// from the start of the data; the high byte of each 16-bit value is examined (for a stereo file
// alternately for channel 1 and 2), and 8-bit data is shifted by 128 first, so byte positions are
// the same whatever the sample size.
void widenPeaks(const unsigned char* bytes, std::size_t count, std::uint64_t phase, bool stereo,
                bool eightBit, PeakPair& first, PeakPair& second);

} // namespace sonarium
