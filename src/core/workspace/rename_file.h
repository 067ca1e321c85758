// Moving a file to a new name, the way Rename does it.
#pragma once

#include <string>
#include <system_error>

namespace sonarium {

enum class RenameResult {
    Moved,    // the file now lives under the new name
    SameFile, // the new name is the file itself: nothing was done
    Failed,   // the file stays where it was; error says why
};

// True when both names are the same text or lead to the same file: one existing file (device and
// inode), or, for names that do not exist yet, the same resolved absolute path.
bool isSameFile(const std::string& a, const std::string& b);
// What isSameFile compares: the device and inode of an existing file, else the resolved absolute
// path; "" when neither can be had.
std::string fileIdentity(const std::string& name);

// Renames from → to, replacing a file already there. Across file systems, where a rename cannot
// work, the file is copied and the original deleted once the copy is complete.
RenameResult renameFile(const std::string& from, const std::string& to, std::error_code& error);

} // namespace sonarium
