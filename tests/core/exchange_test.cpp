// The format exchanges: 8-bit import and export, raw import, their result names, and the MP3
// batch text.
#include "operations/exchange/eight_bit_export.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/exchange_job.h"
#include "operations/exchange/mp3_batch.h"
#include "operations/exchange/raw_import.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;

// An 8-bit wave file holding the bytes as its data; declared overrides the data chunk's size.
Bytes eightBitWave(const Bytes& samples, int channels = 1, int rate = 44100, const Bytes& tail = {},
                   std::optional<std::uint32_t> declared = {}) {
    Bytes body;
    test::appendText(body, "WAVE");
    test::appendChunk(body, "fmt ", test::formatChunkPayload(channels, rate, 8));
    test::appendText(body, "data");
    test::appendLe32(body, declared.value_or(static_cast<std::uint32_t>(samples.size())));
    body.insert(body.end(), samples.begin(), samples.end());
    body.insert(body.end(), tail.begin(), tail.end());
    Bytes file;
    test::appendText(file, "RIFF");
    test::appendLe32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// Bytes that are never 0, so that a value of −32768 in a result can only be invented.
Bytes byteRamp(std::size_t n) {
    Bytes bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<unsigned char>(1 + (i * 37) % 255);
    return bytes;
}

struct Result {
    JobOutcome outcome;
    std::vector<std::string> messages;
    bool written = false;
    Bytes file;
    std::vector<int> progress;
};

struct RecordingProgress final : Progress {
    std::vector<int> values;
    void setProgress(int percent) override { values.push_back(percent); }
};

class Exchange : public ::testing::Test {
protected:
    test::TempDir dir;

    Result run(JobOutcome (*job)(JobContext&), const std::string& source,
               const std::string& destination) {
        test::RecordingReporter reporter;
        WaveContext wave{reporter, "", {}};
        RecordingProgress progress;
        JobContext context{.wave = wave,
                           .progress = progress,
                           .input = {.source = source},
                           .destination = [destination] { return destination; },
                           .result = ResultFile::Finish};
        Result r{job(context), reporter.texts()};
        r.progress = progress.values;
        std::error_code error;
        r.written = !std::filesystem::equivalent(source, destination, error) &&
                    std::filesystem::is_regular_file(destination);
        if (r.written)
            r.file = test::readBytes(destination);
        return r;
    }
    // The header's fields and the data of a written file, checked for honest sizes.
    static Bytes dataOf(const Bytes& file) {
        EXPECT_GE(file.size(), 44U + 82U);
        EXPECT_EQ(readLe32(&file[4]), file.size() - 8);
        EXPECT_EQ(readLe32(&file[40]), file.size() - 44 - 82);
        return Bytes(file.begin() + 44, file.end() - 82);
    }
    static std::vector<std::int16_t> valuesOf(const Bytes& file) {
        const Bytes data = dataOf(file);
        std::vector<std::int16_t> values;
        for (std::size_t i = 0; i + 1 < data.size(); i += 2)
            values.push_back(static_cast<std::int16_t>(readLe16(&data[i])));
        return values;
    }
};

TEST_F(Exchange, EightBitImportConvertsExactlyTheDataBytes) {
    struct Case {
        const char* name;
        Bytes file;
        Bytes expectedBytes; // the samples that must come out, in order
        int channels = 1;
    };
    const Bytes junk = [] {
        Bytes chunk;
        test::appendChunk(chunk, "junk", Bytes{0, 0, 0});
        return chunk;
    }();
    const Bytes trailer(builtInTrailer().begin(), builtInTrailer().end());
    std::vector<Case> cases = {
        {"128 255 0: the odd last byte dropped", eightBitWave({128, 255, 0}), {128, 255}},
        {"stereo at 22050 Hz", eightBitWave({1, 2, 3, 4}, 2, 22050), {1, 2, 3, 4}, 2},
        {"foreign file without trailer", eightBitWave(byteRamp(1000)), byteRamp(1000)},
        {"short chunk after the data", eightBitWave(byteRamp(301), 1, 8000, junk), byteRamp(300)},
        {"with our trailer", eightBitWave(byteRamp(500), 1, 44100, trailer), byteRamp(500)},
        {"truncated: fewer bytes than declared", eightBitWave(byteRamp(777), 1, 44100, {}, 5000),
         byteRamp(776)},
    };
    for (std::uint32_t c : {127999U, 128000U, 128001U, 128002U, 128003U, 256003U})
        cases.push_back({"c bytes", eightBitWave(byteRamp(c)), byteRamp(c & ~1U)});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(c.expectedBytes.size()));
        const std::string source = dir.file("in8.wav");
        test::writeBytes(source, c.file);
        const Result r = run(importEightBit, source, dir.file("out.wav"));
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(r.messages);
        EXPECT_EQ(test::readBytes(source), c.file);
        EXPECT_EQ(readLe16(&r.file[22]), c.channels);
        EXPECT_EQ(readLe32(&r.file[24]), readLe32(&c.file[24])); // the source's rate
        EXPECT_EQ(readLe16(&r.file[34]), 16U);
        const std::vector<std::int16_t> values = valuesOf(r.file);
        ASSERT_EQ(values.size(), c.expectedBytes.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(values[i], (c.expectedBytes[i] - 128) * 256) << i;
        EXPECT_EQ(r.progress.back(), 100);
    }
}

