// list, describe and the operations themselves; the options come from the declarations.
#include "operation_commands.h"

#include "operations/operation.h"
#include "operations/operation_options.h"
#include "workspace/audio_root.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace sonarium {

namespace {

// Messages go to stderr in the system's own words; questions are answered as OK would be.
class StderrReporter final : public Reporter {
protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons buttons) override {
        std::fprintf(stderr, "sonarium-cli: %s\n", text.c_str());
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                   ? Answer::Yes
                   : Answer::Ok;
    }
};

int usage(const OperationDecl& op, const std::string& problem) {
    std::fprintf(stderr, "sonarium-cli %s: %s\n", std::string(op.name).c_str(), problem.c_str());
    std::fprintf(stderr, "see: sonarium-cli describe %s\n", std::string(op.name).c_str());
    return 2;
}

} // namespace

bool isOperationName(const char* name) {
    return findOperation(name) != nullptr;
}

int runListCommand() {
    for (const OperationDecl* op : allOperations())
        std::printf("%-16s %s\n", std::string(op->name).c_str(), std::string(op->caption).c_str());
    return 0;
}

int runDescribeCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: sonarium-cli describe OPERATION\n", stderr);
        return 2;
    }
    const OperationDecl* op = findOperation(argv[0]);
    if (op == nullptr) {
        std::fprintf(stderr, "sonarium-cli: no operation named '%s' (see: sonarium-cli list)\n",
                     argv[0]);
        return 2;
    }
    std::fputs(describeOperation(*op).c_str(), stdout);
    return 0;
}

int runOperationCommand(int argc, char** argv) {
    const OperationDecl& op = *findOperation(argv[0]);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    OperationArguments parsed;
    if (auto problem = parseOperationArguments(op, arguments, parsed))
        return usage(op, *problem);

    StderrReporter reporter;
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    NullProgress progress;
    JobContext context{wave, progress, [&parsed] { return parsed.output; }, false};
    JobPaths paths;
    if (!parsed.files.empty())
        paths.source = parsed.files[0];
    if (parsed.files.size() > 1)
        paths.aux = parsed.files[1];
    const JobOutcome outcome = op.run(context, paths, parsed.parameters);
    return outcome == JobOutcome::Completed && context.writeFailures == 0 ? 0 : 1;
}

} // namespace sonarium
