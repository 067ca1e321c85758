// Rename with its copy-and-delete fallback.
#include "workspace/rename_file.h"

#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"

#include <filesystem>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace sonarium {

std::string fileIdentity(const std::string& name) {
    if (name.empty())
        return {};
#ifndef _WIN32
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0)
        return "file " + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
#endif
    // A name that does not exist yet: where it leads, its absolute path with ".", ".." and the
    // links of its existing part resolved.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(nativePath(name), error);
    if (error)
        return {};
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    return error ? std::string() : "path " + resolved.string();
}

bool isSameFile(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code error;
    if (std::filesystem::equivalent(nativePath(a), nativePath(b), error))
        return true;
    const std::string first = fileIdentity(a);
    return !first.empty() && first == fileIdentity(b);
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
