// Our files as other programs read them, and other programs' files as we read them.
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command line built only from fixed text and quoted temporary paths.
CommandResult run(const std::string& command) {
    CommandResult result;
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return result;
    std::array<char, 4096> chunk{};
    std::size_t n = 0;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0)
        result.output.append(chunk.data(), n);
    result.status = ::pclose(pipe);
    return result;
}

std::string shellQuoted(const std::string& path) {
    return "'" + path + "'";
}

bool have(const char* program) {
    return run(std::string("command -v ") + program + " >/dev/null").status == 0;
}

class PeerPrograms : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    WaveContext context{reporter, (test::sourceDataDir() / "res" / "suffix.rc2").string(), {}};
};

TEST_F(PeerPrograms, SoxReadsEveryKindOfFileWeWrite) {
    if (!have("soxi"))
        GTEST_SKIP() << "soxi (Debian package sox) is not installed";
    struct Case {
        const char* name;
        int ctor;
        int channels;
        std::int64_t amount;
        int rate;
        int bits;
        std::string expected; // channels rate bits samples-per-channel
    };
    const Case cases[] = {
        {"mono", 3, 1, 44100, 0, 0, "1 44100 16 44100"},
        {"stereo", 3, 2, 20000, 0, 0, "2 44100 16 10000"},
        {"empty", 3, 1, 0, 0, 0, "1 44100 16 0"},
        {"rate", 4, 2, 16000, 8000, 0, "2 8000 16 8000"},
        {"8-bit", 5, 1, 11025, 11025, 8, "1 11025 8 11025"},
        {"edit form", 5, 2, 4000, 22050, 16, "2 22050 16 1000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(std::string(c.name) + ".wav");
        {
            std::unique_ptr<sonIO> out;
            std::int64_t values = c.ctor == 5 ? c.amount / 2 : c.amount;
            if (c.ctor == 3)
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount);
            else if (c.ctor == 4)
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount, c.rate);
            else
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount, c.rate, c.bits);
            auto samples = test::ramp(static_cast<std::size_t>(values));
            out->WriteBlock(samples.data(), static_cast<int>(values));
            ASSERT_EQ(out->FinishWrite(), 1);
        }
        CommandResult info =
            run("soxi -V1 -c " + shellQuoted(path) + " && soxi -V1 -r " + shellQuoted(path) +
                " && soxi -V1 -b " + shellQuoted(path) + " && soxi -V1 -s " + shellQuoted(path));
        ASSERT_EQ(info.status, 0) << info.output;
        std::string fields = info.output;
        for (char& ch : fields)
            if (ch == '\n')
                ch = ' ';
        EXPECT_EQ(fields, c.expected + " ");
        // sox decodes the whole file without a warning about its structure.
        CommandResult decode = run("sox -V2 " + shellQuoted(path) + " -n stat");
        EXPECT_EQ(decode.status, 0) << decode.output;
        EXPECT_EQ(decode.output.find("WARN"), std::string::npos) << decode.output;
    }
}

TEST_F(PeerPrograms, WeReadWhatSoxWrites) {
    if (!have("sox"))
        GTEST_SKIP() << "sox is not installed";
    struct Case {
        const char* name;
        std::string soxArgs;
        int channels;
        int rate;
    };
    const Case cases[] = {
        {"mono 44100", "-r 44100 -c 1", 1, 44100},
        {"stereo 22050", "-r 22050 -c 2", 2, 22050},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string wav = dir.file("sox.wav");
        std::string raw = dir.file("sox.raw");
        CommandResult made = run("sox -n -b 16 " + c.soxArgs + " " + shellQuoted(wav) +
                                 " synth 0.5 sine 440 gain -3 && sox " + shellQuoted(wav) +
                                 " -t raw -e signed -b 16 -L " + shellQuoted(raw));
        ASSERT_EQ(made.status, 0) << made.output;
        EXPECT_TRUE(IsWaveFileUsable(reporter, wav));
        sonIO in(context, wav);
        EXPECT_EQ(in.channels, c.channels);
        EXPECT_EQ(in.sampleRate, c.rate);
        test::Bytes expected = test::readBytes(raw);
        ASSERT_EQ(in.dataSize, expected.size());
        // A file without our trailer loses its last 82 bytes, and only those.
        std::vector<std::int16_t> values(in.dataSize / 2);
        EXPECT_EQ(in.ReadBlock(values.data(), static_cast<int>(values.size())), 0);
        test::Bytes got = test::samplesToBytes(values);
        const std::size_t kept = expected.size() - 82;
        EXPECT_TRUE(
            std::equal(got.begin(), got.begin() + static_cast<long>(kept), expected.begin()));
        EXPECT_TRUE(std::all_of(got.begin() + static_cast<long>(kept), got.end(),
                                [](unsigned char b) { return b == 0; }));
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(PeerPrograms, WeReadWhatEspeakWrites) {
    if (!have("espeak-ng"))
        GTEST_SKIP() << "espeak-ng is not installed";
    std::string wav = dir.file("speech.wav");
    CommandResult made = run("espeak-ng -w " + shellQuoted(wav) + " 'sound workbench'");
    ASSERT_EQ(made.status, 0) << made.output;
    EXPECT_TRUE(IsWaveFileUsable(reporter, wav));
    sonIO in(context, wav);
    EXPECT_EQ(in.channels, 1);
    EXPECT_EQ(in.bitsPerSample, 16);
    EXPECT_GT(in.sampleRate, 0);
    const auto length = std::filesystem::file_size(wav);
    EXPECT_GT(in.dataSize, 1000U);
    EXPECT_LE(in.dataSize, length - 44);
    EXPECT_TRUE(reporter.reports.empty());
}

} // namespace
} // namespace sonarium
