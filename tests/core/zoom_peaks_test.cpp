// The zoomed view's arithmetic: the multi-resolution extremes gathered by the display scan, the
// peaks read from the file, and the zoom, scroll and selection mapping of a view's span.
#include "display/display_scan.h"
#include "display/view_span.h"
#include "display/zoom_peaks.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>

namespace sonarium {
namespace {

std::vector<std::int16_t> noise(std::size_t values, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::int16_t> out(values);
    for (auto& v : out)
        v = static_cast<std::int16_t>(static_cast<int>(random() % 65536) - 32768);
    return out;
}

test::Bytes littleEndian(const std::vector<std::int16_t>& values) {
    test::Bytes bytes;
    for (std::int16_t v : values) {
        bytes.push_back(static_cast<unsigned char>(v & 0xFF));
        bytes.push_back(static_cast<unsigned char>((static_cast<std::uint16_t>(v) >> 8) & 0xFF));
    }
    return bytes;
}

// The extremes of one channel over frames [first, last), value by value.
SampleRange reference(const std::vector<std::int16_t>& values, int channels, int channel,
                      std::uint64_t first, std::uint64_t last) {
    SampleRange range;
    const auto frames = values.size() / static_cast<std::size_t>(channels);
    for (std::uint64_t f = first; f < last && f < frames; ++f)
        range.widen(
            values[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)]);
    return range;
}

TEST(ZoomPeaks, BucketsHoldTheExtremesWhateverThePiecesAreFed) {
    struct Case {
        int channels;
        std::size_t frames;
    };
    // Whole buckets, a partial last bucket, fewer frames than a bucket, a long stereo run.
    const Case cases[] = {{1, 4096}, {1, 5000}, {2, 700}, {2, 1024 * 37 + 3}, {1, 1}};
    std::mt19937 random(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.frames << " frames");
        const auto values = noise(c.frames * static_cast<std::size_t>(c.channels), 3);
        test::Bytes bytes = littleEndian(values);
        bytes.push_back(0x7F); // a partial frame at the end is left out
        ZoomPeaks peaks;
        peaks.start(c.channels, c.frames);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(random() % 5000, bytes.size() - at);
            peaks.add(bytes.data() + at, n);
            at += n;
        }
        peaks.finish();
        ASSERT_TRUE(peaks.ready());
        EXPECT_EQ(peaks.frames(), c.frames);
        const std::uint64_t bucket = peaks.finestFrames();
        for (int ch = 0; ch < c.channels; ++ch)
            for (std::uint64_t first = 0; first < c.frames; first += bucket) {
                const std::uint64_t last = first + bucket;
                EXPECT_EQ(peaks.range(ch, first, last),
                          reference(values, c.channels, ch, first, last))
                    << "channel " << ch << " bucket at " << first;
            }
    }
}

TEST(ZoomPeaks, ColumnsFromEveryLevelCoverTheirFramesAndNoMore) {
    const int channels = 2;
    const std::size_t frames = 1024 * 300 + 17;
    auto values = noise(frames * channels, 9);
    ZoomPeaks peaks;
    peaks.start(channels, frames);
    const test::Bytes bytes = littleEndian(values);
    peaks.add(bytes.data(), bytes.size());
    peaks.finish();
    ASSERT_GE(peaks.levelCount(), 4);
    for (int level = 0; level < peaks.levelCount(); ++level) {
        const double fpp = static_cast<double>(peaks.levelFrames(level)) * 1.5;
        const double start = 12345.0;
        std::vector<SampleRange> columns(64);
        for (int ch = 0; ch < channels; ++ch) {
            peaks.columns(ch, start, fpp, columns);
            const auto bucket = peaks.levelFrames(level);
            for (std::size_t x = 0; x < columns.size(); ++x) {
                const auto from = static_cast<std::uint64_t>(start + double(x) * fpp);
                const auto to = std::min<std::uint64_t>(
                    static_cast<std::uint64_t>(start + double(x + 1) * fpp), frames);
                if (from >= frames) {
                    EXPECT_TRUE(columns[x].empty());
                    continue;
                }
                // At least the column's own frames, at most the whole buckets around them.
                const SampleRange inner = reference(values, channels, ch, from, to);
                const SampleRange outer = reference(values, channels, ch, from / bucket * bucket,
                                                    (to + bucket - 1) / bucket * bucket);
                EXPECT_LE(columns[x].max, outer.max);
                EXPECT_GE(columns[x].min, outer.min);
                EXPECT_GE(columns[x].max, inner.max);
                EXPECT_LE(columns[x].min, inner.min);
            }
        }
    }
}

