// Reading wave files block by block: lengths, the trailer rule, zero fill, seeking, bad files.
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;
using test::WaveSpec;

class SonioRead : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    WaveContext context{reporter, "", {}};

    std::string writeWave(const WaveSpec& shape, const std::string& name = "in.wav") {
        std::string path = dir.file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }
};

Bytes trailerBytes() {
    const WaveTrailer& t = builtInTrailer();
    return Bytes(t.begin(), t.end());
}

TEST_F(SonioRead, DeliversExactlyTheValuesBeforeTheTrailer) {
    struct Case {
        std::size_t values;
        int block;
    };
    const Case cases[] = {{1, 1},         {2, 1},         {10, 4},    {1000, 1000},
                          {64000, 64000}, {64001, 64000}, {100000, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE("values " + std::to_string(c.values) + " block " + std::to_string(c.block));
        WaveSpec shape;
        shape.samples = test::ramp(c.values);
        shape.tail = trailerBytes();
        sonIO in(context, writeWave(shape));
        ASSERT_TRUE(in.IsOpen());
        EXPECT_EQ(in.dataSize, 2 * c.values);
        EXPECT_EQ(in.dataStart, 44);
        std::vector<std::int16_t> buffer(static_cast<std::size_t>(c.block), 99);
        std::vector<std::int16_t> got;
        std::size_t whole = c.values / static_cast<std::size_t>(c.block);
        for (std::size_t i = 0; i < whole; ++i) {
            ASSERT_EQ(in.ReadBlock(buffer.data(), c.block), 1) << "block " << i;
            got.insert(got.end(), buffer.begin(), buffer.end());
        }
        std::fill(buffer.begin(), buffer.end(), 99);
        EXPECT_EQ(in.ReadBlock(buffer.data(), c.block), 0);
        std::size_t rest = c.values % static_cast<std::size_t>(c.block);
        got.insert(got.end(), buffer.begin(), buffer.begin() + static_cast<long>(rest));
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<long>(rest), buffer.end(),
                                [](std::int16_t v) { return v == 0; }));
        EXPECT_EQ(got, shape.samples);
        // Every later read gives zeros.
        std::fill(buffer.begin(), buffer.end(), 99);
        EXPECT_EQ(in.ReadBlock(buffer.data(), c.block), 0);
        EXPECT_TRUE(
            std::all_of(buffer.begin(), buffer.end(), [](std::int16_t v) { return v == 0; }));
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(SonioRead, TheLastEightyTwoBytesAreNeverSamples) {
    // A foreign file without a trailer loses its last 41 values.
    WaveSpec shape;
    shape.samples = test::ramp(200);
    sonIO in(context, writeWave(shape));
    std::vector<std::int16_t> buffer(200, 99);
    EXPECT_EQ(in.ReadBlock(buffer.data(), 200), 0);
    std::vector<std::int16_t> expected(shape.samples.begin(), shape.samples.end() - 41);
    expected.resize(200, 0);
    EXPECT_EQ(buffer, expected);
}

TEST_F(SonioRead, RemainingBytesDecideWhetherAnythingIsDelivered) {
    // With R bytes left after the position: R <= 83 delivers nothing; R = 84 delivers 2 bytes.
    struct Case {
        std::size_t valuesBeforeTrailer;
        int expectedDelivered;
    };
    // 82 trailer bytes follow the values, plus one odd byte in the first two cases.
    const Case cases[] = {{0, 0}, {1, 1}, {2, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.valuesBeforeTrailer);
        WaveSpec shape;
        shape.samples = test::ramp(c.valuesBeforeTrailer, 500);
        shape.tail = trailerBytes();
        sonIO in(context, writeWave(shape));
        std::vector<std::int16_t> buffer(4, 99);
        EXPECT_EQ(in.ReadBlock(buffer.data(), 4), 0);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(buffer[static_cast<std::size_t>(i)],
                      i < c.expectedDelivered ? shape.samples[static_cast<std::size_t>(i)] : 0);
    }
    // Exactly 83 bytes left: nothing, even though one byte precedes the trailer.
    Bytes file = test::buildWave(WaveSpec{});
    file.push_back(0x7F);
    Bytes trailer = trailerBytes();
    file.insert(file.end(), trailer.begin(), trailer.end());
    test::writeBytes(dir.file("odd.wav"), file);
    sonIO odd(context, dir.file("odd.wav"));
    std::int16_t one = 99;
    EXPECT_EQ(odd.ReadBlock(&one, 1), 0);
    EXPECT_EQ(one, 0);
}

TEST_F(SonioRead, DataIsAlwaysTakenFromByte44) {
    // A "LIST" chunk before "data": its bytes come out as samples, as every reader here does.
    WaveSpec shape;
    shape.samples = test::ramp(100);
    Bytes list;
    test::appendChunk(list, "LIST", Bytes{'I', 'N', 'F', 'O'});
    shape.extraChunksBeforeData = list;
    shape.tail = trailerBytes();
    std::string path = writeWave(shape);
    Bytes raw = test::readBytes(path);
    sonIO in(context, path);
    ASSERT_EQ(in.dataSize, 200U);
    std::vector<std::int16_t> buffer(4);
    ASSERT_EQ(in.ReadBlock(buffer.data(), 4), 1);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<std::uint16_t>(buffer[i]), readLe16(raw.data() + 44 + 2 * i));
}

