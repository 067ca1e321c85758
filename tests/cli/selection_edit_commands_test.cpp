// The selection edits from the command line: their options, the texts Select and Selection
// Position print, and the same files as the editor's jobs on files another program wrote.
#include "cli_runner.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

class SelectionEditCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    // 8 stereo frames at 4 Hz: 16 bytes a second.
    std::string source = test::writeWave(
        dir.file("in.wav"), {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7, 8, -8}, 2, 4);
    std::string out = dir.file("out.wav");
};

TEST_F(SelectionEditCommands, OptionsAndOutputs) {
    struct Case {
        std::string arguments;
        int status;
        std::string printed; // stdout, or stderr when the status is not 0
        std::vector<std::int16_t> output;
    };
    const std::string io = " '" + source + "' -o '" + out + "'";
    const std::string in = " '" + source + "'";
    const Case cases[] = {
        {"extract --start 0.25 --end 0.75" + io, 0, "", {2, -2, 3, -3}},
        {"extract --start 1.5" + io, 0, "", {7, -7, 8, -8}},
        {"remove --start 0.25 --end 0.5" + io, 1, "Nothing to output", {}},
        {"mute --start 0.9 --end 1.2" + io,
         0,
         "",
         {1, -1, 2, -2, 3, -3, 0, 0, 5, -5, 6, -6, 7, -7, 8, -8}},
        {"fade --length 0.25 --type in" + io,
         0,
         "",
         {0, 0, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7, 8, -8}},
        {"fade --type sideways" + io, 2, "unknown value", {}},
        {"reverse --sel-start 6" + io,
         0,
         "",
         {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, -8, 8, -7, 7}},
        {"invert --sel-start 7 --sel-length 9" + io,
         0,
         "",
         {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7, -9, 7}},
        {"remove-selection --sel-start 1 --sel-length 6" + io, 0, "", {1, -1, 8, -8}},
        {"remove-selection" + io, 1, "Nothing to output", {}},
        {"mute-selection --sel-start -1" + io, 2, "takes a number of frames", {}},
        {"fade-out --sel-length x" + io, 2, "takes a number of frames", {}},
        {"crop --sel-start 3 --sel-length 0" + io, 1, "Selection is empty", {}},
        {"select --start 0.25 --end 0.75" + in, 0, "1 2\n", {}},
        {"select --start 0.3" + in, 0, "1 7\n", {}},
        {"select --start 0.3 --end 0.26" + in, 1, "Start and End position must be different", {}},
        {"select --start 1" + in + " -o x.wav", 2, "takes no -o", {}},
        {"selection-position --sel-start 2 --sel-length 3" + in, 0, "0.500 1.250\n", {}},
        {"selection-position" + in, 0, "0.000 2.000\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(out);
        const test::CliRun r = test::runCliShell(c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.out, c.printed);
        } else {
            EXPECT_NE(r.err.find(c.printed), std::string::npos) << r.err;
            EXPECT_FALSE(std::filesystem::exists(out));
        }
        if (!c.output.empty()) {
            EXPECT_EQ(test::readValues(out), c.output);
        }
    }
}

// Every edit, through the command line, on mono and stereo files sox wrote: the source stays
// as it was, the header declares what was written, and the file is the editor job's own.
TEST_F(SelectionEditCommands, SameFilesAsTheEditorOnFilesOtherProgramsWrote) {
    const test::CliRun probe = test::runProgramForTests("sox", {"--version"});
    if (probe.status != 0)
        GTEST_SKIP() << "sox is not installed";
    struct Edit {
        const char* name;
        std::vector<std::string> options;
    };
    const Edit edits[] = {
        {"extract", {"--start", "0.25", "--end", "1.3"}},
        {"crop", {"--sel-start", "11025", "--sel-length", "40000"}},
        {"remove", {"--start", " 0.5s", "--end", "1.25"}},
        {"remove-selection", {"--sel-start", "100", "--sel-length", "32001"}},
        {"mute", {"--start", "0.10001", "--end", "9"}},
        {"mute-selection", {"--sel-start", "7", "--sel-length", "64000"}},
        {"reverse", {"--sel-start", "3", "--sel-length", "35000"}},
        {"invert", {"--sel-start", "0", "--sel-length", "1"}},
        {"fade-in", {"--sel-start", "50", "--sel-length", "70000"}},
        {"fade-out", {"--sel-start", "1000"}},
        {"fade", {"--length", "0.7", "--type", "both"}},
    };
    for (int channels : {1, 2}) {
        const std::string path = dir.file("sox" + std::to_string(channels) + ".wav");
        ASSERT_EQ(test::runProgramForTests("sox", {"-n", "-r", "22050", "-c",
                                                   std::to_string(channels), "-b", "16", path,
                                                   "synth", "2", "sine", "300-900", "vol", "0.8"})
                      .status,
                  0);
        const test::Bytes before = test::readBytes(path);
        for (const Edit& edit : edits) {
            SCOPED_TRACE(std::string(edit.name) + ", " + std::to_string(channels) + " channel(s)");
            const OperationDecl& op = *findOperation(edit.name);
            std::vector<std::string> arguments{edit.name};
            arguments.insert(arguments.end(), edit.options.begin(), edit.options.end());
            arguments.insert(arguments.end(), {path, "-o", out});
            std::filesystem::remove(out);
            const test::CliRun r = test::runCli(arguments);
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(test::readBytes(path), before);

            const test::Bytes written = test::readBytes(out);
            ASSERT_GE(written.size(), 44U + 82U);
            EXPECT_EQ(readLe32(&written[4]), written.size() - 8);
            EXPECT_EQ(readLe32(&written[40]), written.size() - 44 - 82);
            EXPECT_EQ(readLe32(&written[24]), 22050U);
            EXPECT_EQ(readLe16(&written[22]), channels);

            Parameters p = op.defaults();
            JobInput input{.source = path};
            for (std::size_t i = 0; i + 1 < edit.options.size(); i += 2) {
                const std::string option = edit.options[i].substr(2);
                const std::string& value = edit.options[i + 1];
                if (option == "sel-start") {
                    input.selection.first = static_cast<std::uint32_t>(std::stoul(value));
                } else if (option == "sel-length") {
                    input.selection.count = static_cast<std::uint32_t>(std::stoul(value));
                } else {
                    p.setText(option, value);
                }
            }
            test::RecordingReporter reporter;
            const std::string editor = dir.file("editor.wav");
            const test::JobRun run =
                test::runOperation(op, p, input, reporter,
                                   {.destination = editor,
                                    .result = ResultFile::Open,
                                    .trailerPath = resourceFile("suffix.rc2").string()});
            ASSERT_EQ(run.outcome, JobOutcome::Completed);
            EXPECT_TRUE(test::readBytes(editor) == written);
        }
    }
}

} // namespace
} // namespace sonarium