TEST(ZoomPeaks, MemoryStaysUnderAQuarterKilobytePerSixtyFourKilobytesAndTheCap) {
    struct Case {
        int channels;
        std::uint64_t frames;
    };
    // 50 minutes of stereo, 10 hours of mono, and streams far beyond what a wave file holds.
    const Case cases[] = {
        {2, 50ULL * 60 * 44100}, {1, 10ULL * 3600 * 44100}, {2, 1ULL << 36}, {1, 1ULL << 40}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        ZoomPeaks peaks;
        peaks.start(c.channels, c.frames);
        const std::uint64_t dataBytes = c.frames * 2 * static_cast<std::uint64_t>(c.channels);
        // The finest level is reserved up front; the coarser ones add at most a third of it.
        const double expected = static_cast<double>(peaks.memoryBytes()) * 4.0 / 3.0 + 4096;
        EXPECT_LE(expected, static_cast<double>(dataBytes) / 256.0);
        EXPECT_LE(expected, static_cast<double>(ZoomPeaks::kMemoryCap));
    }
    // Built in full over 20 minutes of stereo: the same bound on what is really held.
    const std::uint64_t frames = 1200ULL * 44100;
    ZoomPeaks peaks;
    peaks.start(2, frames);
    std::vector<unsigned char> block(4 * 44100, 0);
    for (int second = 0; second < 1200; ++second)
        peaks.add(block.data(), block.size());
    peaks.finish();
    EXPECT_EQ(peaks.frames(), frames);
    EXPECT_LE(peaks.memoryBytes(), frames * 4 / 256);
}

TEST(ZoomPeaks, DisplayScanBuildsTheSummaryInItsOwnRead) {
    const std::size_t frames = 449 * 3001 + 250;
    auto values = noise(frames * 2, 21);
    values[(frames - 3) * 2 + 1] = 32767; // the last column's
    test::WaveSpec shape;
    shape.channels = 2;
    shape.samples = values;
    test::TempDir dir;
    const std::string path = dir.file("scan.wav");
    test::writeBytes(path, test::buildWave(shape));

    test::RecordingReporter reporter;
    DisplaySummary summary;
    ZoomPeaks peaks;
    ASSERT_EQ(scanForDisplay(path, reporter, summary, {}, &peaks), ScanStatus::Ok);
    DisplaySummary plain;
    ASSERT_EQ(scanForDisplay(path, reporter, plain), ScanStatus::Ok);
    EXPECT_EQ(summary.channel1, plain.channel1); // the columns are unchanged
    EXPECT_EQ(summary.channel2, plain.channel2);
    EXPECT_EQ(summary.dataOffset, 44U);
    ASSERT_TRUE(peaks.ready());
    EXPECT_EQ(peaks.frames(), frames);
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ(peaks.range(ch, 0, frames), reference(values, 2, ch, 0, frames));
    EXPECT_EQ(peaks.range(1, frames - 10, frames).max, 32767);

    // An 8-bit file has no summary.
    shape.bits = 8;
    test::writeBytes(path, test::buildWave(shape));
    ZoomPeaks none;
    scanForDisplay(path, reporter, summary, {}, &none);
    EXPECT_FALSE(none.ready());
}

TEST(ZoomPeaks, FramesReadFromTheFileGiveTheSameColumns) {
    const std::size_t frames = 20000;
    const auto values = noise(frames, 4);
    test::WaveSpec shape;
    shape.samples = values;
    test::TempDir dir;
    const std::string path = dir.file("read.wav");
    test::writeBytes(path, test::buildWave(shape));

    std::vector<std::int16_t> read;
    ASSERT_TRUE(readFrames(path, 44, frames * 2, 1, 19990, 100, read));
    EXPECT_EQ(read, std::vector<std::int16_t>(values.end() - 10, values.end())); // cut at the end
    ASSERT_TRUE(readFrames(path, 44, frames * 2, 1, 1000, 3000, read));
    std::vector<SampleRange> columns(100);
    columnsFromSamples(read, 1, 0, 1000, 1500.0, 7.5, columns);
    for (std::size_t x = 0; x < columns.size(); ++x) {
        const auto from = static_cast<std::uint64_t>(1500.0 + double(x) * 7.5);
        const auto to = static_cast<std::uint64_t>(1500.0 + double(x + 1) * 7.5);
        EXPECT_EQ(columns[x], reference(values, 1, 0, from, to)) << x;
    }
    EXPECT_FALSE(readFrames(dir.file("missing.wav"), 44, 100, 1, 0, 10, read));
}

