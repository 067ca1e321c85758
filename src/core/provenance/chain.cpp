// Following records back from a file to its originals, writing the chain as a script and reading
// it back.
#include "provenance/chain.h"

#include "provenance/shell_words.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace sonarium {

namespace {

namespace fs = std::filesystem;

std::string folderOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

std::string nameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

// A record and where it lies: its history file and its place there.
struct Located {
    const ProvenanceRecord* record = nullptr;
    std::string history;
    std::size_t index = 0;
};

class ChainFinder {
public:
    explicit ChainFinder(std::vector<std::string> folders) : folders_(std::move(folders)) {}

    // The latest record with a result holding what the stamp holds, the one written under the
    // stamp's own path first; `before` keeps to the records older than a step of the same history.
    std::optional<Located> producer(const FileStamp& stamp, const Located* before) {
        std::optional<Located> anyPath;
        for (const std::string& folder : searchFolders(stamp.path)) {
            const std::string history = historyPathIn(folder);
            const std::vector<ProvenanceRecord>& records = load(history);
            std::size_t end = records.size();
            if (before != nullptr && before->history == history)
                end = before->index;
            for (std::size_t i = end; i-- > 0;) {
                for (const FileStamp& output : records[i].outputs) {
                    if (!output.sameContent(stamp))
                        continue;
                    Located found{&records[i], history, i};
                    if (output.path == stamp.path)
                        return found;
                    if (!anyPath)
                        anyPath = found;
                }
            }
        }
        return anyPath;
    }

    // The latest record whose Source held what the stamp holds and that wrote a file, the one that
    // read it under the stamp's own path first.
    std::optional<Located> reader(const FileStamp& stamp) {
        std::optional<Located> anyPath;
        for (const std::string& folder : searchFolders(stamp.path)) {
            const std::string history = historyPathIn(folder);
            const std::vector<ProvenanceRecord>& records = load(history);
            for (std::size_t i = records.size(); i-- > 0;) {
                const ProvenanceRecord& record = records[i];
                if (record.inputs.empty() || record.outputs.empty() ||
                    !record.inputs.front().sameContent(stamp))
                    continue;
                Located found{&record, history, i};
                if (record.inputs.front().path == stamp.path)
                    return found;
                if (!anyPath)
                    anyPath = found;
            }
        }
        return anyPath;
    }

    // Adds the step of `at` after the steps of its inputs; the place of its step.
    std::size_t add(const Located& at, Chain& chain) {
        const std::string key = at.history + "#" + std::to_string(at.index);
        if (const auto done = placed_.find(key); done != placed_.end())
            return done->second;
        onPath_.insert(key);
        ChainStep step{*at.record, {}};
        for (const FileStamp& input : at.record->inputs) {
            if (!stillMatches(input))
                step.changedInputs.push_back(input.path);
            auto made = producer(input, &at);
            if (made && onPath_.count(made->history + "#" + std::to_string(made->index)) == 0) {
                add(*made, chain);
            } else {
                bool listed = false;
                for (const std::string& original : chain.originals)
                    listed = listed || original == input.path;
                if (!listed)
                    chain.originals.push_back(input.path);
            }
        }
        onPath_.erase(key);
        chain.steps.push_back(std::move(step));
        placed_[key] = chain.steps.size() - 1;
        return chain.steps.size() - 1;
    }

private:
    std::vector<std::string> searchFolders(const std::string& path) const {
        std::vector<std::string> folders{folderOf(path)};
        for (const std::string& folder : folders_)
            if (folder != folders.front())
                folders.push_back(folder);
        return folders;
    }

    const std::vector<ProvenanceRecord>& load(const std::string& history) {
        auto& records = histories_[history];
        if (!records)
            records = std::make_unique<std::vector<ProvenanceRecord>>(readHistory(history));
        return *records;
    }