TEST_F(Exchange, EightBitExportWritesEveryByte) {
    struct Case {
        std::vector<std::int16_t> values;
        int channels;
        int rate;
        Bytes expected; // empty: each value's own rule
    };
    const Case cases[] = {
        {{0, -1, 32767, -32768}, 1, 44100, {128, 128, 255, 0}},
        {{-255, -256, 255, 256, 1}, 2, 22050, {128, 127, 128, 129, 128}}, // odd N, stereo
        {test::ramp(128003, -32768, 509), 1, 8000, {}},                   // odd last block
        {test::ramp(64000, 17, 3), 2, 96000, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.values.size()) + " values");
        const std::string source =
            test::writeWave(dir.file("in.wav"), c.values, c.channels, c.rate);
        const Bytes before = test::readBytes(source);
        const Result r = run(exportEightBit, source, dir.file("out8.wav"));
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(test::readBytes(source), before);
        EXPECT_EQ(readLe16(&r.file[22]), c.channels);
        EXPECT_EQ(readLe32(&r.file[24]), static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(readLe16(&r.file[34]), 8U);
        const Bytes data = dataOf(r.file);
        ASSERT_EQ(data.size(), c.values.size());
        for (std::size_t i = 0; i < data.size(); ++i) {
            const int expected = c.expected.empty() ? c.values[i] / 256 + 128 : c.expected[i];
            ASSERT_EQ(data[i], expected) << i;
        }
    }
}

TEST_F(Exchange, ExportThenImportKeepsTheOrder) {
    const std::vector<std::int16_t> values = test::ramp(128003, -30000, 263);
    const std::string source = test::writeWave(dir.file("in.wav"), values, 2);
    ASSERT_EQ(run(exportEightBit, source, dir.file("mid8.wav")).outcome, JobOutcome::Completed);
    const Result back = run(importEightBit, dir.file("mid8.wav"), dir.file("back.wav"));
    ASSERT_EQ(back.outcome, JobOutcome::Completed);
    const std::vector<std::int16_t> result = valuesOf(back.file);
    ASSERT_EQ(result.size(), values.size() - 1); // the odd last 8-bit sample has no partner
    for (std::size_t i = 0; i < result.size(); ++i)
        ASSERT_EQ(result[i], values[i] / 256 * 256) << i;
}

TEST_F(Exchange, RefusalsWriteNothing) {
    const std::string wave16 = test::writeWave(dir.file("a16.wav"), test::ramp(100));
    const std::string wave8 = dir.file("a8.wav");
    test::writeBytes(wave8, eightBitWave(byteRamp(100)));
    const std::string oneByte = dir.file("one8.wav");
    test::writeBytes(oneByte, eightBitWave({200}));
    const std::string empty16 = test::writeWave(dir.file("empty16.wav"), {});
    std::filesystem::create_symlink(wave16, dir.file("link16.wav"));
    std::filesystem::create_symlink(wave8, dir.file("link8.wav"));
    std::filesystem::create_hard_link(wave16, dir.file("hard16.wav"));
    std::filesystem::create_directory(dir.file("sub"));
    const std::string dotted = dir.file("sub") + "/../a16.wav";
    struct Case {
        const char* name;
        JobOutcome (*job)(JobContext&);
        std::string source;
        std::string destination;
        std::string message; // the start of the one message
    };
    const Case cases[] = {
        {"import of a 16-bit file", importEightBit, wave16, dir.file("o.wav"), kNotEightBitText},
        {"import of 1 sample", importEightBit, oneByte, dir.file("o.wav"), "File "},
        {"import onto its source by link", importEightBit, wave8, dir.file("link8.wav"),
         kFileExistsText},
        {"export onto ./", exportEightBit, wave16, dir.path().string() + "/./a16.wav",
         kFileExistsText},
        {"export onto ..", exportEightBit, wave16, dotted, kFileExistsText},
        {"export onto a symbolic link", exportEightBit, wave16, dir.file("link16.wav"),
         kFileExistsText},
        {"export onto a hard link", exportEightBit, wave16, dir.file("hard16.wav"),
         kFileExistsText},
        {"export of an empty file", exportEightBit, empty16, dir.file("o.wav"), "File "},
        {"export of an 8-bit file", exportEightBit, wave8, dir.file("o.wav"), "File "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::pair<std::string, Bytes>> before;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.is_regular_file())
                before.emplace_back(entry.path().string(), test::readBytes(entry.path()));
        const Result r = run(c.job, c.source, c.destination);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        ASSERT_EQ(r.messages.size(), 1U);
        EXPECT_EQ(r.messages[0].rfind(c.message, 0), 0U) << r.messages[0];
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            files += entry.is_regular_file() ? 1U : 0U;
        EXPECT_EQ(files, before.size());
        for (const auto& [path, bytes] : before)
            EXPECT_EQ(test::readBytes(path), bytes) << path;
    }
}

