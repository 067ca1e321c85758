// sonarium-cli list, describe and the operations, run as a user would.
#include "cli_runner.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

using Result = test::CliRun;

Result cli(const std::string& arguments, const test::TempDir&) {
    return test::runCliShell(arguments);
}

class OperationCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string source = dir.file("in.wav");

    void SetUp() override {
        test::WaveSpec shape;
        shape.channels = 2;
        shape.samples = {20000, -20000, 3, -3, 100, 0};
        shape.tail = test::Bytes(builtInTrailer().begin(), builtInTrailer().end());
        test::writeBytes(source, test::buildWave(shape));
    }
    std::vector<std::int16_t> values(const std::string& path) {
        const test::Bytes b = test::readBytes(path);
        std::vector<std::int16_t> out;
        for (std::uint32_t i = 0; i < readLe32(&b[40]); i += 2)
            out.push_back(static_cast<std::int16_t>(readLe16(&b[44 + i])));
        return out;
    }
};

TEST_F(OperationCommands, ListAndDescribe) {
    const Result list = cli("list", dir);
    EXPECT_EQ(list.status, 0);
    for (const OperationDecl* op : allOperations()) {
        const Result describe = cli("describe " + std::string(op->name), dir);
        if (op->editorOnly) {
            // No command: neither listed nor described, and an unknown command when run.
            EXPECT_EQ(list.out.find(std::string(op->name)), std::string::npos);
            EXPECT_EQ(describe.status, 2);
            const Result run = cli(std::string(op->name) + " --help", dir);
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.err.find("unknown command '" + std::string(op->name) + "'"),
                      std::string::npos)
                << run.err;
            continue;
        }
        EXPECT_NE(list.out.find(std::string(op->name)), std::string::npos);
        EXPECT_EQ(describe.status, 0);
        for (const FieldSpec& f : op->fields) {
            if (!f.enabled || f.dialogOnly)
                continue;
            const std::string option = "--" + f.optionName();
            const auto at = describe.out.find(option);
            ASSERT_NE(at, std::string::npos) << option;
            if (f.isNumeric()) {
                const std::string line = describe.out.substr(at, describe.out.find('\n', at) - at);
                EXPECT_NE(
                    line.find("range " + formatBound(f.minimum) + " .. " + formatBound(f.maximum)),
                    std::string::npos)
                    << line;
            }
        }
    }
    EXPECT_EQ(cli("describe nothing", dir).status, 2);
}