    std::vector<std::string> folders_;
    std::map<std::string, std::unique_ptr<std::vector<ProvenanceRecord>>> histories_;
    std::map<std::string, std::size_t> placed_;
    std::set<std::string> onPath_;
};

// A chain of records in the order they were made (history lines): an input is the result of an
// earlier record when it holds what that result held.
Chain chainOfRecords(const std::vector<ProvenanceRecord>& records) {
    Chain chain;
    for (std::size_t i = 0; i < records.size(); ++i) {
        for (const FileStamp& input : records[i].inputs) {
            bool made = false;
            for (std::size_t k = 0; k < i && !made; ++k)
                for (const FileStamp& output : records[k].outputs)
                    made = made || (output.sameContent(input) && output.path == input.path);
            bool listed = made;
            for (const std::string& original : chain.originals)
                listed = listed || original == input.path;
            if (!listed)
                chain.originals.push_back(input.path);
        }
        chain.steps.push_back({records[i], {}});
    }
    if (!records.empty() && !records.back().outputs.empty())
        chain.target = records.back().outputs.front().path;
    return chain;
}

bool isProgramWord(const std::string& word) {
    return word == "$cli" || word == "${cli}" || word == kCommandLineProgram ||
           word.ends_with(std::string("/") + kCommandLineProgram);
}

} // namespace

struct RecordFinder::Histories {
    explicit Histories(std::vector<std::string> folders) : finder(std::move(folders)) {}
    ChainFinder finder;
};

RecordFinder::RecordFinder(std::vector<std::string> folders)
    : histories_(std::make_unique<Histories>(std::move(folders))) {}

RecordFinder::~RecordFinder() = default;

std::optional<ProvenanceRecord> RecordFinder::recordOf(const std::string& path) {
    const auto stamp = stampFile(path);
    if (!stamp)
        return std::nullopt;
    const auto found = histories_->finder.producer(*stamp, nullptr);
    return found ? std::optional<ProvenanceRecord>(*found->record) : std::nullopt;
}

std::optional<ProvenanceRecord> RecordFinder::latestReaderOf(const std::string& path) {
    const auto stamp = stampFile(path);
    if (!stamp)
        return std::nullopt;
    const auto found = histories_->finder.reader(*stamp);
    return found ? std::optional<ProvenanceRecord>(*found->record) : std::nullopt;
}

std::optional<Chain> findChain(const std::string& file, const std::vector<std::string>& folders,
                               std::string& problem) {
    const auto stamp = stampFile(file);
    if (!stamp) {
        problem = "cannot read " + file;
        return std::nullopt;
    }
    ChainFinder finder(folders);
    const auto last = finder.producer(*stamp, nullptr);
    if (!last) {
        problem = "no record of what made " + file + " (looked in " +
                  historyPathIn(folderOf(stamp->path));
        for (const std::string& folder : folders)
            problem += ", " + historyPathIn(folder);
        problem += ")";
        return std::nullopt;
    }
    Chain chain;
    chain.target = stamp->path;
    finder.add(*last, chain);
    return chain;
}

std::vector<std::vector<std::string>> chainCommands(const Chain& chain) {
    // What every file is called in the script: a result by a name of its own in the folder the
    // script runs in, known by its content (what a later step read); the originals as recorded.
    std::map<std::string, std::string> byContent;
    std::set<std::string> names;
    auto contentKey = [](const FileStamp& stamp) {
        return std::to_string(stamp.size) + ":" + stamp.hash;
    };
    auto localName = [&names](const std::string& wanted, std::size_t step) {
        std::string name = wanted.empty() ? "result.wav" : wanted;
        if (!names.insert(name).second) {
            name = "step" + std::to_string(step + 1) + "-" + name;
            names.insert(name);
        }
        return name;
    };
    std::vector<std::vector<std::string>> commands;
    for (std::size_t s = 0; s < chain.steps.size(); ++s) {
        const ProvenanceRecord& record = chain.steps[s].record;
        const bool last = s + 1 == chain.steps.size();
        std::vector<std::string> made;
        for (std::size_t k = 0; k < record.outputs.size(); ++k) {
            const std::string& path = record.outputs[k].path;
            made.push_back(localName(
                last && k == 0 && !chain.target.empty() ? nameOf(chain.target) : nameOf(path), s));
        }
        std::size_t output = 0;
        std::size_t inputsLeft = record.inputs.size();
        commands.push_back(record.command([&](const FileStamp& stamp) {
            if (inputsLeft > 0) {
                --inputsLeft;
                const auto known = byContent.find(contentKey(stamp));
                return known != byContent.end() ? known->second : stamp.path;
            }
            return made[output++];
        }));
        for (std::size_t k = 0; k < record.outputs.size(); ++k)
            byContent[contentKey(record.outputs[k])] = made[k];
    }
    return commands;
}

