// The display scan: header fields, warnings, and the peak tables read in one sequential pass.
#include "display/display_scan.h"

#include "wavefile/binary_file.h"
#include "wavefile/chunk_read_ahead.h"
#include "wavefile/riff_reader.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonarium {

namespace {

constexpr const char* kEightBitMessage =
    "File format is 8 bit\nIt cannot be properly handled.\n\nUse -Import 8 bit wave file- instead.";
constexpr const char* kTooShortMessage = "File is too short\nIt cannot be properly displayed.";

// A column must hold at least this many frames for the picture to mean anything.
constexpr float kMinFramesPerColumn = 2.0f;

void widen(PeakPair& pair, int value) {
    const auto v = static_cast<std::int8_t>(value);
    pair.max = std::max(pair.max, v);
    pair.min = std::min(pair.min, v);
}

// One byte at data offset `at`: only the high byte of each 16-bit value counts.
void widenByte(unsigned char byte, std::uint64_t at, bool stereo, unsigned flip, PeakPair& first,
               PeakPair& second) {
    if ((at & 1U) == 0)
        return;
    const int value = static_cast<std::int8_t>(static_cast<unsigned char>(byte ^ flip));
    widen(stereo && (at & 2U) != 0 ? second : first, value);
}

std::string eofMessage(int column, std::uint32_t asked, std::uint64_t read,
                       const std::string& path) {
    return "Unexpected EOF at block : #" + std::to_string(column) +
           "\nAsked : " + std::to_string(asked) + "\nRead : " + std::to_string(read) + "\n\nFile " +
           path + "\nseems truncated.";
}

} // namespace

void widenPeaks(const unsigned char* bytes, std::size_t count, std::uint64_t phase, bool stereo,
                bool eightBit, PeakPair& first, PeakPair& second) {
    const unsigned flip8 = eightBit ? 0x80U : 0U;
    std::size_t i = 0;
    // Up to the next frame pair boundary byte by byte, so the lanes below line up with channels.
    for (; i < count && ((phase + i) & 3U) != 0; ++i)
        widenByte(bytes[i], phase + i, stereo, flip8, first, second);

    // Eight values per lane set: lane j keeps the extremes of every 8th value, so even lanes hold
    // channel 1 and odd lanes channel 2 of a stereo file. Comparing whole values orders them as
    // their high bytes do.
    constexpr std::size_t kLanes = 8;
    const auto flip16 = static_cast<std::uint16_t>(flip8 << 8);
    std::int16_t highest[kLanes];
    std::int16_t lowest[kLanes];
#if defined(__SSE2__)
    {
        const __m128i flip = _mm_set1_epi16(static_cast<short>(flip16));
        auto load = [&](std::size_t at) {
            return _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at)),
                                 flip);
        };
        // 64 bytes a step in four independent chains of comparisons, kept in registers.
        __m128i high0 = _mm_set1_epi16(INT16_MIN);
        __m128i high1 = high0;
        __m128i high2 = high0;
        __m128i high3 = high0;
        __m128i low0 = _mm_set1_epi16(INT16_MAX);
        __m128i low1 = low0;
        __m128i low2 = low0;
        __m128i low3 = low0;
        for (; i + 64 <= count; i += 64) {
            const __m128i v0 = load(i);
            const __m128i v1 = load(i + 16);
            const __m128i v2 = load(i + 32);
            const __m128i v3 = load(i + 48);
            high0 = _mm_max_epi16(high0, v0);
            low0 = _mm_min_epi16(low0, v0);
            high1 = _mm_max_epi16(high1, v1);
            low1 = _mm_min_epi16(low1, v1);
            high2 = _mm_max_epi16(high2, v2);
            low2 = _mm_min_epi16(low2, v2);
            high3 = _mm_max_epi16(high3, v3);
            low3 = _mm_min_epi16(low3, v3);
        }
        const __m128i h = _mm_max_epi16(_mm_max_epi16(high0, high1), _mm_max_epi16(high2, high3));
        const __m128i l = _mm_min_epi16(_mm_min_epi16(low0, low1), _mm_min_epi16(low2, low3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(highest), h);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lowest), l);
    }
#else
    std::fill(std::begin(highest), std::end(highest), INT16_MIN);
    std::fill(std::begin(lowest), std::end(lowest), INT16_MAX);
    for (; i + 2 * kLanes <= count; i += 2 * kLanes) {
        std::uint16_t raw[kLanes];
        std::memcpy(raw, bytes + i, sizeof raw);
        for (std::size_t j = 0; j < kLanes; ++j) {
            const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw[j] ^ flip16));
            highest[j] = std::max(highest[j], v);
            lowest[j] = std::min(lowest[j], v);
        }
    }
#endif
    for (std::size_t j = 0; j < kLanes; ++j) {
        PeakPair& pair = stereo && (j & 1U) != 0 ? second : first;
        // A lane that saw nothing holds -32768 / 32767, whose high bytes change no pair.
        pair.max = std::max(pair.max, static_cast<std::int8_t>(highest[j] >> 8));
        pair.min = std::min(pair.min, static_cast<std::int8_t>(lowest[j] >> 8));
    }
    for (; i < count; ++i)
        widenByte(bytes[i], phase + i, stereo, flip8, first, second);
}

