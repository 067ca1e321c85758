// Free disk space and available memory for the control bar.
#include "workspace/resource_readouts.h"

#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#ifdef __linux__
#include <sys/sysinfo.h>
#endif

namespace sonarium {

namespace fs = std::filesystem;

std::int64_t freeDiskMiB(const std::string& path) {
    std::error_code error;
    // Without an output folder the readout speaks of the default one's disk.
    fs::path probe = path.empty() ? locationPath(Location::TempSounds) : fs::path(nativePath(path));
    while (!probe.empty() && !fs::exists(probe, error)) {
        fs::path parent = probe.parent_path();
        if (parent == probe)
            break;
        probe = parent;
    }
    if (probe.empty())
        probe = ".";
    const fs::space_info space = fs::space(probe, error);
    if (error)
        return 0;
    return static_cast<std::int64_t>(space.available / (1024 * 1024));
}

std::int64_t availableMemoryMiB() {
    // Linux: MemAvailable of /proc/meminfo, in kB. Elsewhere nothing is known here.
    std::ifstream meminfo("/proc/meminfo");
    std::string line;
    while (std::getline(meminfo, line)) {
        if (line.rfind("MemAvailable:", 0) == 0) {
            std::istringstream fields(line.substr(13));
            std::int64_t kib = 0;
            fields >> kib;
            return kib / 1024;
        }
    }
#ifdef __linux__
    // Kernels before 3.14 have no MemAvailable: free plus buffer memory comes closest.
    struct sysinfo info {};
    if (sysinfo(&info) == 0)
        return static_cast<std::int64_t>(
            (static_cast<unsigned long long>(info.freeram) + info.bufferram) * info.mem_unit /
            (1024 * 1024));
#endif
    return 0;
}

ResourceReadouts formatReadouts(std::int64_t diskMiB, std::int64_t memoryMiB) {
    char hdd[32];
    char ram[32];
    std::snprintf(hdd, sizeof hdd, "%lld", static_cast<long long>(diskMiB));
    std::snprintf(ram, sizeof ram, "%7lld", static_cast<long long>(memoryMiB));
    return {hdd, ram};
}

ResourceReadouts UpdateResourceReadouts(const std::string& outputDir) {
    return formatReadouts(freeDiskMiB(outputDir), availableMemoryMiB());
}

} // namespace sonarium