std::string chainScript(const Chain& chain) {
    std::string script = "#!/bin/sh\n";
    script += "# What made " + nameOf(chain.target) + ": " + std::to_string(chain.steps.size()) +
              (chain.steps.size() == 1 ? " step" : " steps") + " from " +
              std::to_string(chain.originals.size()) +
              (chain.originals.size() == 1 ? " original file" : " original files") + ".\n";
    script += "# Run it in an empty folder: the results are written there, the originals are read "
              "where they were.\n";
    script += "set -e\ncli=${SONARIUM_CLI:-" + std::string(kCommandLineProgram) + "}\n";
    const auto commands = chainCommands(chain);
    for (std::size_t s = 0; s < chain.steps.size(); ++s) {
        const ChainStep& step = chain.steps[s];
        if (!step.record.version.empty() || !step.record.time.empty())
            script += "# " + step.record.time + ", version " + step.record.version + "\n";
        for (const std::string& changed : step.changedInputs) {
            std::string shown = shellQuote(changed);
            for (std::size_t at = 0; (at = shown.find('\n', at)) != std::string::npos;)
                shown.replace(at, 1, "\\n");
            script += "# changed since: " + shown + " no longer holds what this step read\n";
        }
        std::vector<std::string> words(commands[s].begin() + 1, commands[s].end());
        script += "\"$cli\" " + shellCommand(words) + "\n";
    }
    return script;
}

std::optional<std::vector<ReplayStep>> readChain(const std::string& text, std::string& problem) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        problem = "the chain is empty";
        return std::nullopt;
    }
    std::vector<ReplayStep> steps;
    if (text[first] == '{') {
        std::vector<ProvenanceRecord> records;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string_view line(text.data() + start, end - start);
            start = end + 1;
            if (line.find_first_not_of(" \t\r") == std::string_view::npos)
                continue;
            const auto value = JsonValue::parse(line);
            auto record = value ? ProvenanceRecord::fromJson(*value) : std::nullopt;
            if (!record) {
                problem =
                    "a line of the records is not a record: " + std::string(line.substr(0, 60));
                return std::nullopt;
            }
            records.push_back(std::move(*record));
        }
        for (auto& words : chainCommands(chainOfRecords(records)))
            steps.push_back({words[1], std::vector<std::string>(words.begin() + 2, words.end())});
        return steps;
    }
    std::size_t next = 0;
    int lineNumber = 0;
    while (next < text.size()) {
        ++lineNumber;
        auto words = splitShellWords(text, next);
        if (!words) {
            problem = "line " + std::to_string(lineNumber) + ": a quote is left open";
            return std::nullopt;
        }
        if (words->empty() || (*words)[0] == "set" || (*words)[0].starts_with("cli="))
            continue;
        if (!isProgramWord((*words)[0]) || words->size() < 2) {
            problem = "line " + std::to_string(lineNumber) + ": not a " + kCommandLineProgram +
                      " command: " + (*words)[0];
            return std::nullopt;
        }
        steps.push_back({(*words)[1], std::vector<std::string>(words->begin() + 2, words->end())});
    }
    if (steps.empty()) {
        problem = "the chain holds no command";
        return std::nullopt;
    }
    return steps;
}

} // namespace sonarium
