// Our files as other programs read them, and other programs' files as we read them.
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(volume);

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
    WaveContext context{reporter, (test::shippedDataDir() / "res" / "suffix.rc2").string(), {}};
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

// The same file with a chunk put before its data chunk, as tagging programs do.
test::Bytes withChunkBeforeData(const test::Bytes& file) {
    test::Bytes out(file.begin(), file.begin() + 12);
    std::size_t at = 12;
    while (at + 8 <= file.size()) {
        const std::uint32_t size = readLe32(&file[at + 4]);
        if (std::equal(file.begin() + static_cast<long>(at),
                       file.begin() + static_cast<long>(at) + 4, "data")) {
            test::Bytes info{'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 7, 0, 0, 0};
            test::appendText(info, "tagged");
            info.push_back(0); // the 7th byte of the comment
            info.push_back(0); // and the pad byte of its odd size
            test::appendChunk(out, "LIST", info);
            out.insert(out.end(), file.begin() + static_cast<long>(at), file.end());
            writeLe32(&out[4], static_cast<std::uint32_t>(out.size() - 8));
            return out;
        }
        const std::size_t next = at + 8 + size + (size & 1U);
        out.insert(out.end(), file.begin() + static_cast<long>(at),
                   file.begin() + static_cast<long>(std::min(next, file.size())));
        at = next;
    }
    return out;
}

// Files that other programs wrote, as they wrote them and with a chunk before the data: Volume
// at 100 % gives back exactly the values sox decodes from them.
TEST_F(PeerPrograms, OtherProgramsFilesGiveExactlyTheirSamples) {
    if (!have("sox"))
        GTEST_SKIP() << "sox is not installed";
    struct Case {
        const char* name;
        const char* program;
        std::string make; // a command writing OUT
        int channels;
    };
    const std::string out = dir.file("made.wav");
    const Case cases[] = {
        {"sox mono", "sox",
         "sox -n -b 16 -r 44100 -c 1 " + shellQuoted(out) + " synth 0.5 sine 440 gain -3", 1},
        {"sox stereo 22050", "sox",
         "sox -n -b 16 -r 22050 -c 2 " + shellQuoted(out) + " synth 0.5 sine 440 sine 660 gain -3",
         2},
        {"espeak-ng", "espeak-ng", "espeak-ng -w " + shellQuoted(out) + " 'sound workbench'", 1},
        {"python wave", "python3",
         "python3 -c 'import wave,math,sys\n"
         "w=wave.open(sys.argv[1],\"wb\");w.setnchannels(2);w.setsampwidth(2);"
         "w.setframerate(32000)\n"
         "w.writeframes(b\"\".join(int(20000*math.sin(i/9)).to_bytes(2,\"little\",signed=True)*2 "
         "for i in range(20011)))\nw.close()' " +
             shellQuoted(out),
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (!have(c.program)) {
            std::printf("skipped: %s is not installed\n", c.program);
            continue;
        }
        std::filesystem::remove(out);
        CommandResult made = run(c.make);
        ASSERT_EQ(made.status, 0) << made.output;
        const std::string raw = dir.file("made.raw");
        CommandResult decoded =
            run("sox " + shellQuoted(out) + " -t raw -e signed -b 16 -L " + shellQuoted(raw));
        ASSERT_EQ(decoded.status, 0) << decoded.output;
        const test::Bytes expected = test::readBytes(raw);
        ASSERT_GT(expected.size(), 1000U);

        const std::string tagged = dir.file("tagged.wav");
        test::writeBytes(tagged, withChunkBeforeData(test::readBytes(out)));
        for (const std::string& source : {out, tagged}) {
            SCOPED_TRACE(source);
            EXPECT_TRUE(IsWaveFileUsable(reporter, source));
            Parameters p = volumeOperation().defaults();
            p.setNumber("ratio", 100);
            const test::JobRun r =
                test::runOperation(volumeOperation(), p, {.source = source}, reporter,
                                   {.destination = dir.file("copy.wav")});
            ASSERT_EQ(r.outcome, JobOutcome::Completed);
            EXPECT_EQ(r.channels, c.channels);
            EXPECT_TRUE(test::samplesToBytes(r.output) == expected);
        }
    }
    EXPECT_TRUE(reporter.reports.empty()) << reporter.texts().front();
}

} // namespace
} // namespace sonarium
