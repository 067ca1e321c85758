// Direct deletion in the temporary folder, without a shell and without following links out.
#include "workspace/temp_directory.h"

#include "workspace/working_list.h"

#include <system_error>

namespace sonarium {

namespace fs = std::filesystem;

namespace {

template <typename Wanted> DeletionResult deleteEntries(const fs::path& folder, Wanted wanted) {
    DeletionResult result;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        result.failures.push_back(folder.string() + ": " + error.message());
        return result;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::path path = it->path();
        std::error_code statusError;
        const fs::file_status own = fs::symlink_status(path, statusError);
        if (statusError)
            continue;
        bool isLink = fs::is_symlink(own);
        if (isLink) {
            // A link to a folder is a subfolder for our purpose; a link to a file goes as a link.
            if (fs::is_directory(fs::status(path, statusError)))
                continue;
        } else if (!fs::is_regular_file(own)) {
            continue;
        }
        if (!wanted(path))
            continue;
        std::error_code removeError;
        if (!isLink)
            fs::permissions(path, fs::perms::owner_write,
                            fs::perm_options::add | fs::perm_options::nofollow, removeError);
        removeError.clear();
        if (fs::remove(path, removeError))
            ++result.deleted;
        else
            result.failures.push_back(path.string() + ": " + removeError.message());
    }
    if (error)
        result.failures.push_back(folder.string() + ": " + error.message());
    return result;
}

} // namespace

DeletionResult clearTemporaryDirectory(const fs::path& folder) {
    return deleteEntries(folder, [](const fs::path&) { return true; });
}

DeletionResult deleteSessionWaveFiles(const fs::path& folder) {
    return deleteEntries(folder, [](const fs::path& path) {
        return lowerCase(path.extension().string()) == ".wav";
    });
}

} // namespace sonarium