TEST_F(Exchange, AFailedWriteIsReportedAndLeavesNoFile) {
    const std::string source = test::writeWave(dir.file("in.wav"), test::ramp(200001));
    const std::string eight = dir.file("in8.wav");
    test::writeBytes(eight, eightBitWave(byteRamp(200001)));
    for (auto job : {exportEightBit, importEightBit, importRaw}) {
        BinaryFile::limitCreatedFilesForTesting(44 + 70000);
        const Result r = run(job, job == importEightBit ? eight : source, dir.file("out.wav"));
        BinaryFile::limitCreatedFilesForTesting(-1);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_EQ(r.messages,
                  std::vector<std::string>{std::string(kWriteErrorText) + "\n\nFile " +
                                           dir.file("out.wav") + "\nNo space left on device"});
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav")));
    }
}

TEST_F(Exchange, RawImportTakesTheBytesTwoByTwo) {
    for (std::size_t length : {0U, 1U, 5U, 64000U, 64001U, 128001U}) {
        SCOPED_TRACE(length);
        const Bytes bytes = byteRamp(length);
        const std::string source = dir.file("drums.raw");
        test::writeBytes(source, bytes);
        const Result r = run(importRaw, source, dir.file("out.wav"));
        EXPECT_EQ(test::readBytes(source), bytes);
        if (length < 2) {
            EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
            EXPECT_EQ(r.messages, std::vector<std::string>{noSamplesMessage(source)});
            EXPECT_FALSE(r.written);
            continue;
        }
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(readLe16(&r.file[22]), 1U);
        EXPECT_EQ(readLe32(&r.file[24]), 44100U);
        EXPECT_EQ(dataOf(r.file), Bytes(bytes.begin(), bytes.begin() + (length & ~1U)));
        EXPECT_EQ(r.progress.back(), 100);
    }
}

TEST(ExchangeNames, ResultPaths) {
    struct Case {
        std::string source;
        std::string expected;
    };
    const Case eightBit[] = {
        {"/a/drum.wav", "/out/drum_16bit.wav"},     {"/a/x.wav.wav", "/out/x_16bit.wav_16bit.wav"},
        {"/a/DRUM.WAV", "/out/DRUM.WAV_16bit.wav"}, {"/a.wav/b", "/out/b_16bit.wav"},
        {"/out/loop", "/out/loop_16bit.wav"},
    };
    for (const Case& c : eightBit)
        EXPECT_EQ(eightBitImportPath(c.source, "/out/"), c.expected);
    EXPECT_EQ(rawImportPath("/t/012.wav", "/x/drums.raw"), "/t/012_drums.raw_.wav");
    EXPECT_EQ(rawImportPath("/t/012.wav", "noise"), "/t/012_noise_.wav");
}

TEST(Mp3Batch, LinesQuoteEveryPath) {
    const std::string encoder = "/r/res/mpenc";
    EXPECT_EQ(mp3BatchLines({"/a/b's/x y.wav", "/m/x y.mp3"}, "-b 192", encoder),
              "m='x y.mp2'\n"
              "w='x y.wav'\n"
              "if t=$(mktemp -d '/m/.x y.mp3.XXXXXX') && [ ! -d '/m/x y.mp3' ] && "
              "ln -s -- '/a/b'\\''s/x y.wav' \"$t/$w\"; then\n"
              "    (cd -- \"$t\" && exec '/r/res/mpenc' -b 192 \"$t/$w\") && "
              "mv -f -- \"$t/$m\" '/m/x y.mp3'\n"
              "fi\n"
              "finish\n");
    // The option is written only when it is one of the six rates.
    for (const std::string option : {"", "-b 64", "-b 192; rm x", "-V 2", "-b 1280"}) {
        const std::string lines = mp3BatchLines({"/a.wav", "/a.mp3"}, option, encoder);
        EXPECT_NE(lines.find("exec '/r/res/mpenc' \"$t/$w\")"), std::string::npos) << option;
    }
    // The working folder beside a result whose name is as long as the system takes is named
    // within that limit; the result keeps its name.
    const std::string longResult = "/m/" + std::string(251, 'n') + ".mp3";
    const std::string lines = mp3BatchLines({"/a.wav", longResult}, "", encoder);
    const std::size_t from = lines.find("mktemp -d '/m/") + 14;
    EXPECT_EQ(lines.find('\'', from) - from, 255U);
    EXPECT_NE(lines.find("mv -f -- \"$t/$m\" '" + longResult + "'"), std::string::npos);
    // The batch removes itself, whatever ends it.
    const std::string batch = mp3Batch({}, "", encoder, "/r/res/mpenc-12.sh");
    EXPECT_TRUE(batch.starts_with("#!/bin/sh\n"));
    EXPECT_NE(batch.find("trap 'finish; rm -f -- '\\''/r/res/mpenc-12.sh'\\''' EXIT\n"),
              std::string::npos)
        << batch;
    EXPECT_EQ(mp3ResultPath("/m/song.wav"), "/m/song.mp3");
    EXPECT_EQ(mp3ExportsBeside({"/m/a.wav"})[0].result, "/m/a.mp3");
}

} // namespace
} // namespace sonarium
