// The channel tools, the conversions, info and stats on the command line: their files and exit
// statuses, and files sox wrote, each result equal to the editor's.
#include "cli_runner.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "operations/tools/file_statistics.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(groupToStereo);
SONARIUM_DECLARE_OPERATION(mix);
SONARIUM_DECLARE_OPERATION(monoToStereo);
SONARIUM_DECLARE_OPERATION(splitStereo);
SONARIUM_DECLARE_OPERATION(stereoToMono);
SONARIUM_DECLARE_OPERATION(channelConversion);
SONARIUM_DECLARE_OPERATION(samplingRateConversion);
SONARIUM_DECLARE_OPERATION(fileInformation);
SONARIUM_DECLARE_OPERATION(fileStatistics);

namespace sonarium {
namespace {

class ToolCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(3001, -9000, 977));
    std::string stereo = test::writeWave(dir.file("stereo.wav"), test::ramp(4002, 9, 1231), 2);
    std::string empty = test::writeWave(dir.file("empty.wav"), {});
};

TEST_F(ToolCommands, FilesAndStatuses) {
    struct Case {
        std::vector<std::string> arguments; // run in the test's folder
        int status;
        std::string errorContains;
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {{"split-stereo", "stereo.wav", "-o", "l.wav", "-o", "r.wav"}, 0, "", {"l.wav", "r.wav"}},
        {{"split-stereo", "stereo.wav", "-o", "l.wav"}, 2, "give -o LEFT -o RIGHT", {}},
        {{"split-stereo", "mono.wav", "-o", "l.wav", "-o", "r.wav"}, 1, "not stereo", {}},
        {{"group-to-stereo", "mono.wav", "./mono.wav", "-o", "g.wav"},
         1,
         "Invalid auxiliary file",
         {}},
        {{"channel-conversion", "stereo.wav", "./stereo.wav", "-o", "c.wav"}, 0, "", {"c.wav"}},
        {{"channel-conversion", "--left-aux-left", "10001", "mono.wav", "stereo.wav", "-o",
          "c.wav"},
         2,
         "Please enter a number between -10000 and 10000.",
         {}},
        {{"sampling-rate-conversion", "--output-rate", "0", "mono.wav", "-o", "s.wav"},
         2,
         "Please enter an integer between 1 and 200000.",
         {}},
        {{"mix", "empty.wav", "empty.wav", "-o", "m.wav"}, 1, "Invalid auxiliary file", {}},
        {{"stats", "empty.wav"}, 1, "holds no samples", {}},
        {{"info", "missing.wav"}, 1, "unable to retrieve file information", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
        for (const char* name : {"l.wav", "r.wav", "g.wav", "c.wav", "s.wav", "m.wav"})
            std::filesystem::remove(dir.file(name));
        const test::CliRun r = test::runCli(c.arguments, 60, dir.path().string());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.errorContains), std::string::npos) << r.err;
        for (const std::string& name : c.written)
            EXPECT_TRUE(std::filesystem::exists(dir.file(name))) << name;
        if (c.status != 0) {
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
    }
}

TEST_F(ToolCommands, StatsPrintsTheDialogsLabels) {
    const test::CliRun r = test::runCli({"stats", stereo});
    ASSERT_EQ(r.status, 0) << r.err;
    std::size_t at = 0;
    for (std::string_view label : kStatisticsLabels) {
        ASSERT_EQ(r.out.compare(at, label.size() + 1, std::string(label) + " "), 0) << r.out;
        at = r.out.find('\n', at) + 1;
    }
    EXPECT_EQ(at, r.out.size());
    EXPECT_NE(r.out.find("channels : 2\nsample rate : 44100\n"), std::string::npos);
}

// Files sox wrote (another rate, 8-bit too): the command line writes the editor's very files.
TEST_F(ToolCommands, SoxFilesGiveTheEditorsResult) {
    const std::string soxMono = dir.file("sox-mono.wav");
    const std::string soxStereo = dir.file("sox-stereo.wav");
    const std::string soxEight = dir.file("sox-eight.wav");
    if (test::runProgramForTests("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", soxMono,
                                         "synth", "0.9", "sine", "310"})
            .status != 0)
        GTEST_SKIP() << "sox (Debian package sox) is not available";
    ASSERT_EQ(
        test::runProgramForTests("sox", {"-n", "-r", "48000", "-c", "2", "-b", "16", soxStereo,
                                         "synth", "1.3", "sine", "200", "sine", "520"})
            .status,
        0);
    ASSERT_EQ(test::runProgramForTests("sox", {"-n", "-r", "8000", "-c", "1", "-b", "8", soxEight,
                                               "synth", "0.5", "square", "100"})
                  .status,
              0);
    struct Case {
        const OperationDecl& op;
        std::string source, aux;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {groupToStereoOperation(), soxMono, mono, {}},
        {mixOperation(), soxStereo, soxMono, {}},
        {monoToStereoOperation(), soxMono, "", {}},
        {splitStereoOperation(), soxStereo, "", {}},
        {stereoToMonoOperation(), soxStereo, "", {}},
        {channelConversionOperation(), soxMono, soxStereo, {"--right-aux-left", "-75.5"}},
        {channelConversionOperation(), soxMono, soxMono, {}},
        {samplingRateConversionOperation(), soxEight, "", {"--output-rate", "16000"}},
        {fileStatisticsOperation(), soxStereo, "", {}},
        {fileInformationOperation(), soxEight, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.source);
        const test::Bytes before = test::readBytes(c.source);
        std::vector<std::string> arguments{std::string(c.op.name)};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(c.source);
        if (!c.aux.empty())
            arguments.push_back(c.aux);
        const std::vector<std::string> fromCli{dir.file("cli.wav"), dir.file("cli2.wav")};
        for (int i = 0; i < c.op.resultCount(); ++i)
            arguments.insert(arguments.end(), {"-o", fromCli[static_cast<std::size_t>(i)]});
        const test::CliRun r = test::runCli(arguments);
        ASSERT_EQ(r.status, 0) << r.err;

        // The editor's job gets the parameters the options stand for.
        OperationArguments parsed;
        std::vector<std::string> parse(arguments.begin() + 1, arguments.end());
        ASSERT_FALSE(parseOperationArguments(c.op, parse, parsed));
        test::RecordingReporter reporter;
        const test::JobRun run =
            test::runOperation(c.op, parsed.parameters, parsed.input, reporter,
                               {.destination = dir.file("editor.wav"),
                                .trailerPath = resourceFile("suffix.rc2").string(),
                                .secondDestination = dir.file("editor2.wav")});
        ASSERT_EQ(run.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.out, run.report);
        const std::vector<std::string> fromEditor{dir.file("editor.wav"), dir.file("editor2.wav")};
        for (std::size_t i = 0; i < static_cast<std::size_t>(c.op.resultCount()); ++i) {
            EXPECT_EQ(test::readBytes(fromCli[i]), test::readBytes(fromEditor[i]));
        }
        EXPECT_EQ(test::readBytes(c.source), before);
    }
}

} // namespace
} // namespace sonarium
