// sonarium-cli's entry: the program's main calls these, and so do the tests that run many
// commands in one process.
#pragma once

namespace sonarium {

// What the process needs once before its first command: signal handlers that remove a job's
// temporary files, and stdout buffered whole when it is not a terminal.
void prepareCommandLineProcess();

// Runs the command that argv[1] names with the arguments after it (argv[0] is the program) and
// returns the program's exit status.
int runCommandLine(int argc, char* argv[]);

} // namespace sonarium
