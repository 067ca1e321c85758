// The File Information text: a file's size and times from the file system, and its length,
// sample count and format from its wave header.
#pragma once

#include "wavefile/sonio.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace sonarium {

inline constexpr const char* kNoFileInformationText = "unable to retrieve file information";

// A length in seconds as minutes and seconds, "MM:SS.mmm" ("01:05.500" for 65.5 s).
std::string formatLength(double seconds);

// A time as the long local date and time, "Tuesday, December 08, 2026 22:12:05".
std::string formatLongTime(std::time_t time);

struct FileInformation {
    std::string text; // lines ending in "\n" but the last
    bool waveRead;    // false: no usable wave file, the reader said why; format fields show 0
};

// The information on the file at path; nothing when its file-system status cannot be read.
std::optional<FileInformation> fileInformation(const WaveContext& wave, const std::string& path);

} // namespace sonarium
