// The HDD and RAM readouts of the control bar.
#pragma once

#include <cstdint>
#include <string>

namespace sonarium {

struct ResourceReadouts {
    std::string hdd; // free MiB of the file system holding the output folder, "%d"
    std::string ram; // available physical memory in MiB, "%7d"
};

// Free space in MiB of the file system holding path (its nearest existing parent); 0 if unknown.
std::int64_t freeDiskMiB(const std::string& path);
// Memory available to programs without swapping, in MiB; 0 if unknown.
std::int64_t availableMemoryMiB();

ResourceReadouts UpdateResourceReadouts(const std::string& outputDir);
ResourceReadouts formatReadouts(std::int64_t diskMiB, std::int64_t memoryMiB);

} // namespace sonarium
