// Staged files and the table of temporary files a signal handler removes.
#include "wavefile/staged_file.h"

#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <set>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// The longest file name the file systems in use take (NAME_MAX).
constexpr std::size_t kNameMax = 255;
// ".XXXXXX.part" after the name: six hexadecimal digits.
constexpr std::size_t kSuffixLength = 12;

// ".NAME.XXXXXX.part" beside the final name: hidden, and never taken for a result. A name too long
// to take the suffix within the system's limit is shortened in the temporary name only.
std::string temporaryName(const std::filesystem::path& final, unsigned attempt) {
    static std::mt19937 random([] {
        std::random_device device;
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        return device() ^ static_cast<unsigned>(ticks);
    }());
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%06x.part",
                  static_cast<unsigned>((random() + attempt) & 0xFFFFFF));
    std::string base = final.filename().string();
    if (base.size() > kNameMax - 1 - kSuffixLength)
        base.resize(kNameMax - 1 - kSuffixLength);
    std::filesystem::path name = final.parent_path() / ("." + base + suffix);
    return name.string();
}

// True for the names temporaryName() gives.
bool isTemporaryName(const std::string& name) {
    if (name.size() < 1 + kSuffixLength + 1 || name.front() != '.' || !name.ends_with(".part"))
        return false;
    const std::size_t dot = name.size() - kSuffixLength;
    if (name[dot] != '.')
        return false;
    for (std::size_t i = dot + 1; i < dot + 7; ++i)
        if (std::isxdigit(static_cast<unsigned char>(name[i])) == 0)
            return false;
    return true;
}

#ifndef _WIN32
bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock that marks a temporary file as alive. False when the file was removed as
// abandoned before the lock was taken (it no longer has its name): another name is tried.
bool lockTemporaryFile(int fd, const std::string& path) {
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return true; // no locks on this file system: no file here is ever taken as abandoned
    }
    struct stat own {};
    struct stat named {};
    return ::fstat(fd, &own) == 0 && ::lstat(path.c_str(), &named) == 0 && sameFile(own, named);
}

// Renames from onto to unless to exists (EEXIST then).
int renameNoReplace(const std::string& from, const std::string& to) {
#ifdef __linux__
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -1;
#endif
    // Where the rename cannot refuse by itself, a second link can: it fails on a taken name.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno == EEXIST)
        return -1;
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// Makes a rename in the folder durable.
void syncFolder(const std::filesystem::path& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder.string();
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    static_cast<void>(::fsync(fd));
    ::close(fd);
}
#endif

// Removes the abandoned temporary files of a folder the first time this process writes there.
void removeAbandonedOnce(const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::string> done;
    std::error_code error;
    std::filesystem::path key = std::filesystem::weakly_canonical(
        folder.empty() ? std::filesystem::path(".") : folder, error);
    if (error)
        key = folder;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!done.insert(key.string()).second)
            return;
    }
    removeAbandonedStagedFiles(key.string());
}

} // namespace

int removeAbandonedStagedFiles(const std::string& folder) {
    int removed = 0;
#ifndef _WIN32
    std::error_code error;
    for (std::filesystem::directory_iterator it(nativePath(folder), error), end;
         !error && it != end; it.increment(error)) {
        if (!isTemporaryName(it->path().filename().string()))
            continue;
        const std::string path = it->path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat own {};
        struct stat named {};
        // A writer holds its lock from creation to commit; a lock this process can take belongs
        // to nobody, and the file still under the name is the one locked.
        if (::fstat(fd, &own) == 0 && S_ISREG(own.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::lstat(path.c_str(), &named) == 0 && sameFile(own, named) &&
            ::unlink(path.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
#else
    static_cast<void>(folder);
#endif
    return removed;
}

bool StagedFile::create(const std::string& finalPath, NameTaken nameTaken) {
    discard();
    error_.clear();
    readOnly_ = false;
    redrawn_ = false;
    nameTaken_ = std::move(nameTaken);
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
    const auto existing = std::filesystem::status(final, status);
    const auto type = existing.type();
    if (type == std::filesystem::file_type::directory) {
        error_ = std::strerror(EISDIR);
        return false;
    }
    if (type != std::filesystem::file_type::not_found &&
        type != std::filesystem::file_type::regular) {
        error_ = "not a regular file";
        return false;
    }
    // A file its owner made read-only is not replaced behind his back (a rename would do it
    // whatever the file's own permissions say).
    if (type == std::filesystem::file_type::regular) {
        using std::filesystem::perms;
        const bool noWriteBit = (existing.permissions() & (perms::owner_write | perms::group_write |
                                                           perms::others_write)) == perms::none;
#ifndef _WIN32
        const bool denied = ::access(final.c_str(), W_OK) != 0 && errno == EACCES;
#else
        const bool denied = false;
#endif
        if (noWriteBit || denied) {
            readOnly_ = true;
            error_ = kReadOnlyReason;
            return false;
        }
    }
    removeAbandonedOnce(final.parent_path());
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = temporaryName(final, attempt);
        cleanupSlot_ = registerForCleanup(candidate);
        if (file_.open(candidate, BinaryFile::Mode::CreateNew)) {
#ifndef _WIN32
            if (!lockTemporaryFile(file_.descriptor(), candidate)) {
                file_.close(); // removed as abandoned between its creation and its lock
                unregisterForCleanup(cleanupSlot_);
                cleanupSlot_ = -1;
                continue;
            }
#endif
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
#ifdef _WIN32
    if (!file_.sync() || !file_.close()) {
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
#else
    // Durable before it has its name: a crash right after cannot leave an empty result there.
    if (!file_.sync()) {
        error_ = std::strerror(errno);
        discard();
        return false;
    }
    // The rename is made while the file is still open and locked, so that it is never taken for
    // an abandoned one.
    std::string target = finalPath_;
    for (int attempt = 0;; ++attempt) {
        if (renameNoReplace(temporaryPath_, target) == 0)
            break;
        if (errno != EEXIST) {
            error_ = std::strerror(errno);
            discard();
            return false;
        }
        // Another writer's result took the name: a drawn name is drawn again, never replaced.
        std::string next = nameTaken_ && attempt < 1000 ? nameTaken_(target) : std::string();
        if (!next.empty()) {
            target = std::move(next);
            redrawn_ = true;
            continue;
        }
        // The user's own name: the file there is replaced, and its permissions stay.
        struct stat replaced {};
        if (::stat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode))
            static_cast<void>(::fchmod(file_.descriptor(), replaced.st_mode & 07777));
        if (::rename(temporaryPath_.c_str(), target.c_str()) != 0) {
            error_ = std::strerror(errno);
            discard();
            return false;
        }
        break;
    }
    finalPath_ = std::move(target);
    syncFolder(nativePath(finalPath_).parent_path());
    file_.close(); // already durable: a late error of close changes nothing on disk
#endif
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
    std::string name = path;
    return writeFileAtomically(name, bytes, size, error, nullptr);
}

bool writeFileAtomically(std::string& path, const void* bytes, std::size_t size, std::string& error,
                         const StagedFile::NameTaken& nameTaken) {
    StagedFile staged;
    if (!staged.create(path, nameTaken)) {
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
    if (staged.redrawn())
        path = staged.finalPath();
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
