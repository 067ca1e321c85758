// The command line's progress line: drawn on a terminal and reaching 100 %, silenced by --quiet,
// never written into a pipe.
#include "cli_runner.h"
#include "run_operation.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

TEST(CliProgress, OnlyOnATerminalAndNotWhenQuiet) {
    test::TempDir dir;
    const std::string source =
        test::writeWave(dir.file("long.wav"), test::ramp(3'000'000, -30000, 7), 2);
    const std::string out = dir.file("out.wav");
    const std::string cli = SONARIUM_CLI_PATH;
    struct Case {
        const char* name;
        std::vector<std::string> options;
        bool terminal;
        bool progress;
    };
    const Case cases[] = {
        {"terminal", {"smooth"}, true, true},
        {"terminal, quiet", {"smooth", "--quiet"}, true, false},
        {"pipe", {"smooth"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments = c.options;
        arguments.insert(arguments.end(), {source, "-o", out});
        test::CliRun run;
        if (c.terminal) {
            // script runs the command on a pseudo-terminal; its output holds both streams.
            std::string command = "'" + cli + "'";
            for (const std::string& a : arguments)
                command += " '" + a + "'";
            run = test::runProgramForTests("script", {"-qfec", command, "/dev/null"});
            run.err = run.out;
        } else {
            run = test::runCli(arguments);
        }
        ASSERT_EQ(run.status, 0) << run.err;
        // The stereo warning is printed on a line of its own, the progress line wiped first.
        EXPECT_NE(run.err.find("This effect cannot handle stereo files."), std::string::npos);
        EXPECT_EQ(run.err.find("100 %") != std::string::npos, c.progress) << run.err;
        EXPECT_EQ(run.err.find("\033[K") != std::string::npos, c.progress);
        if (c.progress) {
            EXPECT_EQ(run.err.rfind("\r\033[K"),
                      run.err.size() - 4); // the line is wiped at the end
        }
    }
}

} // namespace
} // namespace sonarium
