// The command-line commands built from the operation declarations: list, describe and running an
// operation on files.
#pragma once

namespace sonarium {

int runListCommand();
int runDescribeCommand(int argc, char** argv);
// argv[0] is the operation's name; the rest are its options and files ("--help" among the
// options prints its description instead).
int runOperationCommand(int argc, char** argv);
// True when the name is a declared operation the command line runs (not an editor-only one).
bool isOperationName(const char* name);

} // namespace sonarium
