// The display scan: read plans, peak tables of mono, stereo and 8-bit files, and its warnings.
#include "display/display_scan.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <random>

namespace sonarium {
namespace {

using test::WaveSpec;

TEST(ReadPlan, SplitsTheDataOverTheColumns) {
    struct Case {
        std::uint32_t dataSize;
        ReadPlan expected;
    };
    const Case cases[] = {
        {449 * 1000, {1000, 1, 0}},                  // the last column reads nothing
        {449 * 256032, {42672, 6, 0}},               // R rises from 5 to 6, the first divisor
        {1802, {4, 1, 6}},                           // a short remainder goes to the last column
        {449 * 1003, {1000, 1, 3 * 449}},            // P mod 4 moves to the last column
        {900, {0, 1, 900}},                          // under 4 bytes a column: all in the last one
        {449 * 64001, {64000, 1, 449}},              // just over the limit, trimmed to 4 bytes
        {449 * 64040, {32016, 2, 8 * 449 / 2}},      // two reads a column, trimmed to 32 bytes
        {449 * 64010 + 5, {64000, 1, 10 * 449 + 5}}, // trimmed to 32 bytes, one read
        {0, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataSize);
        const ReadPlan plan = makeReadPlan(c.dataSize);
        EXPECT_EQ(plan.chunkSize, c.expected.chunkSize);
        EXPECT_EQ(plan.readsPerColumn, c.expected.readsPerColumn);
        EXPECT_EQ(plan.lastChunkSize, c.expected.lastChunkSize);
    }
}

TEST(ReadPlan, CoversTheDataInBoundedReads) {
    std::mt19937 random(7);
    std::vector<std::uint32_t> sizes = {1, 2, 448, 449, 4096, 449 * 64000, 449 * 64031, 0xFFFFFFFF};
    for (int i = 0; i < 2000; ++i)
        sizes.push_back(static_cast<std::uint32_t>(random() % 200'000'000U));
    for (std::uint32_t size : sizes) {
        SCOPED_TRACE(size);
        const ReadPlan plan = makeReadPlan(size);
        EXPECT_LE(plan.chunkSize, kMaxScanChunk);
        EXPECT_LE(plan.lastChunkSize, kMaxScanChunk);
        EXPECT_EQ(plan.columnBytes(0) % 4, 0U); // whole stereo frames in every full column
        std::uint64_t total = 0;
        for (int column = 0; column < kDisplayColumns; ++column)
            total += plan.columnBytes(column);
        EXPECT_LE(total, size);
        // Only the remainder of dividing the last column into equal reads is left out.
        EXPECT_LT(size - total, std::max(plan.readsPerColumn, 1U));
    }
}

// Runs the scan on a file with the given bytes and returns its summary.
struct Scanned {
    ScanStatus status;
    DisplaySummary summary;
    std::vector<test::Report> reports;
    std::string path;
};

Scanned scan(const test::Bytes& bytes) {
    static int counter = 0;
    static test::TempDir dir;
    Scanned out;
    out.path = dir.file("scan" + std::to_string(counter++) + ".wav");
    test::writeBytes(out.path, bytes);
    test::RecordingReporter reporter;
    out.status = scanForDisplay(out.path, reporter, out.summary);
    out.reports = reporter.reports;
    return out;
}

TEST(DisplayScan, MonoColumnsKeepTheHighByteExtremes) {
    // 1000 bytes (500 samples) per column; each column holds one peak and one dip at positions
    // that wander through every lane and byte phase of the reading.
    std::vector<std::int16_t> samples(449 * 500, 0);
    for (int k = 0; k < 449; ++k) {
        const int up = k % 128;
        const int down = k % 127;
        samples[static_cast<std::size_t>(k * 500 + (k * 37) % 500)] =
            static_cast<std::int16_t>(up * 256 + 255);
        samples[static_cast<std::size_t>(k * 500 + (k * 91 + 3) % 500)] =
            static_cast<std::int16_t>(-down * 256 - 1);
    }
    WaveSpec shape;
    shape.samples = samples;
    shape.tail = test::Bytes(82, 0x7F); // a trailer after the data is never scanned
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    EXPECT_TRUE(s.reports.empty());
    for (int k = 0; k < 449; ++k) {
        SCOPED_TRACE(k);
        const PeakPair expected{static_cast<std::int8_t>(k % 128),
                                static_cast<std::int8_t>(-(k % 127) - 1)};
        EXPECT_EQ(s.summary.channel1[static_cast<std::size_t>(k)], expected);
    }
    EXPECT_EQ(s.summary.channel1[449], PeakPair{}); // read nothing: -128 / 127
    EXPECT_EQ(s.summary.channel2[0], PeakPair{});
    EXPECT_FALSE(s.summary.eofReported);
}

TEST(DisplayScan, StereoFillsBothTablesWithoutMixingChannels) {
    // 250 frames a column; channel 1 rises with the column, channel 2 falls.
    std::vector<std::int16_t> samples(449 * 500, 0);
    for (int k = 0; k < 449; ++k) {
        for (int f = 0; f < 250; ++f) {
            const auto frame = static_cast<std::size_t>(k * 500 + 2 * f);
            samples[frame] = static_cast<std::int16_t>((k % 100) * 256 + f % 7);
            samples[frame + 1] = static_cast<std::int16_t>(-(k % 90) * 256 - f % 5);
        }
        samples[static_cast<std::size_t>(k * 500 + 2 * ((k * 13) % 250))] = 127 * 256;
    }
    WaveSpec shape;
    shape.channels = 2;
    shape.samples = samples;
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    for (int k = 0; k < 449; ++k) {
        SCOPED_TRACE(k);
        const auto i = static_cast<std::size_t>(k);
        EXPECT_EQ(s.summary.channel1[i], (PeakPair{127, static_cast<std::int8_t>(k % 100)}));
        const auto x = static_cast<std::int8_t>(k % 90);
        EXPECT_EQ(s.summary.channel2[i],
                  (PeakPair{static_cast<std::int8_t>(-x), static_cast<std::int8_t>(-x - 1)}));
    }
}

TEST(DisplayScan, EightBitDataIsShiftedBy128AndWarned) {
    // 4 bytes a column: the bytes at odd offsets are the ones examined.
    std::vector<std::int16_t> samples(449 * 2);
    for (int k = 0; k < 449; ++k) {
        const int x = k % 100;
        auto pack = [](int low, int high) {
            return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
        };
        samples[static_cast<std::size_t>(2 * k)] = pack(255, 128 + x);
        samples[static_cast<std::size_t>(2 * k + 1)] = pack(0, 128 - x);
    }
    WaveSpec shape;
    shape.bits = 8;
    shape.samples = samples;
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    ASSERT_EQ(s.reports.size(), 1U);
    EXPECT_EQ(s.reports[0].text, "File format is 8 bit\nIt cannot be properly handled.\n\nUse "
                                 "-Import 8 bit wave file- instead.");
    EXPECT_EQ(s.reports[0].icon, MessageIcon::Warning);
    for (int k = 0; k < 449; ++k) {
        const auto x = static_cast<std::int8_t>(k % 100);
        EXPECT_EQ(s.summary.channel1[static_cast<std::size_t>(k)],
                  (PeakPair{x, static_cast<std::int8_t>(-x)}))
            << k;
    }
    EXPECT_FLOAT_EQ(s.summary.framesPerColumn, 1796.0f / 450.0f);
}

TEST(DisplayScan, ShortEightBitFileWarnsTwiceInOrder) {
    WaveSpec shape;
    shape.bits = 8;
    shape.samples = test::ramp(400); // 800 frames: under two a column
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    ASSERT_EQ(s.reports.size(), 2U);
    EXPECT_EQ(s.reports[0].text.rfind("File format is 8 bit\n", 0), 0U);
    EXPECT_EQ(s.reports[1].text, "File is too short\nIt cannot be properly displayed.");
    EXPECT_EQ(s.reports[1].icon, MessageIcon::Warning);
}

TEST(DisplayScan, DepthsOtherThanSixteenBitsWarn) {
    for (int bits : {24, 32}) {
        WaveSpec shape;
        shape.bits = bits;
        shape.channels = 2;
        shape.samples = test::ramp(30000);
        const Scanned s = scan(test::buildWave(shape));
        ASSERT_EQ(s.status, ScanStatus::Ok);
        EXPECT_EQ(s.reports.at(0).text, "File format is " + std::to_string(bits) +
                                            " bit\nIt cannot be properly handled.");
    }
}

TEST(DisplayScan, TruncatedDataWarnsOnceAtTheColumnThatCameShort) {
    struct Case {
        std::size_t presentBytes;
        std::string where;
    };
    const Case cases[] = {
        {224 * 1000 + 500, "#224\nAsked : 1000\nRead : 500"},
        {10 * 1000, "#10\nAsked : 1000\nRead : 0"},
        {0, "#0\nAsked : 1000\nRead : 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.presentBytes);
        WaveSpec shape;
        shape.samples = std::vector<std::int16_t>(c.presentBytes / 2, 256 * 3);
        shape.dataSize = 449 * 1000;
        const Scanned s = scan(test::buildWave(shape));
        ASSERT_EQ(s.status, ScanStatus::Ok);
        ASSERT_EQ(s.reports.size(), 1U);
        EXPECT_EQ(s.reports[0].text, "Unexpected EOF at block : " + c.where + "\n\nFile " + s.path +
                                         "\nseems truncated.");
        EXPECT_EQ(s.reports[0].icon, MessageIcon::Warning);
        EXPECT_TRUE(s.summary.eofReported);
        EXPECT_EQ(s.summary.dataSize, 449U * 1000U);
        const std::size_t full = c.presentBytes / 1000;
        for (std::size_t k = 0; k < full; ++k)
            EXPECT_EQ(s.summary.channel1[k], (PeakPair{3, 3})) << k;
        if (c.presentBytes % 1000 != 0) {
            EXPECT_EQ(s.summary.channel1[full], (PeakPair{3, 3}));
        }
        EXPECT_EQ(s.summary.channel1[448], PeakPair{});
    }
}

TEST(DisplayScan, HeaderClaimingFourGigabytesEndsAtTheRealData) {
    WaveSpec shape;
    shape.samples = std::vector<std::int16_t>(500, -256 * 5);
    shape.dataSize = 0xFFFFFFF0U;
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    const ReadPlan plan = makeReadPlan(0xFFFFFFF0U);
    ASSERT_GT(plan.chunkSize, 1000U);
    ASSERT_EQ(s.reports.size(), 1U);
    EXPECT_EQ(s.reports[0].text,
              "Unexpected EOF at block : #0\nAsked : " + std::to_string(plan.chunkSize) +
                  "\nRead : 1000\n\nFile " + s.path + "\nseems truncated.");
    EXPECT_EQ(s.summary.channel1[0], (PeakPair{-5, -5}));
    EXPECT_EQ(s.summary.channel1[1], PeakPair{});
    EXPECT_EQ(s.summary.dataSize, 0xFFFFFFF0U);
}

TEST(DisplayScan, FillsTheDocumentFields) {
    WaveSpec shape;
    shape.channels = 2;
    shape.rate = 22050;
    shape.samples = test::ramp(2 * 22050 * 3); // three seconds
    const Scanned s = scan(test::buildWave(shape));
    ASSERT_EQ(s.status, ScanStatus::Ok);
    EXPECT_EQ(s.summary.dataSize, 2U * 2U * 22050U * 3U);
    EXPECT_EQ(s.summary.sampleRate, 22050);
    EXPECT_EQ(s.summary.channels, 2);
    EXPECT_EQ(s.summary.bitsPerSample, 16);
    EXPECT_DOUBLE_EQ(s.summary.byteRate, 88200.0);
    EXPECT_FLOAT_EQ(s.summary.duration, 3.0f);
    EXPECT_FLOAT_EQ(s.summary.framesPerColumn, 22050.0f * 3.0f / 450.0f);
}

TEST(DisplayScan, RefusesWhatIsNotDisplayablePcm) {
    WaveSpec adpcm;
    adpcm.formatTag = 2;
    adpcm.samples = test::ramp(2000);
    WaveSpec empty;
    test::Bytes noRiff = {'n', 'o', 't', ' ', 'w', 'a', 'v', 'e'};
    struct Case {
        const char* name;
        test::Bytes bytes;
        ScanStatus status;
    };
    const Case cases[] = {
        {"not a wave file", noRiff, ScanStatus::NotWave},
        {"not PCM", test::buildWave(adpcm), ScanStatus::Unusable},
        {"empty data", test::buildWave(empty), ScanStatus::Unusable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Scanned s = scan(c.bytes);
        EXPECT_EQ(s.status, c.status);
        if (c.status == ScanStatus::NotWave) {
            ASSERT_EQ(s.reports.size(), 1U);
            EXPECT_EQ(s.reports[0].text,
                      "File " + s.path +
                          "\ncannot be read as Wave Audio\nit is not a RIFF WAVE file");
            EXPECT_EQ(s.reports[0].icon, MessageIcon::Error);
        } else {
            EXPECT_TRUE(s.reports.empty());
        }
    }
    test::RecordingReporter reporter;
    DisplaySummary summary;
    EXPECT_EQ(scanForDisplay("/nonexistent/missing.wav", reporter, summary), ScanStatus::NotWave);
    EXPECT_EQ(reporter.reports.size(), 1U);
}

TEST(DisplayScan, PeaksDoNotDependOnHowTheDataIsSplit) {
    std::mt19937 random(11);
    test::Bytes bytes(4099);
    for (auto& b : bytes)
        b = static_cast<unsigned char>(random() % 101 + 10); // never reaches either extreme
    for (bool stereo : {false, true}) {
        for (bool eightBit : {false, true}) {
            PeakPair wholeFirst, wholeSecond;
            widenPeaks(bytes.data(), bytes.size(), 0, stereo, eightBit, wholeFirst, wholeSecond);
            // The reference: every high byte, one at a time.
            PeakPair refFirst, refSecond;
            for (std::size_t i = 1; i < bytes.size(); i += 2) {
                auto v = static_cast<std::int8_t>(bytes[i] ^ (eightBit ? 0x80 : 0));
                PeakPair& p = stereo && (i & 2U) ? refSecond : refFirst;
                p.max = std::max(p.max, v);
                p.min = std::min(p.min, v);
            }
            EXPECT_EQ(wholeFirst, refFirst);
            EXPECT_EQ(wholeSecond, refSecond);
            for (int trial = 0; trial < 20; ++trial) {
                PeakPair first, second;
                std::size_t at = 0;
                while (at < bytes.size()) {
                    const std::size_t n = std::min<std::size_t>(random() % 97, bytes.size() - at);
                    widenPeaks(bytes.data() + at, n, at, stereo, eightBit, first, second);
                    at += n;
                }
                EXPECT_EQ(first, refFirst);
                EXPECT_EQ(second, refSecond);
            }
        }
    }
}

} // namespace
} // namespace sonarium
