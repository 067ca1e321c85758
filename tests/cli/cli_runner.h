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
    // In a CliProcess: the process ended inside the command instead of returning from it (a
    // sanitizer's report, a call of exit).
    bool endedInside = false;
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

// Runs commands of sonarium-cli one after another in one process of its own, which calls the
// program's entry function for each as its main would: the outputs, exit status and time limit
// as runCli gives them, without starting the program for every command. Under LeakSanitizer a
// command that leaks ends with the status a process that leaks ends with (23). A command that
// hangs or ends the process has it started afresh for the next.
class CliProcess {
public:
    CliProcess() = default;
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    CliRun run(const std::vector<std::string>& arguments, double timeoutSeconds = 60);

private:
    bool start();
    void stop();
    pid_t pid_ = -1;
    int requests_ = -1; // arguments to the process
    int replies_ = -1;  // exit statuses from it
    int out_ = -1;      // the process's stdout and stderr: files in memory, read here
    int err_ = -1;
};

} // namespace sonarium::test
