// The waveshaping effects from the command line: every length that stresses the block split,
// in mono and stereo and from a file another program wrote, gives the editor's file; their own
// options and refusals with their exit statuses.
#include "cli_runner.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

class WaveshapingCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string out = dir.file("out.wav");

    test::CliRun cli(std::vector<std::string> arguments) { return test::runCli(arguments, 60); }
};

// Each operation with options that reach its less travelled paths.
const std::vector<std::vector<std::string>>& commands() {
    static const std::vector<std::vector<std::string>> list = {
        {"sinus-compression", "--gain", "250", "--iterations", "4", "--keep-diff"},
        {"bast", "--sensitivity", "40"},
        {"brown-out"},
        {"brown-out", "--autoscale", "--shift", "1.2", "--level", "3000"},
        {"shadok-effect", "--duration", "1.5", "--shape", "triangle", "--floor-freq", "30"},
        {"frequential-projection", "--no-reverted", "--floor-amp", "100"},
        {"simple-formula", "--formula", "Kmod= log (1/a) sin (w*t)"},
        {"simple-formula", "--formula", "P", "--seed", "4294967295"},
    };
    return list;
}

// Runs the operation of `command` on source through the command line and as the editor runs
// it, and checks both results and the source.
void expectSameAsEditor(const std::vector<std::string>& command, const std::string& source,
                        std::size_t expectedValues, int expectedChannels,
                        const test::TempDir& dir) {
    const OperationDecl& op = *findOperation(command[0]);
    const test::Bytes sourceBefore = test::readBytes(source);
    const std::string fromCli = dir.file("cli.wav");
    const std::string fromEditor = dir.file("editor.wav");
    fs::remove(fromCli);
    std::vector<std::string> arguments = command;
    arguments.insert(arguments.end(), {source, "-o", fromCli});
    const test::CliRun r = test::runCli(arguments, 60);
    ASSERT_FALSE(r.timedOut);
    ASSERT_EQ(r.status, 0) << r.err;

    OperationArguments parsed;
    const std::vector<std::string> options(arguments.begin() + 1, arguments.end());
    ASSERT_FALSE(parseOperationArguments(op, options, parsed).has_value());
    test::RecordingReporter reporter;
    const test::JobRun run =
        test::runOperation(op, parsed.parameters, {.source = source}, reporter,
                           {.destination = fromEditor,
                            .result = ResultFile::Open,
                            .trailerPath = resourceFile("suffix.rc2").string()});
    ASSERT_EQ(run.outcome, JobOutcome::Completed);
    EXPECT_TRUE(reporter.reports.empty());

    const test::Bytes result = test::readBytes(fromCli);
    EXPECT_TRUE(result == test::readBytes(fromEditor));
    EXPECT_TRUE(test::readBytes(source) == sourceBefore);
    ASSERT_EQ(result.size(), 44 + 2 * expectedValues + 82);
    EXPECT_EQ(readLe32(&result[4]), result.size() - 8);
    EXPECT_EQ(readLe32(&result[40]), 2 * expectedValues);
    EXPECT_EQ(readLe16(&result[22]), expectedChannels);
}

TEST_F(WaveshapingCommands, EveryLengthGivesTheEditorsFile) {
    for (int channels : {1, 2}) {
        for (std::size_t length : {1U, 3U, 64000U, 64001U, 128002U}) {
            const std::string source =
                test::writeWave(dir.file("source.wav"), test::ramp(length, -32768, 4099), channels);
            for (const auto& command : commands()) {
                SCOPED_TRACE(command[0] + " " + command.back() + ", " + std::to_string(length) +
                             " values, " + std::to_string(channels) + " channel(s)");
                const bool shadok = command[0] == "shadok-effect";
                expectSameAsEditor(command, source, shadok ? 66150 : length, shadok ? 1 : channels,
                                   dir);
            }
        }
    }
}

TEST_F(WaveshapingCommands, FilesOtherProgramsWrote) {
    if (test::runProgramForTests("sh", {"-c", "command -v sox"}).status != 0)
        GTEST_SKIP() << "sox is not installed";
    const std::string source = dir.file("sox.wav");
    const test::CliRun made = test::runProgramForTests(
        "sox", {"-n", "-r", "22050", "-c", "2", "-b", "16", source, "synth", "2", "sine",
                "300-2000", "sine", "90", "gain", "-1"});
    ASSERT_EQ(made.status, 0) << made.err;
    for (const auto& command : commands()) {
        SCOPED_TRACE(command[0]);
        const bool shadok = command[0] == "shadok-effect";
        // Shadok effect lasts its 1.5 s at the file's 22050 Hz.
        expectSameAsEditor(command, source, shadok ? 33075 : 88200, shadok ? 1 : 2, dir);
    }
}

TEST_F(WaveshapingCommands, OptionsAndRefusals) {
    const std::string source = test::writeWave(dir.file("in.wav"), {16384, -16384, 0, 30000});
    struct Case {
        std::vector<std::string> options;
        int status;
        std::string errorContains;
    };
    const Case cases[] = {
        {{"sinus-compression", "--iterations", "65"},
         2,
         "Please enter an integer between 1 and 64."},
        {{"bast", "--iterations", "2"}, 2, "unknown option --iterations"},
        {{"brown-out", "--shift", "10.5"}, 2, "Please enter a number between 0.1 and 10."},
        {{"brown-out", "--autoscale", "--shift", "1"}, 1, "This Shifting Value\nGives No Result"},
        {{"brown-out", "--autoscale", "--shift", "0.9"}, 1, "This Shifting Value\nGives No Result"},
        {{"shadok-effect", "--duration", "0"}, 2, "Please enter a number between 0.001 and 1000."},
        {{"shadok-effect", "--shape", "saw"}, 2, "unknown value"},
        {{"shadok-effect", "--scale", "4"}, 2, "unknown option --scale"},
        {{"frequential-projection", "--floor", "88201"},
         2,
         "Please enter an integer between 0 and 88200."},
        {{"frequential-projection", "--no-reverted=1"}, 2, "is a flag"},
        {{"frequential-projection", "--no-floor", "3"}, 2, "unknown option --no-floor"},
        {{"simple-formula", "--formula", std::string(31, 'A')},
         2,
         "Please enter no more than 30 characters."},
        {{"simple-formula", "--formula", "d"}, 1, "Sorry...\n\nI Should Have\nProgrammed This One"},
        {{"simple-formula", "--seed", "4294967296"},
         2,
         "Please enter an integer between -1 and 4294967295."},
        {{"simple-formula", "--seed", "1.5"}, 2, "Please enter an integer between -1 and"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options[0] + " " + c.options[1]);
        fs::remove(out);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {source, "-o", out});
        const test::CliRun r = cli(arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.errorContains), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }

    // Reverted Amplitude is on unless turned off; the two differ on this source.
    std::vector<test::Bytes> projections;
    for (const char* flag : {"--reverted", "--no-reverted"}) {
        fs::remove(out);
        ASSERT_EQ(
            cli({"frequential-projection", "--floor-amp", "0", flag, source, "-o", out}).status, 0);
        projections.push_back(test::readBytes(out));
    }
    fs::remove(out);
    ASSERT_EQ(cli({"frequential-projection", "--floor-amp", "0", source, "-o", out}).status, 0);
    EXPECT_TRUE(test::readBytes(out) == projections[0]);
    EXPECT_FALSE(projections[0] == projections[1]);
}

} // namespace
} // namespace sonarium
