// What made a result: the operation, its options as the command line spells them, the files it
// read and wrote with their fingerprints, the selection and the program's version; kept one JSON
// object a line in the history file of the folder the result was written to.
#pragma once

#include "jobs/job_input.h"
#include "provenance/json_value.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

inline constexpr const char* kHistoryFileName = "history.jsonl";
inline constexpr const char* kCommandLineProgram = "sonarium-cli";

// A file as a job saw it. The modification time lets a file that was not touched since be
// recognised without reading it again.
struct FileStamp {
    std::string path; // absolute
    std::uint64_t size = 0;
    std::string hash;          // the content hash, 16 hexadecimal digits
    std::int64_t modified = 0; // nanoseconds since the epoch

    bool sameContent(const FileStamp& other) const {
        return size == other.size && hash == other.hash;
    }
};

// The stamp of the file as it is now; nothing when it cannot be read. A file this process stamped
// before and that has kept its size and time is not read again.
std::optional<FileStamp> stampFile(const std::string& path);
// True when the file at the stamp's path still holds the stamped bytes.
bool stillMatches(const FileStamp& stamp);

struct ProvenanceRecord {
    std::string operation;            // its command-line name
    std::vector<std::string> options; // its settings as command-line options
    std::optional<FrameSpan> selection;
    std::vector<FileStamp> inputs;  // the Source, then the Aux
    std::vector<FileStamp> outputs; // the results in the order written; none for a text report
    std::string version;            // of the program that ran the job
    std::string time;               // when it ended, UTC, ISO 8601

    // The command that makes the outputs from the inputs; spell gives the word of each file
    // (its path when empty).
    std::vector<std::string>
    command(const std::function<std::string(const FileStamp&)>& spell = {}) const;
    // The options with the selection's.
    std::vector<std::string> allOptions() const;

    JsonValue toJson() const;
    // Nothing when the value is not a record of this form.
    static std::optional<ProvenanceRecord> fromJson(const JsonValue& value);
};

// The history file of a folder.
std::string historyPathIn(const std::string& directory);
// Appends the record as one line, under an exclusive lock, in one write: readers and other writers
// see the whole line or none of it; a torn line left by a crash is closed first. False with the
// system's reason in error.
bool appendRecord(const std::string& directory, const ProvenanceRecord& record, std::string& error);
// The records of a history file in the order written; a line that is not a whole record (the
// torn last line of a writer that died, say) is passed over. None when there is no file.
std::vector<ProvenanceRecord> readHistory(const std::string& historyPath);
// The records as history lines.
std::string historyLines(const std::vector<ProvenanceRecord>& records);

// The moment as the records write it: "2026-12-11T02:52:21Z".
std::string utcTimestamp();
// The absolute form of a path, "." and ".." resolved, links left as they are.
std::string absolutePath(const std::string& path);

} // namespace sonarium