TEST_F(SonioRead, SeekStaysInsideTheFile) {
    WaveSpec shape;
    shape.samples = test::ramp(100);
    shape.tail = trailerBytes();
    std::string path = writeWave(shape);
    const auto length = static_cast<std::uint32_t>(test::readBytes(path).size());
    sonIO in(context, path);

    in.SeekData(10);
    std::int16_t value = 0;
    ASSERT_EQ(in.ReadBlock(&value, 1), 1);
    EXPECT_EQ(value, shape.samples[5]);

    in.SeekData(length - 44); // exactly the end of the file: accepted, nothing left to read
    EXPECT_TRUE(reporter.reports.empty());
    EXPECT_EQ(in.ReadBlock(&value, 1), 0);

    in.SeekData(4);
    in.SeekData(length - 43); // one byte past the end: refused, position unchanged
    ASSERT_EQ(reporter.reports.size(), 1U);
    EXPECT_EQ(reporter.reports[0].text, "Attempt to seek outside of file bounds\nAsked: " +
                                            std::to_string(length - 43) + "l");
    EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
    ASSERT_EQ(in.ReadBlock(&value, 1), 1);
    EXPECT_EQ(value, shape.samples[2]);

    in.SeekData(0xFFFFFFFFU); // no wrap-around of dataStart + offset
    EXPECT_EQ(reporter.reports.size(), 2U);
}

