// A file that appears under its name complete or not at all. It is written under a temporary
// name in its destination folder and renamed onto its own name only once it was written and
// made durable without an error; a failure, a cancelled job or a destructor before commit()
// removes the temporary file. A rename within one folder is atomic, so readers of the name never
// see a half-written file, and a killed writer leaves nothing under that name. The temporary
// file is locked while it lives: what a killed writer left is told from a live writer's file by
// that lock, and removed by the next writer in that folder.
#pragma once

#include "wavefile/binary_file.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sonarium {

class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile() { discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Gives another name for a result whose name another writer took meanwhile, or "" when the
    // name is the user's own choice (the file there is then replaced).
    using NameTaken = std::function<std::string(const std::string& taken)>;

    // Creates the temporary file beside finalPath; false (with error() set) when it cannot. An
    // existing file under finalPath that is read-only is refused (readOnly() tells). nameTaken,
    // when given, is asked at commit() if the name was taken since it was drawn.
    bool create(const std::string& finalPath, NameTaken nameTaken = nullptr);
    // Writes into sink instead of a file: commit() keeps the bytes, discard() empties sink.
    void createInMemory(std::vector<std::uint8_t>& sink);
    bool isOpen() const { return file_.isOpen(); }
    BinaryFile& file() { return file_; }
    const std::string& finalPath() const { return finalPath_; }
    const std::string& temporaryPath() const { return temporaryPath_; }
    // The system's reason for the last failure of create() or commit().
    const std::string& error() const { return error_; }
    // True when create() failed because the file under the final name is read-only.
    bool readOnly() const { return readOnly_; }
    // True when commit() gave the file another name than the one asked (finalPath() holds it).
    bool redrawn() const { return redrawn_; }

    // Makes the file durable, renames it onto its final name and makes the rename durable. A
    // file that took the name since create() is never replaced when nameTaken gives another
    // name: the result takes that one. Otherwise it is replaced, its permission bits going to
    // the new file. False (the temporary file removed) when any step failed.
    bool commit();
    // Closes and removes the temporary file; nothing happens under the final name.
    void discard();

private:
    BinaryFile file_;
    std::string finalPath_;
    std::string temporaryPath_;
    std::string error_;
    NameTaken nameTaken_;
    bool readOnly_ = false;
    bool redrawn_ = false;
    int cleanupSlot_ = -1;
    std::vector<std::uint8_t>* sink_ = nullptr;
};

// Writes bytes to path through a staged file: the file is complete under its name, or the name
// is untouched. False with the system's reason in error. With nameTaken, a name taken meanwhile
// is redrawn as StagedFile::commit() does, and path is set to the name the file got.
bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size,
                         std::string& error);
bool writeFileAtomically(std::string& path, const void* bytes, std::size_t size, std::string& error,
                         const StagedFile::NameTaken& nameTaken);

// Copies the file at from to path through a staged file, in pieces of 1 MB. False with the
// system's reason in error; the name is then untouched.
bool copyFileAtomically(const std::string& from, const std::string& path, std::string& error);

// The reason create() gives for a read-only file under the final name.
inline constexpr const char* kReadOnlyReason = "the file is read-only";

// Removes the temporary files that writers killed before their commit left in folder: the hidden
// ".NAME.XXXXXX.part" files that no living process holds locked. Each process does this once per
// folder, the first time it stages a file there; returns how many files went.
int removeAbandonedStagedFiles(const std::string& folder);

// On SIGINT, SIGTERM and SIGHUP, removes every temporary file still being written, then ends
// the process as the signal would have. For programs whose only answer to those signals is to
// end (the command line).
void removeStagedFilesOnSignals();

} // namespace sonarium
