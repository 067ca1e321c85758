// The interactions on the command line: both files required, their options, the same file under
// another name, and files written by sox, each result equal to the editor's.
#include "cli_runner.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

class InteractionCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(3000, -9000, 977));
    std::string aux = test::writeWave(dir.file("aux.wav"), test::ramp(2000, 40, 313));
    std::string stereo = test::writeWave(dir.file("stereo.wav"), test::ramp(4002, 9, 1231), 2);
    std::string out = dir.file("out.wav");
};

TEST_F(InteractionCommands, OptionsFilesAndSameFileRefusals) {
    struct Case {
        std::vector<std::string> arguments; // run in the test's folder; "-o out.wav" follows
        int status;
        std::string errorContains;
    };
    const Case cases[] = {
        {{"interlace", "mono.wav"}, 2, "expected 2 input file(s), got 1"},
        {{"interaction-formula", "--formula", "nand", "mono.wav", "aux.wav"}, 2, "unknown value"},
        {{"maximize-minimize", "--symetrize", "mono.wav", "aux.wav"}, 0, ""},
        {{"maximize-minimize", "--no-symetrize", "--operation", "minimize", "mono.wav", "aux.wav"},
         0,
         ""},
        {{"maximize-minimize", "--no-symetrize=1", "mono.wav", "aux.wav"}, 2, "takes no value"},
        {{"interaction-compression", "--gain", "-40000", "mono.wav", "aux.wav"}, 0, ""},
        {{"interaction-formula", "mono.wav", "./mono.wav"}, 1, "Invalid auxiliary file"},
        {{"multiply", "--panoramic", "mono.wav", "./mono.wav"}, 1, "Function not available"},
        {{"multiply", "--panoramic", "stereo.wav", "./stereo.wav"}, 0, ""},
        {{"interlace", "mono.wav", "./mono.wav"}, 0, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.end(), {"-o", "out.wav"});
        SCOPED_TRACE(arguments[0] + " " + arguments[1]);
        std::filesystem::remove(out);
        const test::CliRun r = test::runCli(arguments, 60, dir.path().string());
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.errorContains), std::string::npos) << r.err;
        EXPECT_EQ(std::filesystem::exists(out), c.status == 0);
    }
}

// Files sox wrote (another rate, mono and stereo), through options away from the defaults: the
// command line writes the very file the editor's job writes.
TEST_F(InteractionCommands, SoxFilesGiveTheEditorsResult) {
    const std::string soxMono = dir.file("sox-mono.wav");
    const std::string soxStereo = dir.file("sox-stereo.wav");
    const test::CliRun made =
        test::runProgramForTests("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", soxMono,
                                         "synth", "0.9", "sine", "310"});
    if (made.status != 0)
        GTEST_SKIP() << "sox (Debian package sox) is not available";
    ASSERT_EQ(
        test::runProgramForTests("sox", {"-n", "-r", "48000", "-c", "2", "-b", "16", soxStereo,
                                         "synth", "1.3", "sine", "200", "sine", "520"})
            .status,
        0);
    const test::Bytes monoBefore = test::readBytes(soxMono);
    const test::Bytes stereoBefore = test::readBytes(soxStereo);
    struct Case {
        const char* op;
        std::vector<std::pair<std::string, std::string>> options; // member, value ("" a flag)
        std::string source, aux;
    };
    const Case cases[] = {
        {"interaction-formula", {{"formula", "and"}}, soxStereo, soxMono},
        {"maximize-minimize", {{"operation", "minimize"}}, soxMono, soxStereo},
        {"multiply", {{"sign", "auxiliary"}, {"P", "37.3"}, {"panoramic", ""}}, soxMono, soxStereo},
        {"multiply", {{"panoramic", ""}}, soxStereo, soxStereo},
        {"interaction-compression",
         {{"G", "250"}, {"k", "3"}, {"keepDifference", ""}},
         soxStereo,
         soxMono},
        {"interlace", {}, soxStereo, soxMono},
        {"interlace", {}, soxStereo, soxStereo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        const OperationDecl& op = *findOperation(c.op);
        Parameters p = op.defaults();
        std::vector<std::string> arguments{c.op};
        for (const auto& [member, value] : c.options) {
            const FieldSpec& field = *op.field(member);
            arguments.push_back("--" + field.optionName());
            if (value.empty()) {
                p.setNumber(member, 1);
            } else if (field.isTextual()) {
                p.setText(member, value);
                arguments.push_back(value);
            } else {
                p.setNumber(member, static_cast<float>(std::stod(value)));
                arguments.push_back(value);
            }
        }
        arguments.insert(arguments.end(), {c.source, c.aux, "-o", out});
        std::filesystem::remove(out);
        const test::CliRun r = test::runCli(arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        test::RecordingReporter reporter;
        const std::string editor = dir.file("editor.wav");
        const test::JobRun run =
            test::runOperation(op, p, {.source = c.source, .aux = c.aux}, reporter,
                               {.destination = editor,
                                .result = ResultFile::Open,
                                .trailerPath = resourceFile("suffix.rc2").string()});
        ASSERT_EQ(run.outcome, JobOutcome::Completed);
        EXPECT_TRUE(test::readBytes(out) == test::readBytes(editor));
        EXPECT_GT(run.output.size(), 1000U);
    }
    EXPECT_TRUE(test::readBytes(soxMono) == monoBefore);
    EXPECT_TRUE(test::readBytes(soxStereo) == stereoBefore);
}

} // namespace
} // namespace sonarium
