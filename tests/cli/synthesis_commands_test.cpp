// The syntheses on the command line: the file the editor's job writes with the same fields, the
// refusal of an input file, and what sox reads back from the results.
#include "cli_runner.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

class SynthesisCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string out = dir.file("cli.wav");

    test::CliRun cli(const std::string& name, std::vector<std::string> arguments) {
        std::filesystem::remove(out);
        arguments.insert(arguments.begin(), name);
        arguments.insert(arguments.end(), {"-o", out});
        return test::runCli(arguments);
    }
};

TEST_F(SynthesisCommands, WriteWhatTheEditorWritesWithTheSameFields) {
    struct Case {
        const char* name;
        std::vector<std::string> options;
    };
    const Case cases[] = {
        {"simple-synthesis",
         {"--duration", "1.3", "--frequency", "440.7", "--lfo-frequency", "3.3", "--lfo-depth",
          "12.5", "--lfo-shape", "triangle", "--shape", "square"}},
        {"affine-synthesis",
         {"--duration", "0.7", "--origin", "-1000.5", "--end", "30000", "--curved", "--method",
          "crossed-steps"}},
        {"shadok-synthesis",
         {"--duration", "2.5", "--seed", "31", "--max-deviation", "80", "--floor-frequency", "2000",
          "--ceiling-frequency", "300.3", "--shape", "triangle"}},
        {"shadok-synthesis",
         {"--duration", "1.7", "--total-random", "--ceiling-frequency", "50000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + ::testing::PrintToString(c.options));
        const OperationDecl& op = *findOperation(c.name);
        const test::CliRun r = cli(c.name, c.options);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");

        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {"-o", "x.wav"});
        OperationArguments parsed;
        ASSERT_FALSE(parseOperationArguments(op, arguments, parsed));
        test::RecordingReporter reporter;
        const std::string editor = dir.file("editor.wav");
        const test::JobRun run =
            test::runOperation(op, parsed.parameters, {}, reporter,
                               {.destination = editor,
                                .result = ResultFile::Open,
                                .trailerPath = resourceFile("suffix.rc2").string()});
        ASSERT_EQ(run.outcome, JobOutcome::Completed);
        EXPECT_TRUE(test::readBytes(out) == test::readBytes(editor));

        // sox reads the same values back.
        const std::string raw = dir.file("cli.raw");
        const test::CliRun sox = test::runProgramForTests("sox", {out, "-t", "s16", "-L", raw});
        if (sox.status == 127)
            continue; // sox is not installed
        ASSERT_EQ(sox.status, 0) << sox.err;
        EXPECT_TRUE(test::readBytes(raw) == test::samplesToBytes(run.output));
    }
}

TEST_F(SynthesisCommands, TakeNoInputFile) {
    for (const OperationDecl* op : allOperations()) {
        if (op->input != InputKind::None)
            continue;
        SCOPED_TRACE(std::string(op->name));
        const test::CliRun r = cli(std::string(op->name), {dir.file("in.wav")});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("reads no input file"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

} // namespace
} // namespace sonarium
