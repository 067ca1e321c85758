// The chain commands of the command line. A replay runs each step through the same path as the
// operation's own command; a batch runs one replay process per file.
#include "chain_commands.h"

#include "operation_commands.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "provenance/chain.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"
#include "workspace/rename_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace sonarium {

namespace {

namespace fs = std::filesystem;

int usage(const char* command, const std::string& problem, const char* line) {
    std::fprintf(stderr, "sonarium-cli %s: %s\nusage: %s\n", command, problem.c_str(), line);
    return 2;
}

constexpr const char* kHistoryUsage = "sonarium-cli history [--json] FILE";
constexpr const char* kReplayUsage =
    "sonarium-cli replay CHAIN --input ORIGINAL=NEW... [--quiet] -o OUT";
constexpr const char* kBatchUsage = "sonarium-cli batch CHAIN [--jobs N] [--resume] -o DIR FILE...";

// The folders where the editor keeps results: their histories know a result saved elsewhere.
std::vector<std::string> editorFolders() {
    std::vector<std::string> folders;
    if (!audioRootProblem().empty())
        return folders;
    folders.push_back(locationPath(Location::TempSounds).string());
    const fs::path prefs = resourceFile("prefs.snp");
    std::error_code error;
    if (fs::exists(prefs, error)) {
        SilentReporter quiet;
        Preferences preferences;
        if (LoadPreferences(quiet, prefs.string(), preferences) && !preferences.outputDir.empty()) {
            std::string folder = resolveUnderRoot(preferences.outputDir);
            while (folder.size() > 1 && folder.back() == '/')
                folder.pop_back();
            if (folder != folders.front())
                folders.push_back(folder);
        }
    }
    return folders;
}

std::optional<std::string> readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A step of a chain with its files sorted out.
struct PlannedStep {
    const OperationDecl* operation = nullptr;
    OperationArguments parsed;
    std::vector<std::string> inputs; // the file words as the chain writes them
};

struct Plan {
    std::vector<PlannedStep> steps;
    std::vector<std::string> originals; // input words no earlier step writes, in order
};

std::optional<Plan> planChain(const std::string& chainPath, std::string& problem) {
    const auto text = readText(chainPath);
    if (!text) {
        problem = "cannot read the chain " + chainPath;
        return std::nullopt;
    }
    const auto steps = readChain(*text, problem);
    if (!steps)
        return std::nullopt;
    Plan plan;
    std::set<std::string> written;
    for (std::size_t s = 0; s < steps->size(); ++s) {
        const ReplayStep& step = (*steps)[s];
        const OperationDecl* operation = findOperation(step.operation);
        const std::string where = "step " + std::to_string(s + 1) + " (" + step.operation + ")";
        if (operation == nullptr || operation->editorOnly) {
            problem = where + ": no operation of that name runs on the command line";
            return std::nullopt;
        }
        PlannedStep planned{operation, {}, {}};
        if (auto refused = parseOperationArguments(*operation, step.arguments, planned.parsed)) {
            problem = where + ": " + *refused;
            return std::nullopt;
        }
        for (int k = 0; k < operation->sourceCount(); ++k) {
            const std::string& word =
                k == 0 ? planned.parsed.input.source : planned.parsed.input.aux;
            planned.inputs.push_back(word);
            if (written.count(word) == 0 && std::find(plan.originals.begin(), plan.originals.end(),
                                                      word) == plan.originals.end())
                plan.originals.push_back(word);
        }
        for (const std::string& output : planned.parsed.outputs)
            written.insert(output);
        plan.steps.push_back(std::move(planned));
    }
    if (plan.steps.back().parsed.outputs.empty()) {
        problem = "the last step writes no file";
        return std::nullopt;
    }
    return plan;
}

// Matches "ORIGINAL=NEW" against the originals: ORIGINAL is an original's word or its file name.
std::optional<std::pair<std::string, std::string>>
matchInput(const std::string& given, const std::vector<std::string>& originals,
           std::string& problem) {
    for (std::size_t equals = given.find('='); equals != std::string::npos;
         equals = given.find('=', equals + 1)) {
        const std::string name = given.substr(0, equals);
        std::vector<std::string> found;
        for (const std::string& original : originals)
            if (original == name || fs::path(original).filename() == name)
                found.push_back(original);
        if (found.size() > 1) {
            problem = "--input " + name + " names more than one original file of the chain";
            return std::nullopt;
        }
        if (found.size() == 1)
            return std::make_pair(found.front(), given.substr(equals + 1));
    }
    std::string list;
    for (const std::string& original : originals)
        list += "\n  " + original;
    problem =
        "--input " + given + " names no original file of the chain; its originals are:" + list;
    return std::nullopt;
}

// Runs the plan with the originals replaced; the last step's first result becomes out.
int replay(const Plan& plan, const std::map<std::string, std::string>& replaced,
           const std::string& out, bool quiet) {
    const fs::path outPath(out);
    const fs::path folder = outPath.has_parent_path() ? outPath.parent_path() : fs::path(".");
    std::string pattern =
        (folder / (".replay-" + outPath.filename().string() + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::fprintf(stderr, "sonarium-cli replay: cannot make a working folder in %s: %s\n",
                     folder.c_str(), std::strerror(errno));
        return 1;
    }
    const fs::path work(pattern);
    struct Cleanup {
        fs::path folder;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(folder, ignored);
        }
    } cleanup{work};
    std::map<std::string, std::string> made; // result word -> file in the working folder
    std::set<std::string> names;
    std::string last;
    for (std::size_t s = 0; s < plan.steps.size(); ++s) {
        const PlannedStep& step = plan.steps[s];
        std::vector<std::string> inputs;
        for (const std::string& word : step.inputs) {
            if (const auto own = made.find(word); own != made.end())
                inputs.push_back(own->second);
            else if (const auto other = replaced.find(word); other != replaced.end())
                inputs.push_back(other->second);
            else
                inputs.push_back(word);
        }
        std::vector<std::string> outputs;
        for (const std::string& word : step.parsed.outputs) {
            std::string name = fs::path(word).filename().string();
            if (!names.insert(name).second)
                names.insert(name = "step" + std::to_string(s + 1) + "-" + name);
            outputs.push_back((work / name).string());
            made[word] = outputs.back();
        }
        std::vector<std::string> options = optionWords(*step.operation, step.parsed.parameters);
        if (step.operation->input == InputKind::OneWithSelection) {
            const auto span = selectionWords(step.parsed.input.selection);
            options.insert(options.end(), span.begin(), span.end());
        }
        std::vector<std::string> words =
            commandWords("", step.operation->name, options, inputs, outputs);
        words.erase(words.begin(), words.begin() + 2);
        if (quiet)
            words.insert(words.begin(), "--quiet");
        const int status = runOperation(*step.operation, words);
        if (status != 0) {
            std::fprintf(stderr, "sonarium-cli replay: step %zu (%s) ended without its result\n",
                         s + 1, std::string(step.operation->name).c_str());
            return status == 2 ? 1 : status;
        }
        last = outputs.front();
    }
    std::error_code error;
    if (renameFile(last, out, error) != RenameResult::Moved) {
        std::fprintf(stderr, "sonarium-cli replay: cannot write %s: %s\n", out.c_str(),
                     error.message().c_str());
        return 1;
    }
    return 0;
}

} // namespace

