// Running sonarium-cli from the tests: with its arguments as given (no shell between), its
// output captured, and a time limit so that a command that blocks fails the test, not the run.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace sonarium::test {

struct CliRun {
    int status = -1; // exit status; -1 when ended by a signal or not started
    int signal = 0;  // the signal that ended it, if one did
    bool timedOut = false;
    double seconds = 0;
    std::string out;
    std::string err;
};

// Runs sonarium-cli with the arguments in the folder cwd (the test's own when empty), killing
// it after timeoutSeconds.
CliRun runCli(const std::vector<std::string>& arguments, double timeoutSeconds = 60,
              const std::string& cwd = {});

// Runs sonarium-cli with arguments written for the shell (quoted by the caller).
CliRun runCliShell(const std::string& shellArguments, double timeoutSeconds = 60);

// Runs another program found on PATH with the arguments (no shell between).
CliRun runProgramForTests(const std::string& program, const std::vector<std::string>& arguments,
                          double timeoutSeconds = 60);

// Starts sonarium-cli with its output thrown away; returns its process id.
pid_t startCli(const std::vector<std::string>& arguments);
// Waits for a started process; the status as runCli gives it.
CliRun waitCli(pid_t pid);

} // namespace sonarium::test
