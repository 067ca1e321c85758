// The chain that made a file: its record, the records of the results it read, and so on back to
// the original files; as a POSIX sh script that makes the file again, and read back from such a
// script (or from records) as the steps to replay on other originals.
#pragma once

#include "provenance/provenance_record.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

struct ChainStep {
    ProvenanceRecord record;
    // The inputs of this step (their recorded paths) that no longer hold what it read.
    std::vector<std::string> changedInputs;
};

struct Chain {
    std::string target; // the file asked about, absolute
    // From the originals to the target: each step after the steps whose results it reads.
    std::vector<ChainStep> steps;
    // The inputs no step makes, in the order the steps first read them (recorded paths).
    std::vector<std::string> originals;
};

// Looks records up by the content of the files they wrote, in the history of a file's own folder
// and of the folders given; each history file is read once.
class RecordFinder {
public:
    explicit RecordFinder(std::vector<std::string> folders);
    ~RecordFinder();
    RecordFinder(const RecordFinder&) = delete;
    RecordFinder& operator=(const RecordFinder&) = delete;

    // The latest record of a result holding what the file holds now; nothing when none did.
    std::optional<ProvenanceRecord> recordOf(const std::string& path);
    // The latest record that read what the file holds now as its Source; nothing when none did.
    std::optional<ProvenanceRecord> latestReaderOf(const std::string& path);

private:
    struct Histories;
    std::unique_ptr<Histories> histories_;
};

// Finds the records that made the file: its own in the history of its folder or of one of the
// folders given (the editor's output folder: a result saved elsewhere is known by its content),
// then, for each input, the record of the result holding what that step read, in the history of
// the input's folder or of the same folders. Nothing, with the reason in problem, when no record
// made what the file holds now.
std::optional<Chain> findChain(const std::string& file, const std::vector<std::string>& folders,
                               std::string& problem);

// The words of each step's command with every path as the script spells it: originals as
// recorded, results by their file names, in the folder the script runs in; the target's step
// writes the target's own name.
std::vector<std::vector<std::string>> chainCommands(const Chain& chain);

// The script: a comment naming the target, "set -e", then one command a line, each step that
// read a changed input preceded by a "changed since" comment. The program is $SONARIUM_CLI when
// set, else sonarium-cli.
std::string chainScript(const Chain& chain);

// A step read back from a script or from records: the operation and its arguments as the command
// line takes them (options, files, -o results).
struct ReplayStep {
    std::string operation;
    std::vector<std::string> arguments;
};
// Reads a chain as chainScript writes it (lines of other commands than the program's refused) or
// as history lines (JSON records, in the order made, paths as chainCommands spells them).
// Nothing, with the reason in problem, when the text is neither.
std::optional<std::vector<ReplayStep>> readChain(const std::string& text, std::string& problem);

} // namespace sonarium