ScanStatus scanForDisplay(const std::string& path, Reporter& reporter, DisplaySummary& summary,
                          const ScanProgress& progress, ZoomPeaks* zoom) {
    BinaryFile file(path, BinaryFile::Mode::Read);
    return scanForDisplay(file, path, reporter, summary, progress, zoom);
}

ScanStatus scanForDisplay(BinaryFile& file, const std::string& path, Reporter& reporter,
                          DisplaySummary& summary, const ScanProgress& progress, ZoomPeaks* zoom) {
    summary = DisplaySummary{};
    const WaveLayout layout = readWaveLayout(file);
    if (layout.status == WaveLayout::Status::NoFormatChunk) {
        reporter.report(unreadableWaveMessage(path, layout), MessageIcon::Error);
        return ScanStatus::NotWave;
    }
    if (layout.status != WaveLayout::Status::Ok || layout.declaredDataSize == 0)
        return ScanStatus::Unusable;
    if (!file.seek(layout.dataOffset))
        return ScanStatus::Unusable;

    if (progress)
        progress(0);
    summary.dataSize = layout.declaredDataSize;
    summary.dataOffset = layout.dataOffset;
    summary.bitsPerSample = layout.bitsPerSample;
    summary.channels = layout.channels;
    summary.sampleRate = static_cast<int>(std::min<std::uint32_t>(layout.sampleRate, INT32_MAX));
    // Bytes per sample as a real number, so that sizes below 8 bits cannot divide by zero.
    const double sampleBytes = summary.bitsPerSample / 8.0;
    summary.framesPerColumn =
        static_cast<float>(summary.dataSize / (sampleBytes * summary.channels * kDisplayColumns));
    summary.byteRate = sampleBytes * summary.channels * summary.sampleRate;
    summary.duration =
        summary.byteRate > 0.0 ? static_cast<float>(summary.dataSize / summary.byteRate) : 0.0f;

    const ReadPlan plan = makeReadPlan(summary.dataSize);
    if (summary.bitsPerSample == 8)
        reporter.report(kEightBitMessage, MessageIcon::Warning);
    else if (summary.bitsPerSample != 16)
        reporter.report("File format is " + std::to_string(summary.bitsPerSample) +
                            " bit\nIt cannot be properly handled.",
                        MessageIcon::Warning);
    if (summary.framesPerColumn < kMinFramesPerColumn)
        reporter.report(kTooShortMessage, MessageIcon::Warning);

    // The data is read as one stream in large chunks, on a second thread while the chunk before
    // is scanned, and dealt out to the columns by the plan. How a column's bytes are split into
    // reads does not change its peaks.
    const bool stereo = summary.channels == 2;
    const bool eightBit = summary.bitsPerSample == 8;
    std::uint64_t length = 0;
    for (int column = 0; column < kDisplayColumns; ++column)
        length += plan.columnBytes(column);
    const bool zooming = zoom != nullptr && summary.bitsPerSample == 16 &&
                         (summary.channels == 1 || summary.channels == 2);
    if (zooming) {
        zoom->start(summary.channels, summary.dataSize / (2U * unsigned(summary.channels)));
        length = std::max<std::uint64_t>(length, summary.dataSize);
    }
    ChunkReadAhead reader(file, length);
    ChunkReadAhead::Chunk buffer{nullptr, 0, false};
    std::size_t used = 0;
    std::uint64_t phase = 0;
    bool ended = false;
    for (int column = 0; column < kDisplayColumns; ++column) {
        const std::uint32_t chunk =
            column == kDisplayColumns - 1 ? plan.lastChunkSize : plan.chunkSize;
        const std::uint64_t wanted = plan.columnBytes(column);
        std::uint64_t taken = 0;
        PeakPair first;
        PeakPair second;
        while (taken < wanted) {
            if (used == buffer.size && !ended) {
                buffer = reader.next();
                if (zooming)
                    zoom->add(buffer.bytes, buffer.size);
                used = 0;
                ended = buffer.ended || buffer.size == 0;
            }
            if (used == buffer.size) {
                // The data ended inside this column: name the read of the plan that came short.
                if (!summary.eofReported) {
                    summary.eofReported = true;
                    reporter.report(eofMessage(column, chunk, taken % chunk, path),
                                    MessageIcon::Warning);
                }
                break;
            }
            const auto n = static_cast<std::size_t>(
                std::min<std::uint64_t>(buffer.size - used, wanted - taken));
            widenPeaks(buffer.bytes + used, n, phase, stereo, eightBit, first, second);
            used += n;
            taken += n;
            phase += n;
        }
        const auto index = static_cast<std::size_t>(column);
        summary.channel1[index] = first;
        if (stereo)
            summary.channel2[index] = second;
        if (progress)
            progress(column * 100 / kDisplayColumns);
    }
    if (zooming) {
        // The rest of the data, past the planned columns.
        while (!ended) {
            buffer = reader.next();
            zoom->add(buffer.bytes, buffer.size);
            ended = buffer.ended || buffer.size == 0;
        }
        zoom->finish();
    }
    return ScanStatus::Ok;
}

} // namespace sonarium