int runHistoryCommand(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> files;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--json")
            json = true;
        else if (arg == "--")
            files.insert(files.end(), argv + i + 1, argv + argc), i = argc;
        else if (arg.starts_with("--"))
            return usage("history", "unknown option " + arg, kHistoryUsage);
        else
            files.push_back(arg);
    }
    if (files.size() != 1)
        return usage("history", "give one file", kHistoryUsage);
    std::string problem;
    const auto chain = findChain(files[0], editorFolders(), problem);
    if (!chain) {
        std::fprintf(stderr, "sonarium-cli history: %s\n", problem.c_str());
        return 1;
    }
    if (json) {
        std::vector<ProvenanceRecord> records;
        for (const ChainStep& step : chain->steps)
            records.push_back(step.record);
        std::fputs(historyLines(records).c_str(), stdout);
    } else {
        std::fputs(chainScript(*chain).c_str(), stdout);
    }
    return 0;
}

int runReplayCommand(int argc, char** argv) {
    std::string chainPath;
    std::string out;
    std::vector<std::string> inputs;
    bool quiet = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--input" || arg == "-o") && i + 1 < argc)
            (arg == "-o" ? out : inputs.emplace_back()) = argv[++i];
        else if (arg.starts_with("--input="))
            inputs.push_back(arg.substr(8));
        else if (arg == "--quiet")
            quiet = true;
        else if (arg.starts_with("-") && arg != "-")
            return usage("replay", "unknown option " + arg, kReplayUsage);
        else if (chainPath.empty())
            chainPath = arg;
        else
            return usage("replay", "one chain only ('" + arg + "' is a second one)", kReplayUsage);
    }
    if (chainPath.empty() || out.empty())
        return usage("replay", chainPath.empty() ? "no chain given" : "no output: give -o OUT",
                     kReplayUsage);
    std::string problem;
    const auto plan = planChain(chainPath, problem);
    if (!plan)
        return usage("replay", problem, kReplayUsage);
    std::map<std::string, std::string> replaced;
    for (const std::string& given : inputs) {
        const auto match = matchInput(given, plan->originals, problem);
        if (!match)
            return usage("replay", problem, kReplayUsage);
        replaced[match->first] = match->second;
    }
    return replay(*plan, replaced, out, quiet);
}

