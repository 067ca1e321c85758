// Clearing the temporary results folder: everything on request, the wave files at quit.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonarium {

struct DeletionResult {
    int deleted = 0;
    std::vector<std::string> failures; // "path: reason"
};

// Deletes every file directly in the folder, read-only ones included; subfolders and what they
// hold stay. A symbolic link is removed as a link: what it points to is never touched.
DeletionResult clearTemporaryDirectory(const std::filesystem::path& folder);

// Deletes the files directly in the folder whose extension is ".wav" in any letter case.
DeletionResult deleteSessionWaveFiles(const std::filesystem::path& folder);

} // namespace sonarium