TEST_F(OperationCommands, RunsAndRefuses) {
    struct Case {
        std::string arguments;
        int status;
        std::string errorContains;
        std::vector<std::int16_t> output; // checked when the status is 0
    };
    const std::string out = dir.file("out.wav");
    const std::string io = " '" + source + "' -o '" + out + "'";
    const Case cases[] = {
        {"volume" + io, 0, "", {32767, -32768, 6, -6, 200, 0}},
        {"volume --ratio 200 --fold" + io, 0, "", {25534, -25536, 6, -6, 200, 0}},
        {"volume --ratio 50" + io, 0, "", {10000, -10000, 1, -1, 50, 0}},
        {"saturate --sensitivity 50" + io,
         0,
         "This effect cannot handle stereo files.",
         {32767, -32768, 0, 0, 32767, 0}},
        {"normalize --max-output 50" + io, 0, "", {16384, -16384, 2, -2, 81, 0}},
        {"silent-zone --sensitivity 50 --detect noisy --process mute" + io,
         0,
         "",
         {0, 0, 3, -3, 0, 0}},
        {"crop --sel-start 1 --sel-length 1" + io, 0, "", {3, -3}},
        {"crop --sel-start 2" + io, 0, "", {100, 0}},
        {"crop --sel-start 1 --sel-length x" + io, 2, "takes a number of frames", {}},
        {"volume --ratio 40000" + io, 2, "Please enter a number between -32768 and 32767.", {}},
        {"normalize --max-output 0" + io, 2, "Please enter a number between 0.01 and 100.", {}},
        {"silent-zone --sensitivity 1.5" + io,
         2,
         "Please enter an integer between 1 and 32767.",
         {}},
        {"silent-zone --detect loud" + io, 2, "unknown value", {}},
        {"volume --speed 2" + io, 2, "unknown option", {}},
        {"volume '" + source + "'", 2, "-o", {}},
        // Stereo files through the one-stream effects: the warning is printed and answered OK.
        {"smooth --level 2" + io,
         0,
         "This effect cannot handle stereo files.",
         {0, 10000, 0, -6667, 32, 32}},
        {"smooth --level 2 --lfo-shape square" + io, 0, "", {0, 10000, 0, -6667, 32, 32}},
        {"smooth --level 1" + io, 2, "Please enter an integer between 2 and 4096.", {}},
        {"substract --level 1" + io,
         0,
         "This effect cannot handle stereo files.",
         {10000, -10000, -9998, 9998, 48, 1}},
        {"zeta-pitch --ratio 100" + io, 0, "", {20000, -20000, 3, -3, 100, 20000}},
        {"zeta-pitch --ratio 0.01" + io, 2, "Please enter a number between 0.1 and 1000.", {}},
        {"resync-gapper --initial 1 --final 2 --reverted" + io,
         0,
         "",
         {-20000, 20000, -20000, 20000, -3, 3, -3, 3, 0, 100}},
        {"stepper --step 2 --method average" + io, 0, "", {10000, -10000, 1, -1, 50, 0}},
        {"stepper --method middle" + io, 2, "unknown value", {}},
        {"silent-zone --sensitivity 32767 --min-length 0" + io,
         1,
         "This operation outputs an empty file",
         {}},
        // The compute threads: any number gives the same values; a bad one is refused.
        {"volume --threads 1" + io, 0, "", {32767, -32768, 6, -6, 200, 0}},
        {"volume --threads=3 --ratio 50" + io, 0, "", {10000, -10000, 1, -1, 50, 0}},
        {"frequential-projection --threads 0 --quiet" + io,
         0,
         "",
         {7930, 11723, -32253, 32252, 17749, 0}},
        {"volume --threads" + io, 2, "--threads takes 0 (every core) to 256", {}},
        {"volume --threads -1" + io, 2, "--threads takes 0 (every core) to 256", {}},
        {"volume --threads 2x" + io, 2, "--threads takes 0 (every core) to 256", {}},
        {"volume '" + dir.file("missing.wav") + "' -o '" + out + "'",
         1,
         "cannot be read as Wave Audio",
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        std::filesystem::remove(out);
        const Result r = cli(c.arguments, dir);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (!c.errorContains.empty()) {
            EXPECT_NE(r.err.find(c.errorContains), std::string::npos) << r.err;
        }
        if (c.status == 0) {
            EXPECT_EQ(values(out), c.output);
        } else {
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

// Refusals that depend on the source: no file, exit 1, the reason on stderr.
TEST_F(OperationCommands, RefusedBySource) {
    const std::string out = dir.file("out.wav");
    const std::string two = test::writeWave(dir.file("two.wav"), {5, 6});
    const std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(100));
    const std::pair<std::string, std::string> cases[] = {
        {"zeta-pitch '" + two + "'", "Zeta Pitch needs at least 3"},
        {"resync-gapper --shuffle '" + mono + "'",
         "Function not available\non a mono source file."},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments);
        const Result r = cli(arguments + " -o '" + out + "'", dir);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(OperationCommands, OutputOverTheSourceIsRefused) {
    const test::Bytes before = test::readBytes(source);
    const Result r = cli("volume '" + source + "' -o '" + source + "'", dir);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot be written over"), std::string::npos) << r.err;
    EXPECT_EQ(test::readBytes(source), before);
}

// The command line writes the very files the editor's job writes (or prints its very report),
// for every operation, on inputs that fit it.
TEST_F(OperationCommands, EveryOperationWritesWhatTheEditorWrites) {
    const std::string aux = test::writeWave(dir.file("aux.wav"), test::ramp(70001, 5, 3));
    const std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(130001, -9, 701));
    // Read once first: later reads leave the access time that File Information prints alone.
    for (const std::string& file : {mono, source})
        test::readBytes(file);
    std::size_t compared = 0;
    std::size_t commands = 0;
    for (const OperationDecl* op : allOperations()) {
        if (op->output == OutputKind::ExternalFile || op->editorOnly)
            continue;
        ++commands;
        for (const std::string& file : {mono, source}) {
            SCOPED_TRACE(std::string(op->name) + " on " + file);
            JobInput input;
            std::string arguments = std::string(op->name);
            if (op->input != InputKind::None) {
                input.source = file;
                arguments += " '" + file + "'";
            }
            if (op->input == InputKind::Two) {
                input.aux = aux;
                arguments += " '" + aux + "'";
            }
            if (op->input == InputKind::OneWithSelection) {
                input.selection = {.first = 1, .count = 64001};
                arguments += " --sel-start 1 --sel-length 64001";
            }
            const std::array<std::string, 2> fromCli = {dir.file("cli.wav"), dir.file("cli2.wav")};
            const std::array<std::string, 2> fromEditor = {dir.file("editor.wav"),
                                                           dir.file("editor2.wav")};
            const auto results = static_cast<std::size_t>(op->resultCount());
            for (std::size_t i = 0; i < results; ++i) {
                std::filesystem::remove(fromCli[i]);
                arguments += " -o '" + fromCli[i] + "'";
            }
            const Result r = cli(arguments, dir);
            test::RecordingReporter reporter;
            const test::JobRun run =
                test::runOperation(*op, op->defaults(), input, reporter,
                                   {.destination = fromEditor[0],
                                    .result = ResultFile::Open,
                                    .trailerPath = resourceFile("suffix.rc2").string(),
                                    .secondDestination = fromEditor[1]});
            EXPECT_EQ(r.status == 0, run.outcome == JobOutcome::Completed) << r.err;
            EXPECT_EQ(run.opened.size(), run.outcome == JobOutcome::Completed ? results : 0U);
            if (r.status == 0) {
                if (results == 0) {
                    EXPECT_EQ(r.out, run.report);
                }
                for (std::size_t i = 0; i < results; ++i)
                    EXPECT_TRUE(test::readBytes(fromCli[i]) == test::readBytes(fromEditor[i]));
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, commands);
}

} // namespace
} // namespace sonarium
