// Builds the History text from the working list.
#include "workspace/history.h"

#include <cstdio>
#include <ctime>

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

} // namespace sonarium
