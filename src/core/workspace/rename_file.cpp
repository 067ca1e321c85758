// Rename with its copy-and-delete fallback.
#include "workspace/rename_file.h"

#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"

#include <filesystem>

namespace sonarium {

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (a == b || std::filesystem::equivalent(nativePath(a), nativePath(b), error))
        return true;
    // A name that does not exist yet is compared by where it leads: its absolute path with ".",
    // ".." and the links of its existing part resolved.
    const auto resolved = [](const std::string& name, std::error_code& failed) {
        return std::filesystem::weakly_canonical(
            std::filesystem::absolute(nativePath(name), failed), failed);
    };
    std::error_code errorA, errorB;
    const std::filesystem::path first = resolved(a, errorA);
    const std::filesystem::path second = resolved(b, errorB);
    return !errorA && !errorB && !a.empty() && !b.empty() && first == second;
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
    if (error != std::errc::cross_device_link)
        return RenameResult::Failed;
    // Across file systems a move is a copy followed by a deletion. The copy is staged beside the
    // target, so that a full disk leaves neither a partial target nor a lost source.
    std::string copyError;
    if (!copyFileAtomically(from, to, copyError)) {
        error = std::make_error_code(std::errc::io_error);
        return RenameResult::Failed;
    }
    std::error_code removeError;
    std::filesystem::remove(source, removeError);
    error.clear();
    return RenameResult::Moved;
}

} // namespace sonarium
