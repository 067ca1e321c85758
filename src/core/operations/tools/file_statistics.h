// File statistics: one pass over a file's values for its extremes, its mean and its zero
// crossings, and the nine texts the dialog and the command line show.
#pragma once

#include "jobs/block_job.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonarium {

struct FileStatistics {
    int channels = 0;
    int sampleRate = 0;
    int minimum = 32767;
    int maximum = -32768;
    double mean = 0;
    std::uint32_t crossings = 0;
    std::uint32_t longestRun = 0; // values between two crossings, at most
    std::uint32_t dataSize = 0;
};

// The labels of the result fields, in the dialog's order.
inline constexpr std::array<std::string_view, 9> kStatisticsLabels = {
    "channels :",
    "sample rate :",
    "minimum :",
    "maximum :",
    "average :",
    "zero crossings :",
    "zero crossings frequency :",
    "zero crossings mean period :",
    "zero crossings maximal period :"};

// The running part of the scan: the values are taken block after block, in any split, and
// the result does not depend on where the blocks end.
class StatisticsScan {
public:
    void take(const std::int16_t* values, std::size_t count);

    int minimum = 32767;
    int maximum = -32768;
    std::int64_t sum = 0;         // of every value
    std::uint32_t crossings = 0;  // a value at or past 0 after one on the other side of it
    std::uint32_t longestRun = 0; // the most values between two crossings so far
    std::uint32_t run = 0;        // values since the latest crossing (or the start)
    std::int16_t previous = 0;    // the last value taken; 0 starts no crossing
};

class JobFiles;

// Scans the job's Source, moving the progress, and closes it. Nothing when the job was stopped.
std::optional<FileStatistics> scanFileStatistics(JobFiles& files);

// The nine field texts, without units (Hz, ms).
std::array<std::string, 9> statisticsFields(const FileStatistics& statistics);

} // namespace sonarium
