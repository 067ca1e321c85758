// The usability check and the chunk walker beneath it.
#include "test_support.h"
#include "wavefile/riff_reader.h"
#include "wavefile/wave_check.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;
using test::WaveSpec;

TEST(WaveCheck, AcceptsOnlyPcmWithData) {
    test::TempDir dir;
    auto wave = [](auto edit) {
        WaveSpec shape;
        shape.samples = test::ramp(20);
        edit(shape);
        return test::buildWave(shape);
    };
    Bytes padded;
    test::appendChunk(padded, "junk", Bytes(3, 9)); // odd size: padded to 4
    Bytes noFormat;
    test::appendText(noFormat, "RIFF");
    test::appendLe32(noFormat, 4 + 8 + 10);
    test::appendText(noFormat, "WAVE");
    test::appendChunk(noFormat, "data", Bytes(10, 0));
    Bytes longFormat;
    test::appendText(longFormat, "RIFF");
    test::appendLe32(longFormat, 4 + 8 + 18 + 8 + 4);
    test::appendText(longFormat, "WAVE");
    Bytes fmt18 = test::formatChunkPayload(2, 48000, 16);
    fmt18.push_back(0);
    fmt18.push_back(0);
    test::appendChunk(longFormat, "fmt ", fmt18);
    test::appendChunk(longFormat, "data", Bytes(4, 1));
    Bytes cutData = wave([](WaveSpec& s) { s.dataSize = 4000; });
    cutData.resize(44);

    struct Case {
        const char* name;
        Bytes bytes;
        std::string reason; // empty: usable
    };
    const Case cases[] = {
        {"plain PCM", wave([](WaveSpec&) {}), ""},
        {"chunk with odd size before data",
         wave([&](WaveSpec& s) { s.extraChunksBeforeData = padded; }), ""},
        {"18-byte format chunk", longFormat, ""},
        {"24-bit stereo", wave([](WaveSpec& s) {
             s.channels = 2;
             s.bits = 24;
         }),
         ""},
        {"empty data", wave([](WaveSpec& s) { s.samples.clear(); }), "it holds no sound data"},
        {"data size declared but no bytes", cutData, "it holds no sound data"},
        {"float format", wave([](WaveSpec& s) { s.formatTag = 3; }),
         "its samples are floating-point numbers, not PCM\n\nUse -Import audio file- first."},
        {"zero channels", wave([](WaveSpec& s) { s.channels = 0; }),
         "its format chunk declares no channels or no sample size"},
        {"three channels", wave([](WaveSpec& s) { s.channels = 3; }),
         "it holds 3 channels: only mono and stereo files can be shown"},
        {"no format chunk", noFormat, "it has no format chunk"},
        {"text file", Bytes{'h', 'e', 'l', 'l', 'o'}, "it is not a RIFF WAVE file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::RecordingReporter reporter;
        std::string path = dir.file("check.wav");
        test::writeBytes(path, c.bytes);
        EXPECT_EQ(IsWaveFileUsable(reporter, path), c.reason.empty());
        if (!c.reason.empty())
            EXPECT_EQ(reporter.texts(),
                      std::vector<std::string>{"File " + path + "\ncannot be read as Wave Audio\n" +
                                               c.reason});
        else
            EXPECT_TRUE(reporter.reports.empty());
    }
}

TEST(RiffReader, FindsChunksInOrderAndAscendsOverPadding) {
    test::TempDir dir;
    Bytes file;
    Bytes body;
    test::appendText(body, "WAVE");
    test::appendChunk(body, "odd ", Bytes(5, 1));
    test::appendChunk(body, "fmt ", test::formatChunkPayload(1, 8000, 16));
    test::appendChunk(body, "data", Bytes(6, 2));
    test::appendText(file, "RIFF");
    test::appendLe32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    test::writeBytes(dir.file("a.wav"), file);

    BinaryFile opened(dir.file("a.wav"), BinaryFile::Mode::Read);
    ASSERT_TRUE(opened.isOpen());
    RiffReader reader(opened);
    RiffChunk riff, fmt, data, missing;
    ASSERT_TRUE(reader.findRiff(fourCC("WAVE"), riff));
    EXPECT_EQ(reader.position(), 12U);
    ASSERT_TRUE(reader.findChunk(fourCC("fmt "), &riff, fmt));
    EXPECT_EQ(fmt.dataOffset, 12U + 8 + 6 + 8);
    EXPECT_EQ(fmt.size, 16U);
    ASSERT_TRUE(reader.ascend(fmt));
    ASSERT_TRUE(reader.findChunk(fourCC("data"), &riff, data));
    EXPECT_EQ(data.size, 6U);
    // Searching on from the data chunk finds nothing and does not loop.
    EXPECT_FALSE(reader.findChunk(fourCC("fmt "), &riff, missing));
}

TEST(RiffReader, ManyEmptyChunksEndTheSearch) {
    test::TempDir dir;
    Bytes file;
    test::appendText(file, "RIFF");
    test::appendLe32(file, 0xFFFFFFFFU);
    test::appendText(file, "WAVE");
    for (int i = 0; i < RiffReader::kMaxChunksPerSearch + 10; ++i)
        test::appendChunk(file, "pad ", Bytes{});
    test::appendChunk(file, "fmt ", test::formatChunkPayload(1, 8000, 16));
    test::writeBytes(dir.file("many.wav"), file);
    WaveLayout layout = readWaveLayout(dir.file("many.wav"));
    EXPECT_EQ(layout.status, WaveLayout::Status::NoFormatChunk);
}

} // namespace
} // namespace sonarium
