// Rename with its copy-and-delete fallback.
#include "workspace/rename_file.h"

#include "wavefile/binary_file.h"

#include <filesystem>

namespace sonarium {

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return a == b || std::filesystem::equivalent(nativePath(a), nativePath(b), error);
}

RenameResult renameFile(const std::string& from, const std::string& to, std::error_code& error) {
    error.clear();
    if (isSameFile(from, to))
        return RenameResult::SameFile;
    const std::filesystem::path source = nativePath(from);
    const std::filesystem::path target = nativePath(to);
    std::filesystem::rename(source, target, error);
    if (!error)
        return RenameResult::Moved;
    // Across file systems a move is a copy followed by a deletion.
    std::error_code copyError;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing,
                               copyError);
    if (copyError)
        return RenameResult::Failed;
    std::filesystem::remove(source, copyError);
    error.clear();
    return RenameResult::Moved;
}

} // namespace sonarium
