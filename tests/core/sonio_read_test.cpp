// Reading wave files block by block: the data chunk wherever it is, zero fill, truncation,
// seeking, bad files.
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

TEST_F(SonioRead, DeliversExactlyTheValuesInBlocksOfAnySize) {
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

// The chunks other programs put around the data: each file must give exactly its data chunk.
TEST_F(SonioRead, OnlyTheDataChunkIsEverSamples) {
    const std::vector<std::int16_t> values = test::ramp(301);
    Bytes list;
    test::appendChunk(list, "LIST",
                      Bytes{'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    Bytes junkAndBext;
    test::appendChunk(junkAndBext, "JUNK", Bytes(28, 0));
    test::appendChunk(junkAndBext, "bext", Bytes(602, 'x'));
    Bytes oddChunk; // 5 bytes and its pad byte
    test::appendChunk(oddChunk, "odd ", Bytes{1, 2, 3, 4, 5});
    Bytes longList;
    test::appendChunk(longList, "LIST", Bytes(192, 'L'));
    struct Case {
        const char* name;
        Bytes before;
        Bytes after;
    };
    const Case cases[] = {
        {"our own file", {}, trailerBytes()},
        {"no trailer", {}, {}},
        {"LIST before the data", list, trailerBytes()},
        {"JUNK and bext before the data", junkAndBext, {}},
        {"odd-sized chunk before the data", oddChunk, {}},
        {"data followed by a 200-byte LIST", {}, longList},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WaveSpec shape;
        shape.samples = values;
        shape.extraChunksBeforeData = c.before;
        shape.tail = c.after;
        sonIO in(context, writeWave(shape));
        ASSERT_TRUE(in.IsOpen());
        EXPECT_EQ(in.dataStart, 44 + c.before.size());
        std::vector<std::int16_t> buffer(400, 99);
        EXPECT_EQ(in.ReadBlock(buffer.data(), 400), 0);
        std::vector<std::int16_t> expected = values;
        expected.resize(400, 0);
        EXPECT_EQ(buffer, expected);
        EXPECT_FALSE(in.Truncated());
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(SonioRead, ExtensiblePcmReadsLikePcm) {
    const std::vector<std::int16_t> values = test::ramp(64);
    Bytes format = test::formatChunkPayload(2, 48000, 16, 0xFFFE);
    test::appendLe16(format, 22); // extension size
    test::appendLe16(format, 16); // valid bits
    test::appendLe32(format, 3);  // front left and right
    const Bytes pcmGuid = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                           0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    Bytes floatGuid = pcmGuid;
    floatGuid[0] = 3;
    for (const auto& [guid, readable] : {std::pair{pcmGuid, true}, std::pair{floatGuid, false}}) {
        Bytes body;
        test::appendText(body, "WAVE");
        Bytes fmt = format;
        fmt.insert(fmt.end(), guid.begin(), guid.end());
        test::appendChunk(body, "fmt ", fmt);
        test::appendChunk(body, "data", test::samplesToBytes(values));
        Bytes file;
        test::appendText(file, "RIFF");
        test::appendLe32(file, static_cast<std::uint32_t>(body.size()));
        file.insert(file.end(), body.begin(), body.end());
        const std::string path = dir.file("extensible.wav");
        test::writeBytes(path, file);
        reporter.reports.clear();
        sonIO in(context, path);
        ASSERT_EQ(in.IsOpen(), readable);
        if (!readable) {
            EXPECT_EQ(reporter.texts(),
                      std::vector<std::string>{"File " + path +
                                               "\ncannot be read as Wave Audio\nits samples are "
                                               "floating-point numbers, not PCM\n\nUse "
                                               "-Import audio file- first."});
            continue;
        }
        EXPECT_EQ(in.channels, 2);
        EXPECT_EQ(in.sampleRate, 48000);
        std::vector<std::int16_t> buffer(64);
        EXPECT_EQ(in.ReadBlock(buffer.data(), 64), 1);
        EXPECT_EQ(buffer, values);
    }
}

TEST_F(SonioRead, ATruncationAfterOpeningIsNoticed) {
    WaveSpec shape;
    shape.samples = test::ramp(1000);
    shape.tail = trailerBytes();
    const std::string path = writeWave(shape);
    sonIO in(context, path);
    std::vector<std::int16_t> buffer(400);
    ASSERT_EQ(in.ReadBlock(buffer.data(), 400), 1);
    std::filesystem::resize_file(path, 44 + 2 * 500 + 1); // half a value after value 500
    EXPECT_EQ(in.ReadBlock(buffer.data(), 400), 0);
    EXPECT_TRUE(in.Truncated());
    EXPECT_EQ(std::vector<std::int16_t>(buffer.begin(), buffer.begin() + 100),
              std::vector<std::int16_t>(shape.samples.begin() + 400, shape.samples.begin() + 500));
    EXPECT_TRUE(
        std::all_of(buffer.begin() + 100, buffer.end(), [](std::int16_t v) { return v == 0; }));

    // A file that grows is read up to its declared size, and no further.
    sonIO grown(context, writeWave(shape, "grown.wav"));
    test::Bytes more(1000, 0x55);
    std::ofstream(dir.file("grown.wav"), std::ios::app | std::ios::binary)
        .write(reinterpret_cast<const char*>(more.data()), 1000);
    std::vector<std::int16_t> all(1200, 99);
    EXPECT_EQ(grown.ReadBlock(all.data(), 1200), 0);
    EXPECT_FALSE(grown.Truncated());
    EXPECT_TRUE(std::equal(shape.samples.begin(), shape.samples.end(), all.begin()));
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
    const std::string cannotRead = "cannot be read as Wave Audio\n";
    const std::string importHint = "\n\nUse -Import audio file- first.";

    const Case cases[] = {
        {"good", wave([](WaveSpec&) {}), "", true, 1, 16, 100},
        {"stereo 8-bit", wave([](WaveSpec& s) {
             s.channels = 2;
             s.bits = 8;
         }),
         "", true, 2, 8, 100},
        {"no format chunk", noFormat, cannotRead + "it has no format chunk", false, 0, 0, 0},
        {"not RIFF", notRiff, cannotRead + "it is not a RIFF WAVE file", false, 0, 0, 0},
        {"empty file", Bytes{}, cannotRead + "it is not a RIFF WAVE file", false, 0, 0, 0},
        {"cut before the format chunk", cutBeforeFormat, cannotRead + "it has no format chunk",
         false, 0, 0, 0},
        {"cut inside the format chunk", cutInFormat, cannotRead + "its format chunk is incomplete",
         false, 0, 0, 0},
        {"format chunk too short", shortFormat, cannotRead + "its format chunk is incomplete",
         false, 0, 0, 0},
        {"floating point", wave([](WaveSpec& s) { s.formatTag = 3; }),
         cannotRead + "its samples are floating-point numbers, not PCM" + importHint, false, 0, 0,
         0},
        {"compressed", wave([](WaveSpec& s) { s.formatTag = 2; }),
         cannotRead + "its samples are not PCM (format 2)" + importHint, false, 0, 0, 0},
        {"zero channels", wave([](WaveSpec& s) { s.channels = 0; }),
         cannotRead + "its format chunk declares no channels or no sample size", false, 0, 0, 0},
        {"zero bits", wave([](WaveSpec& s) { s.bits = 0; }),
         cannotRead + "its format chunk declares no channels or no sample size", false, 0, 0, 0},
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
    EXPECT_EQ(reporter.texts().back(),
              "File " + missing + "\ncannot be read as Wave Audio\nNo such file or directory");

    // Neither a directory nor a FIFO is opened (the FIFO would wait for a writer forever).
    sonIO folder(context, dir.path().string());
    EXPECT_FALSE(folder.IsOpen());
    EXPECT_EQ(reporter.texts().back(),
              "File " + dir.path().string() + "\ncannot be read as Wave Audio\nIs a directory");
#ifndef _WIN32
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    sonIO pipe(context, fifo);
    EXPECT_FALSE(pipe.IsOpen());
    EXPECT_EQ(reporter.texts().back(),
              "File " + fifo + "\ncannot be read as Wave Audio\nnot a regular file");
#endif
}

} // namespace
} // namespace sonarium
