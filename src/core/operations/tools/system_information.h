// The facts the System Information dialog shows: processor, operating system, memory and power.
// Each starts as "Unknown" and keeps it where the system says nothing.
#pragma once

#include <filesystem>
#include <string>

namespace sonarium {

inline constexpr const char* kUnknown = "Unknown";

struct SystemInformation {
    // Processor
    std::string architecture = kUnknown;
    std::string processorType = kUnknown;
    std::string revision = kUnknown;
    std::string activeProcessors = kUnknown;
    // Operating system
    std::string systemType = kUnknown;
    std::string version = kUnknown;
    std::string maxOpenFiles = kUnknown;
    std::string granularity = kUnknown;
    // Memory, in MB; the gauge shows the share in use (0..100)
    std::string physicalMemory = kUnknown;
    std::string freeMemory = kUnknown;
    std::string pagedMemory = kUnknown;
    int memoryLoad = 0;
    // Power; the gauge shows the battery's charge (0..100)
    std::string powerSource = kUnknown;
    std::string charge = kUnknown;
    std::string remainingTime = kUnknown;
    int chargePercent = 0;
};

// Where the facts come from. /proc/cpuinfo and /sys/class/power_supply are read under root, so
// that tests can fake them; the rest comes from the running process's own queries and from what
// the caller knows of the system (the GUI takes these from its toolkit).
struct SystemSources {
    std::filesystem::path root = "/";
    std::string cpuArchitecture; // "x86_64", "arm64"...; empty: unknown
    std::string productName;     // "Debian GNU/Linux 12 (bookworm)"; empty: unknown
    std::string kernelVersion;   // "6.1.0-18-amd64"; empty: unknown
    bool queryProcess = true;    // memory, open-file limit and page size of this process's system
};

SystemInformation readSystemInformation(const SystemSources& sources);

} // namespace sonarium
