// list, describe and the operations themselves; the options come from the declarations.
#include "operation_commands.h"

#include "operations/operation.h"
#include "operations/operation_options.h"
#include "operations/recorded_job.h"
#include "stderr_reporter.h"
#include "terminal_progress.h"
#include "workspace/audio_root.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonarium {

namespace {

int usage(const OperationDecl& op, const std::string& problem) {
    std::fprintf(stderr, "sonarium-cli %s: %s\n", std::string(op.name).c_str(), problem.c_str());
    std::fprintf(stderr, "see: sonarium-cli describe %s\n", std::string(op.name).c_str());
    return 2;
}

// The operation of that name that the command line runs: none for an editor-only one.
const OperationDecl* commandLineOperation(std::string_view name) {
    const OperationDecl* op = findOperation(name);
    return op != nullptr && !op->editorOnly ? op : nullptr;
}

// Takes "--threads N" or "--threads=N" out of the options (before "--"): N from 1 to 256, or 0
// for every core. A problem's text when the value is missing or not such a number.
std::optional<std::string> takeThreadsOption(std::vector<std::string>& arguments, int& threads) {
    std::vector<std::string> kept;
    bool options = true;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        options = options && argument != "--";
        std::string value;
        if (options && argument == "--threads") {
            if (i + 1 == arguments.size())
                return std::string("--threads needs a number of threads");
            value = arguments[++i];
        } else if (options && argument.rfind("--threads=", 0) == 0) {
            value = argument.substr(10);
        } else {
            kept.push_back(argument);
            continue;
        }
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || n < 0 || n > 256)
            return "--threads takes 0 (every core) to 256, not '" + value + "'";
        threads = static_cast<int>(n);
    }
    arguments = std::move(kept);
    return std::nullopt;
}

} // namespace

bool isOperationName(const char* name) {
    return commandLineOperation(name) != nullptr;
}

int runListCommand() {
    // The names in one column as wide as the longest.
    int width = 0;
    for (const OperationDecl* op : allOperations())
        if (!op->editorOnly)
            width = std::max(width, static_cast<int>(op->name.size()));
    for (const OperationDecl* op : allOperations())
        if (!op->editorOnly)
            std::printf("%-*s %s\n", width, std::string(op->name).c_str(),
                        std::string(op->caption).c_str());
    return 0;
}

int runDescribeCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: sonarium-cli describe OPERATION\n", stderr);
        return 2;
    }
    const OperationDecl* op = commandLineOperation(argv[0]);
    if (op == nullptr) {
        std::fprintf(stderr, "sonarium-cli: no operation named '%s' (see: sonarium-cli list)\n",
                     argv[0]);
        return 2;
    }
    std::fputs(describeOperation(*op).c_str(), stdout);
    return 0;
}

int runOperationCommand(int argc, char** argv) {
    return runOperation(*commandLineOperation(argv[0]),
                        std::vector<std::string>(argv + 1, argv + argc));
}

int runOperation(const OperationDecl& op, std::vector<std::string> arguments) {
    // "--help" among the options prints what describe prints.
    for (const std::string& argument : arguments) {
        if (argument == "--")
            break;
        if (argument == "--help") {
            std::fputs(describeOperation(op).c_str(), stdout);
            return 0;
        }
    }
    // --quiet (among the options, before "--") silences the progress line; --record keeps what
    // made the result in the history file beside it.
    auto optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
    const auto quiet = std::remove(arguments.begin(), optionsEnd, std::string("--quiet"));
    const bool showProgress = quiet == optionsEnd && TerminalProgress::stderrIsTerminal();
    arguments.erase(quiet, optionsEnd);
    optionsEnd = std::find(arguments.begin(), arguments.end(), "--");
    const auto record = std::remove(arguments.begin(), optionsEnd, std::string("--record"));
    // A text report has no file to stand beside: its record goes to the current folder.
    const RecordRequest recording{.record = record != optionsEnd, .reportDirectory = "."};
    arguments.erase(record, optionsEnd);
    // --threads N (among the options): the threads that compute the job's blocks.
    int threads = 0;
    if (auto problem = takeThreadsOption(arguments, threads))
        return usage(op, *problem);
    OperationArguments parsed;
    if (auto problem = parseOperationArguments(op, arguments, parsed))
        return usage(op, *problem);

    // Messages go to stderr in the system's own words.
    StderrReporter reporter("sonarium-cli: ");
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    TerminalProgress progress(showProgress);
    reporter.beforeMessage = [&progress] { progress.clear(); };
    // Each result the job creates takes the next -o, in order.
    std::size_t nextOutput = 0;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = parsed.input,
                       .destination =
                           [&parsed, &nextOutput] {
                               return nextOutput < parsed.outputs.size()
                                          ? parsed.outputs[nextOutput++]
                                          : std::string();
                           },
                       .result = ResultFile::Finish,
                       .threads = threads};
    bool internalError = false;
    bool recordFailed = false;
    const JobOutcome outcome =
        runRecordedJob(op, context, parsed.parameters, recording, &internalError, &recordFailed);
    progress.clear();
    if (internalError)
        return kInternalErrorStatus;
    // A report that could not be made may still say why in its text (File Information's).
    if (op.output == OutputKind::TextReport && outcome == JobOutcome::Completed)
        std::fputs(context.report.c_str(), stdout);
    else if (op.output == OutputKind::TextReport && !context.report.empty())
        std::fprintf(stderr, "sonarium-cli: %s\n", context.report.c_str());
    return outcome == JobOutcome::Completed && context.writeFailures == 0 && !recordFailed ? 0 : 1;
}

} // namespace sonarium
