// A file that appears under its name complete or not at all. It is written under a temporary
// name in its destination folder and renamed onto its own name only once it was written and
// closed without an error; a failure, a cancelled job or a destructor before commit() removes
// the temporary file. A rename within one folder is atomic, so readers of the name never see
// a half-written file, and a killed writer leaves nothing under that name.
#pragma once

#include "wavefile/binary_file.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonarium {

class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile() { discard(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file beside finalPath; false (with error() set) when it cannot.
    bool create(const std::string& finalPath);
    // Writes into sink instead of a file: commit() keeps the bytes, discard() empties sink.
    void createInMemory(std::vector<std::uint8_t>& sink);
    bool isOpen() const { return file_.isOpen(); }
    BinaryFile& file() { return file_; }
    const std::string& finalPath() const { return finalPath_; }
    const std::string& temporaryPath() const { return temporaryPath_; }
    // The system's reason for the last failure of create() or commit().
    const std::string& error() const { return error_; }

    // Closes the file and renames it onto its final name, replacing a file of that name. False
    // (the temporary file removed) when closing or renaming failed.
    bool commit();
    // Closes and removes the temporary file; nothing happens under the final name.
    void discard();

private:
    BinaryFile file_;
    std::string finalPath_;
    std::string temporaryPath_;
    std::string error_;
    int cleanupSlot_ = -1;
    std::vector<std::uint8_t>* sink_ = nullptr;
};

// Writes bytes to path through a staged file: the file is complete under its name, or the name
// is untouched. False with the system's reason in error.
bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size,
                         std::string& error);

// Copies the file at from to path through a staged file, in pieces of 1 MB. False with the
// system's reason in error; the name is then untouched.
bool copyFileAtomically(const std::string& from, const std::string& path, std::string& error);

// On SIGINT, SIGTERM and SIGHUP, removes every temporary file still being written, then ends
// the process as the signal would have. For programs whose only answer to those signals is to
// end (the command line).
void removeStagedFilesOnSignals();

} // namespace sonarium
