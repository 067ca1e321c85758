// The command-line commands built from the operation declarations: list, describe and running an
// operation on files.
#pragma once

#include <string>
#include <vector>

namespace sonarium {

struct OperationDecl;

// The exit status of a programming error (an exception that escaped a job or a command).
inline constexpr int kInternalErrorStatus = 70;

int runListCommand();
int runDescribeCommand(int argc, char** argv);
// argv[0] is the operation's name; the rest are its options and files ("--help" among the
// options prints its description instead).
int runOperationCommand(int argc, char** argv);
// The same for a declaration in hand: its options and files, without its name. The exit
// status: 0 done, 1 ended with a message or wrote nothing, 2 a usage error, and
// kInternalErrorStatus when an error escaped the job (printed on stderr; nothing written).
int runOperation(const OperationDecl& op, std::vector<std::string> arguments);
// True when the name is a declared operation the command line runs (not an editor-only one).
bool isOperationName(const char* name);

} // namespace sonarium
