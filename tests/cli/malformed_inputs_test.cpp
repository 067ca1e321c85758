// Every operation of the command line, and peaks, on malformed and unusual wave files, as SOURCE
// and as AUX beside a valid file: each run ends by itself in time with exit 0, 1 or 2, leaves its
// inputs as they were, and writes only results whose header declares exactly their bytes. The
// commands of one file run in one process (as the program runs each, its entry function called
// for each), which spares starting the program a few thousand times.
#include "cli_runner.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

const std::vector<test::MalformedWave>& malformedFiles() {
    static const std::vector<test::MalformedWave> files = test::malformedWaves();
    return files;
}

TEST(MalformedInputCollection, HoldsThirtyFilesAtLeast) {
    EXPECT_GE(malformedFiles().size(), 30U);
}

// One test per malformed file, so that ctest spreads the few thousand runs over its jobs.
class MalformedInputs : public ::testing::TestWithParam<std::size_t> {};

TEST_P(MalformedInputs, EveryCommandEndsCleanly) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string valid = test::writeWave(dir.file("valid.wav"), test::ramp(3000, -900, 31));
    const std::string out = dir.file("out.wav");
    const test::Bytes validBytes = test::readBytes(valid);
    const std::vector<test::MalformedWave>& files = malformedFiles();
    std::size_t runs = 0;
    {
        const std::size_t f = GetParam();
        const std::string path = dir.file("bad" + std::to_string(f) + ".wav");
        test::writeBytes(path, files[f].bytes);
        std::vector<std::vector<std::string>> commands = {{"peaks", path}};
        for (const OperationDecl* op : allOperations()) {
            if (op->editorOnly)
                continue; // no command of the command line
            const std::string name(op->name);
            switch (op->input) {
            case InputKind::None:
                continue;
            case InputKind::Two:
                commands.push_back({name, path, valid});
                commands.push_back({name, valid, path});
                break;
            case InputKind::One:
            case InputKind::OneWithSelection:
                commands.push_back({name, path});
                break;
            }
            if (op->output != OutputKind::TextReport)
                commands.back().insert(commands.back().end(), {"-o", out});
            if (op->input == InputKind::Two && op->output != OutputKind::TextReport)
                commands[commands.size() - 2].insert(commands[commands.size() - 2].end(),
                                                     {"-o", out});
        }
        test::CliProcess cli;
        for (const std::vector<std::string>& arguments : commands) {
            SCOPED_TRACE(files[f].name + ": " + arguments[0] + " " + arguments[1]);
            fs::remove(out);
            const test::CliRun run = cli.run(arguments, 10);
            ++runs;
            ASSERT_FALSE(run.timedOut);
            ASSERT_EQ(run.signal, 0);
            ASSERT_FALSE(run.endedInside) << run.err;
            EXPECT_TRUE(run.status == 0 || run.status == 1 || run.status == 2) << run.err;
            EXPECT_TRUE(test::readBytes(path) == files[f].bytes);
            EXPECT_TRUE(test::readBytes(valid) == validBytes);
            if (run.status != 0 || !fs::exists(out))
                continue;
            const test::Bytes result = test::readBytes(out);
            ASSERT_GE(result.size(), 44U + 82U);
            EXPECT_EQ(readLe32(&result[4]), result.size() - 8);
            EXPECT_EQ(readLe32(&result[40]), result.size() - 126);
        }
    }
    EXPECT_GT(runs, 10U);
}

INSTANTIATE_TEST_SUITE_P(EachFile, MalformedInputs,
                         ::testing::Range<std::size_t>(0, malformedFiles().size()));

} // namespace
} // namespace sonarium
