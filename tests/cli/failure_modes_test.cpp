// What the command line does when things go wrong: sources it cannot read, results that would
// replace their source, odd names, signals in the middle of a job, a disk that fills up.
#include "cli_runner.h"
#include "run_operation.h"
#include "test_support.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::runCli;

// Every name in the folder, hidden temporary files included.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class FailureModes : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    test::TempDir results; // only results ever appear here
    std::string out = results.file("out.wav");
};

// A FIFO would block a plain open forever; a directory opens but never reads.
TEST_F(FailureModes, SourcesThatCannotBeReadEndAtOnce) {
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string source;
        std::string reason;
    };
    const Case cases[] = {
        {fifo, "not a regular file"},
        {dir.path().string(), "Is a directory"},
        {dir.file("missing.wav"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        for (const std::vector<std::string>& arguments :
             {std::vector<std::string>{"volume", c.source, "-o", out},
              std::vector<std::string>{"peaks", c.source}}) {
            const CliRun run = runCli(arguments, 10);
            EXPECT_FALSE(run.timedOut);
            EXPECT_LT(run.seconds, 1.0);
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(
                run.err.find("File " + c.source + "\ncannot be read as Wave Audio\n" + c.reason),
                std::string::npos)
                << run.err;
        }
        EXPECT_TRUE(namesIn(results.path()).empty());
    }
}

// Jobs that compute on 16-bit values refuse other depths and channel counts before creating
// anything.
TEST_F(FailureModes, SampleFormatsTheJobsCannotComputeOn) {
    struct Case {
        int channels;
        int bits;
        int formatTag;
        std::string message; // after "File PATH\n"
    };
    const Case cases[] = {
        {1, 8, 1, "is an 8-bit file.\n\nUse -Import audio file- first."},
        {2, 24, 1,
         "holds 24-bit sound on 2 channels:\nonly 16-bit mono and stereo files can be "
         "processed.\n\nUse -Import audio file- first."},
        {1, 32, 1,
         "holds 32-bit sound on 1 channels:\nonly 16-bit mono and stereo files can be "
         "processed.\n\nUse -Import audio file- first."},
        {3, 16, 1,
         "holds 16-bit sound on 3 channels:\nonly 16-bit mono and stereo files can be "
         "processed.\n\nUse -Import audio file- first."},
        {4, 16, 1,
         "holds 16-bit sound on 4 channels:\nonly 16-bit mono and stereo files can be "
         "processed.\n\nUse -Import audio file- first."},
        {1, 32, 3,
         "cannot be read as Wave Audio\nits samples are floating-point numbers, not "
         "PCM\n\nUse -Import audio file- first."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " x " + std::to_string(c.bits));
        test::WaveSpec shape;
        shape.channels = c.channels;
        shape.bits = c.bits;
        shape.formatTag = c.formatTag;
        shape.samples = test::ramp(1200);
        const std::string source = dir.file("format.wav");
        test::writeBytes(source, test::buildWave(shape));
        const test::Bytes before = test::readBytes(source);
        for (const char* op : {"volume", "normalize", "saturate", "silent-zone"}) {
            const CliRun run = runCli({op, source, "-o", out});
            EXPECT_EQ(run.status, 1) << op;
            EXPECT_EQ(run.err, "sonarium-cli: File " + source + "\n" + c.message + "\n") << op;
        }
        EXPECT_TRUE(namesIn(results.path()).empty());
        EXPECT_EQ(test::readBytes(source), before);
    }
}

TEST_F(FailureModes, PeaksNeverWritesOverItsSource) {
#ifndef SONARIUM_CLI_HAS_PNG
    GTEST_SKIP() << "sonarium-cli built without the editor's drawing code";
#endif
    const std::string source = test::writeWave(dir.file("a.wav"), test::ramp(40000));
    const test::Bytes before = test::readBytes(source);
    fs::create_symlink(source, dir.file("link.png"));
    ASSERT_EQ(::link(source.c_str(), dir.file("hard.png").c_str()), 0);
    for (const std::string& picture :
         {source, std::string("./a.wav"), dir.file("link.png"), dir.file("hard.png")}) {
        SCOPED_TRACE(picture);
        const CliRun run = runCli({"peaks", "a.wav", "--png", picture}, 60, dir.path().string());
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "File " + picture +
                               "\nis the file being displayed: the picture cannot be written over "
                               "it\n");
        EXPECT_EQ(test::readBytes(source), before);
    }
    const CliRun drawn = runCli({"peaks", source, "--png", results.file("a.png")});
    if (drawn.status != 2) { // 2: built without pictures
        EXPECT_EQ(drawn.status, 0) << drawn.err;
        EXPECT_EQ(namesIn(results.path()), std::vector<std::string>{"a.png"});
    }
}