TEST(ViewSpan, ZoomKeepsTheFrameUnderThePointerAndStaysInsideTheFile) {
    struct Step {
        const char* name;
        double x, factor;
        bool zoomed;
        double start, framesPerPixel;
    };
    // 100000 frames over 500 pixels: 200 frames a pixel unzoomed.
    const Step steps[] = {
        {"in at the middle", 250, 2, true, 25000, 100},
        {"in at the left edge", 0, 4, true, 25000, 25},
        {"out at the right edge", 500, 0.5, true, 12500, 50},
        {"out to the whole file", 100, 0.25, false, 0, 200},
        {"out beyond is still the whole file", 100, 0.5, false, 0, 200},
        {"in at the right edge", 500, 10, true, 90000, 20},
        {"no closer than 64 pixels a frame", 0, 1e9, true, 90000, 1.0 / 64},
    };
    ViewSpan span(100000, 500);
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        span.zoomAround(s.x, s.factor);
        EXPECT_EQ(span.zoomed(), s.zoomed);
        EXPECT_DOUBLE_EQ(span.start(), s.start);
        EXPECT_DOUBLE_EQ(span.framesPerPixel(), s.framesPerPixel);
    }
}

TEST(ViewSpan, ZoomToScrollAndResize) {
    ViewSpan span(100000, 500);
    span.zoomTo(1000, 6000);
    EXPECT_TRUE(span.zoomed());
    EXPECT_DOUBLE_EQ(span.start(), 1000);
    EXPECT_DOUBLE_EQ(span.framesPerPixel(), 10);
    span.scrollTo(99000); // kept so that the view ends with the file
    EXPECT_DOUBLE_EQ(span.start(), 95000);
    span.scrollTo(-5);
    EXPECT_DOUBLE_EQ(span.start(), 0);
    span.setWidth(1000); // wider shows more at the same zoom
    EXPECT_TRUE(span.zoomed());
    EXPECT_DOUBLE_EQ(span.visibleFrames(), 10000);
    span.setWidth(20000); // wide enough for the whole file
    EXPECT_FALSE(span.zoomed());
    span.setWidth(500);
    EXPECT_DOUBLE_EQ(span.framesPerPixel(), 200);
    span.zoomTo(0, 100000); // the whole file
    EXPECT_FALSE(span.zoomed());
    span.zoomTo(50, 50); // an empty span zooms as close as allowed
    EXPECT_DOUBLE_EQ(span.framesPerPixel(), ViewSpan::kMinFramesPerPixel);
    span.scrollTo(1e12);
    EXPECT_DOUBLE_EQ(span.start(), 100000 - 500 * ViewSpan::kMinFramesPerPixel);
}

TEST(ViewSpan, PixelsToOffsetsAndSelectionsToColumns) {
    const std::uint32_t size = 449000; // stereo: 112250 frames
    ViewSpan picture(size / 4, 450);
    ViewSpan wide(size / 4, 900);
    ViewSpan zoomed(size / 4, 450);
    zoomed.zoomTo(1000, 1450); // one frame a pixel
    struct Case {
        const char* name;
        const ViewSpan& span;
        double x;
        std::uint32_t offset;
    };
    const Case cases[] = {
        {"picture, as the 450-column rule", picture, 100, 99776},
        {"picture, right of it", picture, 470, size},
        {"picture, left of it", picture, -3, 0},
        {"twice as wide, half the column", wide, 200, 99776},
        {"zoomed, the frame under the pointer", zoomed, 10.7, 1010 * 4},
        {"zoomed, past the file's end is its end", zoomed, 1e9, size},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(offsetAtPixel(c.span, c.x, size, 2), c.offset);
    }
    struct Columns {
        const char* name;
        const ViewSpan& span;
        Selection selection;
        int first, last;
    };
    const Columns columns[] = {
        {"picture", picture, {119732, 300000}, 119, 300},
        {"picture, whole file", picture, {0, size}, 0, 450},
        {"wide", wide, {119732, size}, 239, 900},
        {"zoomed, inside", zoomed, {1100 * 4, 1200 * 4}, 100, 200},
        {"zoomed, around the view", zoomed, {0, size}, 0, 450},
        {"zoomed, before the view", zoomed, {0, 400}, 0, 0},
        {"zoomed, narrower than a pixel", zoomed, {1100 * 4, 1100 * 4 + 2}, 100, 101},
    };
    for (const Columns& c : columns) {
        SCOPED_TRACE(c.name);
        const ColumnSpan span = selectionPixels(c.span, c.selection, size, 2);
        EXPECT_EQ(span.first, c.first);
        EXPECT_EQ(span.last, c.last);
    }
}

} // namespace
} // namespace sonarium
