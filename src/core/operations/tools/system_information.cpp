// System Information from /proc, /sys and the process's system queries.
#include "operations/tools/system_information.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sys/resource.h>
#include <sys/sysinfo.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace sonarium {

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The first line of a small file, trimmed; nothing when it cannot be read.
std::optional<std::string> firstLine(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    return trimmed(line);
}

std::optional<long long> number(const std::optional<std::string>& text) {
    if (!text || text->empty())
        return std::nullopt;
    try {
        std::size_t used = 0;
        const long long value = std::stoll(*text, &used);
        return used == text->size() ? std::optional<long long>(value) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

struct CpuInfo {
    int processors = 0;
    std::optional<std::string> modelName;
    std::optional<std::string> stepping;
    std::optional<std::string> family;
};

// The first processor's fields, and how many processors are listed.
CpuInfo readCpuInfo(const std::filesystem::path& root) {
    CpuInfo info;
    std::ifstream in(root / "proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string key = trimmed(line.substr(0, colon));
        const std::string value = trimmed(line.substr(colon + 1));
        if (key == "processor")
            ++info.processors;
        else if ((key == "model name" || key == "cpu model") && !info.modelName)
            info.modelName = value;
        else if ((key == "stepping" || key == "CPU revision") && !info.stepping)
            info.stepping = value;
        else if ((key == "cpu family" || key == "CPU architecture") && !info.family)
            info.family = value;
    }
    return info;
}

std::string architectureName(const std::string& cpu, const CpuInfo& info) {
    if (cpu == "x86_64" || cpu == "i386" || cpu == "i486" || cpu == "i586" || cpu == "i686")
        return "Intel";
    if (cpu.starts_with("alpha"))
        return "Alpha";
    if (cpu.starts_with("mips"))
        return "MIPS";
    if (cpu.starts_with("power") || cpu.starts_with("ppc"))
        return "Power PC";
    if (const auto level = number(info.family))
        return "Unknown  [ level=" + std::to_string(*level) + " ]";
    return kUnknown;
}

// "6.1.0-18-amd64" as "6.1  [ build=0 ]".
std::string versionText(const std::string& kernel) {
    int major = 0;
    int minor = 0;
    int build = 0;
    const int read = std::sscanf(kernel.c_str(), "%d.%d.%d", &major, &minor, &build);
    if (read < 2)
        return kUnknown;
    return std::to_string(major) + "." + std::to_string(minor) +
           "  [ build=" + std::to_string(build) + " ]";
}

std::string megabytes(unsigned long long units, unsigned long long unitBytes) {
    return std::to_string(units * unitBytes / (1024 * 1024)) + " MB";
}

void readMemoryAndLimits(SystemInformation& info) {
    struct sysinfo memory {};
    if (::sysinfo(&memory) == 0 && memory.totalram > 0) {
        const unsigned long long unit = memory.mem_unit == 0 ? 1 : memory.mem_unit;
        info.physicalMemory = megabytes(memory.totalram, unit);
        info.freeMemory = megabytes(memory.freeram, unit);
        info.pagedMemory = megabytes(memory.totalram + memory.totalswap, unit);
        info.memoryLoad =
            static_cast<int>(100 * (memory.totalram - memory.freeram) / memory.totalram);
    }
    struct rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY)
        info.maxOpenFiles = std::to_string(files.rlim_cur);
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page > 0)
        info.granularity = std::to_string(page / 1024) + " KB";
}

// The power supplies the kernel lists: mains adapters and batteries.
void readPower(const std::filesystem::path& root, SystemInformation& info) {
    const std::filesystem::path supplies = root / "sys/class/power_supply";
    std::error_code error;
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::directory_iterator(supplies, error))
        entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    bool mainsOnline = false;
    bool battery = false;
    for (const auto& supply : entries) {
        const auto type = firstLine(supply / "type");
        if (!type)
            continue;
        if (*type == "Mains" || *type == "USB") {
            mainsOnline = mainsOnline || number(firstLine(supply / "online")) == 1;
            continue;
        }
        if (*type != "Battery" || battery || number(firstLine(supply / "present")) == 0)
            continue;
        battery = true;
        const auto status = firstLine(supply / "status");
        if (const auto capacity = number(firstLine(supply / "capacity"))) {
            const int percent = static_cast<int>(*capacity);
            info.chargePercent = percent;
            const char* state = status == "Charging" ? " (Charging)"
                                : percent > 66       ? " (High)"
                                : percent < 5        ? " (Critical)"
                                : percent < 33       ? " (Low)"
                                                     : "";
            info.charge = std::to_string(percent) + " Percents" + state;
        }
        if (status == "Discharging") {
            // Energy over power (µWh / µW) or charge over current (µAh / µA): hours left.
            auto left = number(firstLine(supply / "energy_now"));
            auto rate = number(firstLine(supply / "power_now"));
            if (!left || !rate) {
                left = number(firstLine(supply / "charge_now"));
                rate = number(firstLine(supply / "current_now"));
            }
            if (left && rate && *rate > 0)
                info.remainingTime = std::to_string(*left * 3600 / *rate) + " Seconds";
        }
    }
    if (mainsOnline)
        info.powerSource = "AC Line";
    else if (battery)
        info.powerSource = "Battery";
}

} // namespace

SystemInformation readSystemInformation(const SystemSources& sources) {
    SystemInformation info;
    const CpuInfo cpu = readCpuInfo(sources.root);
    if (!sources.cpuArchitecture.empty())
        info.architecture = architectureName(sources.cpuArchitecture, cpu);
    if (cpu.modelName)
        info.processorType = *cpu.modelName;
    if (const auto stepping = number(cpu.stepping))
        info.revision = std::to_string(*stepping);
    if (cpu.processors > 0) {
        const unsigned mask = cpu.processors >= 32 ? 0xFFFFFFFFU : (1U << cpu.processors) - 1;
        char text[64];
        std::snprintf(text, sizeof text, "%d  [ mask=%x ]", cpu.processors, mask);
        info.activeProcessors = text;
    }
    if (!sources.productName.empty())
        info.systemType = sources.productName;
    if (!sources.kernelVersion.empty())
        info.version = versionText(sources.kernelVersion);
    if (sources.queryProcess)
        readMemoryAndLimits(info);
    readPower(sources.root, info);
    return info;
}

} // namespace sonarium
