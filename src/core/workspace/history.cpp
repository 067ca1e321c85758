// Builds the History text from the working list.
#include "workspace/history.h"

#include "provenance/chain.h"
#include "provenance/shell_words.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

namespace sonarium {

namespace {

std::string localTimeOfDay(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &seconds) != 0)
        return {};
#else
    if (localtime_r(&seconds, &local) == nullptr)
        return {};
#endif
    char text[64];
    return std::strftime(text, sizeof text, "%X", &local) > 0 ? std::string(text) : std::string();
}

} // namespace

std::string historyText(const WorkingList& list) {
    std::string text;
    for (int i = 0; i < WorkingList::kSlots; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (list.filePaths[slot].empty())
            continue;
        char number[16];
        std::snprintf(number, sizeof number, "%03u", static_cast<unsigned>(i));
        text += std::string(number) + " - " + localTimeOfDay(list.fileTimes[slot]) + " - " +
                list.filePaths[slot] + "\r\n";
    }
    return text;
}

namespace {

// "007" for ".../007.wav": the number a numbered result carries in its name.
std::optional<unsigned> resultNumber(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.size() != 7 || !name.ends_with(".wav"))
        return std::nullopt;
    unsigned number = 0;
    for (int i = 0; i < 3; ++i) {
        const char c = name[static_cast<std::size_t>(i)];
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

std::string folderText(const std::string& path) {
    std::string folder = std::filesystem::path(path).parent_path().string();
    return folder;
}

} // namespace

std::string historyCommand(const ProvenanceRecord& record, const std::string& outputDir) {
    std::string folder = outputDir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    const auto words = record.command([&folder](const FileStamp& stamp) {
        return folderText(stamp.path) == folder
                   ? std::filesystem::path(stamp.path).filename().string()
                   : stamp.path;
    });
    return shellCommand(std::vector<std::string>(words.begin() + 1, words.end()));
}

std::string historyText(const WorkingList& list, RecordFinder& records) {
    std::string text;
    for (int i = 0; i < WorkingList::kSlots; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const std::string& path = list.filePaths[slot];
        if (path.empty())
            continue;
        const bool inOutput = directoryPart(path) == list.outputDir;
        const auto number = inOutput ? resultNumber(path) : std::nullopt;
        char index[16] = "---"; // a file opened, not numbered by the output folder
        if (number)
            std::snprintf(index, sizeof index, "%03u", *number);
        std::string line =
            std::string(index) + " - " + localTimeOfDay(list.fileTimes[slot]) + " - " + path;
        if (const auto record = records.recordOf(path)) {
            line += " - " + historyCommand(*record, list.outputDir);
            for (const FileStamp& input : record->inputs)
                if (!stillMatches(input))
                    line += "  # changed since: " +
                            std::filesystem::path(input.path).filename().string();
        }
        text += line + "\r\n";
    }
    return text;
}

} // namespace sonarium