int runBatchCommand(int argc, char** argv) {
    std::string chainPath;
    std::string folder;
    std::vector<std::string> files;
    unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    bool resume = false;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--jobs" && i + 1 < argc) {
            const std::string value = argv[++i];
            if (value.empty() || value.size() > 4 ||
                value.find_first_not_of("0123456789") != std::string::npos || std::stoi(value) < 1)
                return usage("batch", "--jobs takes a number from 1 to 9999", kBatchUsage);
            jobs = static_cast<unsigned>(std::stoi(value));
        } else if (options && arg == "--resume") {
            resume = true;
        } else if (options && arg == "-o" && i + 1 < argc) {
            folder = argv[++i];
        } else if (options && arg.starts_with("-") && arg != "-") {
            return usage("batch", "unknown option " + arg, kBatchUsage);
        } else if (chainPath.empty()) {
            chainPath = arg;
        } else {
            files.push_back(arg);
        }
    }
    if (chainPath.empty() || folder.empty() || files.empty())
        return usage("batch",
                     chainPath.empty() ? "no chain given"
                     : folder.empty()  ? "no output folder: give -o DIR"
                                       : "no input file",
                     kBatchUsage);
    std::string problem;
    const auto plan = planChain(chainPath, problem);
    if (!plan)
        return usage("batch", problem, kBatchUsage);
    const std::string original = plan->originals.empty() ? std::string() : plan->originals.front();
    if (original.empty())
        return usage("batch", "the chain reads no original file to replace", kBatchUsage);
    std::error_code error;
    fs::create_directories(folder, error);
    // One result per input, named after it.
    std::vector<std::string> results;
    std::set<std::string> taken;
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        if (!taken.insert(name).second)
            return usage("batch", "two inputs are named " + name + ": their results would meet",
                         kBatchUsage);
        results.push_back((fs::path(folder) / name).string());
    }
    const std::string self = fs::read_symlink("/proc/self/exe", error).string();
    struct Running {
        std::size_t index;
        std::string errors;
    };
    std::map<pid_t, Running> running;
    std::vector<std::string> failures;
    std::size_t done = 0;
    std::size_t skipped = 0;
    auto reap = [&] {
        int status = 0;
        const pid_t pid = ::waitpid(-1, &status, 0);
        if (pid <= 0)
            return;
        const auto it = running.find(pid);
        if (it == running.end())
            return;
        const std::size_t index = it->second.index;
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            ++done;
        } else {
            std::string reason = WIFSIGNALED(status)
                                     ? "ended by signal " + std::to_string(WTERMSIG(status))
                                     : "exit status " + std::to_string(WEXITSTATUS(status));
            if (const auto text = readText(it->second.errors)) {
                std::string lines = *text;
                while (!lines.empty() && lines.back() == '\n')
                    lines.pop_back();
                if (!lines.empty())
                    reason = lines;
                for (std::size_t at; (at = reason.find('\n')) != std::string::npos;)
                    reason.replace(at, 1, " / ");
            }
            failures.push_back(files[index] + ": " + reason);
        }
        fs::remove(it->second.errors, error);
        running.erase(it);
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (resume && fs::is_regular_file(results[i], error)) {
            ++skipped;
            continue;
        }
        while (running.size() >= jobs)
            reap();
        const std::string errors = (fs::path(folder) / (".batch-" + std::to_string(::getpid()) +
                                                        "-" + std::to_string(i) + ".err"))
                                       .string();
        std::vector<std::string> words{self,      "replay",  chainPath,
                                       "--quiet", "--input", original + "=" + files[i],
                                       "-o",      results[i]};
        std::vector<char*> args;
        for (std::string& word : words)
            args.push_back(word.data());
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        const int spawned =
            posix_spawn(&pid, self.c_str(), &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            failures.push_back(files[i] + ": cannot start " + self + ": " + std::strerror(spawned));
            continue;
        }
        running[pid] = {i, errors};
    }
    while (!running.empty())
        reap();
    std::printf("batch: %zu done, %zu already there, %zu failed\n", done, skipped, failures.size());
    for (const std::string& failure : failures)
        std::printf("failed: %s\n", failure.c_str());
    return failures.empty() ? 0 : 1;
}

} // namespace sonarium