TEST_F(FailureModes, NamesThatLookLikeOptions) {
    test::writeWave(dir.file("-in.wav"), test::ramp(1000));
    const CliRun volume = runCli({"volume", "--ratio", "50", "-o", "-out.wav", "--", "-in.wav"}, 60,
                                 dir.path().string());
    EXPECT_EQ(volume.status, 0) << volume.err;
    EXPECT_EQ(test::readValues(dir.file("-out.wav")).size(), 1000U);
    const CliRun peaks = runCli({"peaks", "--", "-in.wav"}, 60, dir.path().string());
    EXPECT_EQ(peaks.status, 0) << peaks.err;

    const CliRun hex =
        runCli({"volume", "--ratio", "0x10", "-o", out, "--", "-in.wav"}, 60, dir.path().string());
    EXPECT_EQ(hex.status, 2);
    EXPECT_NE(hex.err.find("Please enter a number between -32768 and 32767."), std::string::npos);
}

// A job interrupted halfway leaves nothing under the result's name; SIGINT and SIGTERM also
// remove the temporary file.
TEST_F(FailureModes, SignalsHalfwayThroughAJob) {
    const std::string source = dir.file("big.wav");
    {
        std::vector<std::int16_t> values(25'000'000);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = static_cast<std::int16_t>((i * 37) % 20000);
        test::writeWave(source, values);
    }
    for (int signal : {SIGTERM, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal);
        fs::remove_all(results.path());
        fs::create_directory(results.path());
        const pid_t pid = test::startCli({"normalize", source, "-o", out});
        // Wait for the job to be writing its result.
        bool writing = false;
        for (int i = 0; i < 2000 && !writing; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            writing = !namesIn(results.path()).empty();
        }
        ASSERT_TRUE(writing);
        ::kill(pid, signal);
        const CliRun run = test::waitCli(pid);
        if (run.signal == 0) {
            // The job finished before the signal arrived: nothing to check on this machine.
            EXPECT_EQ(run.status, 0);
            std::printf("signal %d came after the job had finished\n", signal);
            continue;
        }
        EXPECT_EQ(run.signal, signal);
        EXPECT_FALSE(fs::exists(out));
        if (signal != SIGKILL) {
            EXPECT_TRUE(namesIn(results.path()).empty());
        }
    }
}

// A real disk that fills up, where the runner lets an unprivileged mount namespace mount one.
TEST_F(FailureModes, AFullDiskLeavesNothing) {
    if (::system("unshare -rm true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unshare -rm is not allowed here";
    const std::string source = test::writeWave(dir.file("in.wav"), test::ramp(2'000'000));
    const test::Bytes before = test::readBytes(source);
    const std::string script = "mount -t tmpfs -o size=1m none '" + results.path().string() +
                               "' && '" SONARIUM_CLI_PATH "' volume '" + source + "' -o '" + out +
                               "'; status=$?; ls -A '" + results.path().string() +
                               "'; exit $status";
    const test::CliRun run = test::runProgramForTests("unshare", {"-rm", "sh", "-c", script});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, ""); // the tmpfs held nothing at the end
    // The message names the file and the system's reason.
    EXPECT_EQ(run.err, "sonarium-cli: An Error Occured\nWhile Writing Onto Disk\n\nFile " + out +
                           "\nNo space left on device\n");
    EXPECT_EQ(test::readBytes(source), before);
}

} // namespace
} // namespace sonarium
