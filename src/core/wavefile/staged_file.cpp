// Staged files and the table of temporary files a signal handler removes.
#include "wavefile/staged_file.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace sonarium {

namespace {

// Temporary files being written, by path, for the signal handler: it may only read plain memory
// and call async-signal-safe functions, so the table is fixed and each slot is claimed through
// an atomic flag. A process writes one or two files at a time; past the table's size a file is
// still staged, only not removed on a signal.
constexpr std::size_t kCleanupSlots = 16;
constexpr std::size_t kCleanupPathBytes = 4096;

struct CleanupSlot {
    std::atomic<int> state{0}; // 0 free, 1 being filled, 2 holds a path to remove
    char path[kCleanupPathBytes];
};

std::array<CleanupSlot, kCleanupSlots>& cleanupSlots() {
    static std::array<CleanupSlot, kCleanupSlots> slots;
    return slots;
}

int registerForCleanup(const std::string& path) {
    if (path.size() >= kCleanupPathBytes)
        return -1;
    auto& slots = cleanupSlots();
    for (std::size_t i = 0; i < slots.size(); ++i) {
        int expected = 0;
        if (slots[i].state.compare_exchange_strong(expected, 1)) {
            std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
            slots[i].state.store(2);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void unregisterForCleanup(int slot) {
    if (slot >= 0)
        cleanupSlots()[static_cast<std::size_t>(slot)].state.store(0);
}

#ifndef _WIN32
extern "C" void removeStagedFilesAndEnd(int signal) {
    for (CleanupSlot& slot : cleanupSlots())
        if (slot.state.load() == 2)
            ::unlink(slot.path);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
#endif

// ".NAME.XXXXXX.part" beside the final name: hidden, and never taken for a result.
std::string temporaryName(const std::filesystem::path& final, unsigned attempt) {
    static std::mt19937 random([] {
        std::random_device device;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return device() ^ static_cast<unsigned>(ticks);
    }());
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.part",
                  static_cast<unsigned>((random() + attempt) & 0xFFFFFF));
    std::filesystem::path name = final.parent_path() / ("." + final.filename().string() + suffix);
    return name.string();
}

} // namespace

bool StagedFile::create(const std::string& finalPath) {
    discard();
    error_.clear();
    finalPath_ = finalPath;
    std::filesystem::path final = nativePath(finalPath);
    if (finalPath.empty() || !final.has_filename()) {
        error_ = std::strerror(ENOENT);
        return false;
    }
    // The rename replaces whatever has the name: a link is followed so that the file it names
    // is replaced, not the link; a device, FIFO or directory is never replaced.
    std::error_code status;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(final, status))) {
        std::filesystem::path target = std::filesystem::weakly_canonical(final, status);
        if (!status) {
            final = target;
            finalPath_ = target.string();
        }
    }
    const auto type = std::filesystem::status(final, status).type();
    if (type == std::filesystem::file_type::directory) {
        error_ = std::strerror(EISDIR);
        return false;
    }
    if (type != std::filesystem::file_type::not_found &&
        type != std::filesystem::file_type::regular) {
        error_ = "not a regular file";
        return false;
    }
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = temporaryName(final, attempt);
        cleanupSlot_ = registerForCleanup(candidate);
        if (file_.open(candidate, BinaryFile::Mode::CreateNew)) {
            temporaryPath_ = std::move(candidate);
            return true;
        }
        unregisterForCleanup(cleanupSlot_);
        cleanupSlot_ = -1;
        error_ = file_.openError();
        if (error_ != std::strerror(EEXIST))
            return false;
    }
    return false;
}

void StagedFile::createInMemory(std::vector<std::uint8_t>& sink) {
    discard();
    error_.clear();
    finalPath_.clear();
    sink_ = &sink;
    file_.createInMemory(sink);
}

bool StagedFile::commit() {
    if (!file_.isOpen())
        return false;
    if (sink_ != nullptr) {
        file_.close();
        sink_ = nullptr;
        return true;
    }
    if (!file_.close()) {
        error_ = std::strerror(errno);
        discard();
        return false;
    }
    std::error_code error;
    std::filesystem::rename(nativePath(temporaryPath_), nativePath(finalPath_), error);
    if (error) {
        error_ = error.message();
        discard();
        return false;
    }
    unregisterForCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
    temporaryPath_.clear();
    return true;
}

void StagedFile::discard() {
    file_.close();
    if (sink_ != nullptr) {
        sink_->clear();
        sink_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(nativePath(temporaryPath_), ignored);
        temporaryPath_.clear();
    }
    unregisterForCleanup(cleanupSlot_);
    cleanupSlot_ = -1;
}

bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size,
                         std::string& error) {
    StagedFile staged;
    if (!staged.create(path)) {
        error = staged.error();
        return false;
    }
    if (!staged.file().write(bytes, size)) {
        error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    if (!staged.commit()) {
        error = staged.error();
        return false;
    }
    return true;
}

bool copyFileAtomically(const std::string& from, const std::string& path, std::string& error) {
    BinaryFile in(from, BinaryFile::Mode::Read);
    if (!in.isOpen()) {
        error = in.openError();
        return false;
    }
    StagedFile out;
    if (!out.create(path)) {
        error = out.error();
        return false;
    }
    std::vector<unsigned char> buffer(1 << 20);
    for (std::size_t got; (got = in.read(buffer.data(), buffer.size())) > 0;) {
        if (!out.file().write(buffer.data(), got)) {
            error = std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
    }
    if (!out.commit()) {
        error = out.error();
        return false;
    }
    return true;
}

void removeStagedFilesOnSignals() {
#ifndef _WIN32
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = removeStagedFilesAndEnd;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
#endif
}

} // namespace sonarium
