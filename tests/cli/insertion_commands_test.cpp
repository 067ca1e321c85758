// insert-silence, insert-auxiliary and merge from the command line: their options, refusals and
// files other programs wrote.
#include "cli_runner.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

TEST(InsertionCommands, OptionsAndRefusals) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string a = test::writeWave(dir.file("a.wav"), test::ramp(1000), 2);
    const std::string b = test::writeWave(dir.file("b.wav"), test::ramp(300, 5, 3), 1);
    const std::string out = dir.file("out.wav");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::size_t values; // of the result, when written
        const char* error;
    };
    const Case cases[] = {
        {{"insert-silence", a}, 0, 1000 + 88200, ""},
        {{"insert-silence", "--start", "0", "--length", "0.5", a}, 0, 1000 + 44100, ""},
        {{"insert-silence", "--length", "0", a}, 1, 0, "Nothing to insert"},
        {{"insert-silence", "--length", "500000", a}, 1, 0, "at most 4 GB"},
        {{"insert-auxiliary", a, b}, 0, 1300, ""},
        {{"insert-auxiliary", "--start", "0.001", a, b}, 0, 1300, ""},
        {{"insert-auxiliary", a, a}, 1, 0, "Invalid auxiliary file"},
        {{"merge", a, b}, 0, 1000 + 600, ""},
        {{"merge", a, a}, 0, 2000, ""},
        {{"merge", a}, 2, 0, "expected 2 input file"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        SCOPED_TRACE(testing::PrintToString(arguments));
        fs::remove(out);
        arguments.insert(arguments.end(), {"-o", out});
        const test::CliRun run = test::runCli(arguments, 20);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
        if (c.status != 0) {
            EXPECT_FALSE(fs::exists(out));
            continue;
        }
        const test::Bytes bytes = test::readBytes(out);
        EXPECT_EQ(readLe32(&bytes[40]), 2 * c.values);
        EXPECT_EQ(bytes.size(), 44 + 2 * c.values + 82);
    }
}

// Files sox wrote (a LIST chunk, no trailer) are read and copied value for value.
TEST(InsertionCommands, FilesOtherProgramsWrote) {
    if (std::system("command -v sox >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "sox is not installed";
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string a = dir.file("a.wav");
    const std::string b = dir.file("b.wav");
    ASSERT_EQ(std::system(("sox -n -r 22050 -c 2 -b 16 '" + a + "' synth 0.5 sine 440").c_str()),
              0);
    ASSERT_EQ(std::system(("sox -n -r 8000 -c 1 -b 16 '" + b + "' synth 0.25 sine 300").c_str()),
              0);
    const std::string out = dir.file("out.wav");
    ASSERT_EQ(test::runCli({"merge", a, b, "-o", out}, 20).status, 0);
    // 11025 stereo frames, then 2000 mono values doubled.
    EXPECT_EQ(test::readValues(out).size(), 22050U + 4000U);
    fs::remove(out);
    ASSERT_EQ(test::runCli({"insert-auxiliary", "--start", "0.25", a, b, "-o", out}, 20).status, 0);
    const std::vector<std::int16_t> values = test::readValues(out);
    ASSERT_EQ(values.size(), 22050U + 2000U);
    EXPECT_EQ(values[11025 + 1999 + 1], test::readValues(a)[11025]); // the rest follows
}

} // namespace
} // namespace sonarium