TEST_F(SonioRead, FormatFieldsOfDamagedFiles) {
    struct Case {
        const char* name;
        Bytes bytes;
        std::string message; // empty: silent
        bool opened;
        int channels;
        int bits;
        std::uint32_t dataSize;
    };
    auto wave = [](auto edit) {
        WaveSpec shape;
        shape.samples = test::ramp(50);
        shape.tail = trailerBytes();
        edit(shape);
        return test::buildWave(shape);
    };
    Bytes noFormat;
    test::appendText(noFormat, "RIFF");
    test::appendLe32(noFormat, 4 + 8 + 100);
    test::appendText(noFormat, "WAVE");
    test::appendChunk(noFormat, "data", Bytes(100, 1));
    Bytes notRiff = wave([](WaveSpec&) {});
    std::copy_n("RIFX", 4, notRiff.begin());
    Bytes shortFormat;
    test::appendText(shortFormat, "RIFF");
    test::appendLe32(shortFormat, 4 + 8 + 14 + 8 + 10);
    test::appendText(shortFormat, "WAVE");
    Bytes fmt14 = test::formatChunkPayload(1, 44100, 16);
    fmt14.resize(14);
    test::appendChunk(shortFormat, "fmt ", fmt14);
    test::appendChunk(shortFormat, "data", Bytes(10, 0));
    Bytes hugeData = wave([](WaveSpec& s) { s.dataSize = 0xFFFFFFF0U; });
    Bytes hugeRiff = wave([](WaveSpec& s) { s.riffSize = 0xFFFFFFFFU; });
    Bytes cutInFormat = wave([](WaveSpec&) {});
    cutInFormat.resize(30);
    Bytes cutBeforeFormat = cutInFormat;
    cutBeforeFormat.resize(16);
    const std::string cannotRead = "cannot be read as Wave Audio";

    const Case cases[] = {
        {"good", wave([](WaveSpec&) {}), "", true, 1, 16, 100},
        {"stereo 8-bit", wave([](WaveSpec& s) {
             s.channels = 2;
             s.bits = 8;
         }),
         "", true, 2, 8, 100},
        {"no format chunk", noFormat, cannotRead, false, 0, 0, 0},
        {"not RIFF", notRiff, cannotRead, false, 0, 0, 0},
        {"empty file", Bytes{}, cannotRead, false, 0, 0, 0},
        {"cut before the format chunk", cutBeforeFormat, cannotRead, false, 0, 0, 0},
        {"cut inside the format chunk", cutInFormat, "", true, 0, 0, 0},
        {"format chunk too short", shortFormat, "", true, 0, 0, 0},
        {"not PCM", wave([](WaveSpec& s) { s.formatTag = 3; }), "", true, 0, 0, 0},
        {"zero channels", wave([](WaveSpec& s) { s.channels = 0; }), "", true, 0, 0, 0},
        {"zero bits", wave([](WaveSpec& s) { s.bits = 0; }), "", true, 0, 0, 0},
        {"data size beyond the file", hugeData, "", true, 1, 16, 100 + 82},
        {"RIFF size beyond the file", hugeRiff, "", true, 1, 16, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reporter.reports.clear();
        std::string path = dir.file("damaged.wav");
        test::writeBytes(path, c.bytes);
        sonIO in(context, path);
        if (c.message.empty()) {
            EXPECT_TRUE(reporter.reports.empty());
        } else {
            ASSERT_EQ(reporter.reports.size(), 1U);
            EXPECT_EQ(reporter.reports[0].text, "File " + path + "\n" + c.message);
            EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
        }
        EXPECT_EQ(in.IsOpen(), c.opened);
        EXPECT_EQ(in.channels, c.channels);
        EXPECT_EQ(in.bitsPerSample, c.bits);
        EXPECT_EQ(in.dataSize, c.dataSize);
        // Whatever the file, reading is safe and ends.
        std::vector<std::int16_t> buffer(64000, 5);
        int calls = 0;
        while (in.ReadBlock(buffer.data(), 64000) == 1)
            ASSERT_LT(++calls, 2);
        EXPECT_TRUE(
            std::all_of(buffer.begin() + 200, buffer.end(), [](std::int16_t v) { return v == 0; }));
    }
}

TEST_F(SonioRead, EmptyAndMissingPaths) {
    sonIO empty(context, "");
    ASSERT_EQ(reporter.texts(),
              std::vector<std::string>{"An error occured in module sonIO::sonIO\npath is empty"});
    EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
    std::int16_t value = 3;
    EXPECT_EQ(empty.ReadBlock(&value, 1), 0);
    EXPECT_EQ(value, 0);

    std::string missing = dir.file("nowhere.wav");
    sonIO absent(context, missing);
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_EQ(reporter.texts().back(), "File " + missing + "\ncannot be read as Wave Audio");
}

} // namespace
} // namespace sonarium
