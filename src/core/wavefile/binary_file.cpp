// Plain unbuffered binary file access with 64-bit offsets on every platform.
#include "wavefile/binary_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sonarium {

namespace {

std::atomic<std::int64_t> createdFileLimit{-1};

constexpr const char* kNotRegular = "not a regular file";

std::FILE* openNative(const std::string& path, const char* mode) {
#ifdef _WIN32
    std::filesystem::path native = nativePath(path);
    std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(native.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

// Opens a regular file for reading. The file is opened without blocking and checked before any
// read: a FIFO would otherwise wait for a writer forever, and a directory opens but never reads.
std::FILE* openForReading(const std::string& path, std::string& error) {
#ifdef _WIN32
    std::error_code status;
    const auto type = std::filesystem::status(nativePath(path), status).type();
    if (!status && type == std::filesystem::file_type::directory) {
        error = "Is a directory";
        return nullptr;
    }
    if (!status && type != std::filesystem::file_type::regular) {
        error = kNotRegular;
        return nullptr;
    }
    std::FILE* file = openNative(path, "rb");
    if (file == nullptr)
        error = std::strerror(errno);
    return file;
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : kNotRegular;
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return file;
#endif
}

int seekNative(std::FILE* file, std::uint64_t position) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(position), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(position), SEEK_SET);
#endif
}

std::int64_t tellNative(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<std::int64_t>(ftello(file));
#endif
}

} // namespace

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept {
    if (this != &other) {
        close();
        file_ = other.file_;
        memory_ = std::exchange(other.memory_, std::nullopt);
        openError_ = std::move(other.openError_);
        writeLimit_ = other.writeLimit_;
        writing_ = other.writing_;
        unflushed_ = other.unflushed_;
        other.file_ = nullptr;
    }
    return *this;
}

bool BinaryFile::open(const std::string& path, Mode mode) {
    close();
    openError_.clear();
    if (path.empty()) {
        openError_ = std::strerror(ENOENT);
        return false;
    }
    writeLimit_ = -1;
    writing_ = mode != Mode::Read;
    unflushed_ = 0;
    if (mode == Mode::Read) {
        file_ = openForReading(path, openError_);
    } else {
        writeLimit_ = createdFileLimit.load();
#ifdef _WIN32
        file_ = openNative(path, mode == Mode::Create ? "wb" : "wbx");
#else
        // Not inherited by the programs this one starts: their life says nothing of the file's.
        file_ = openNative(path, mode == Mode::Create ? "wbe" : "wbxe");
#endif
        if (file_ == nullptr)
            openError_ = std::strerror(errno);
    }
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);
#ifndef _WIN32
    // What we create is written by its owner alone, whatever the umask allows.
    struct stat info {};
    if (mode != Mode::Read && ::fstat(fileno(file_), &info) == 0 &&
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        static_cast<void>(::fchmod(fileno(file_), info.st_mode & 07755));
#endif
    return true;
}

void BinaryFile::openMemory(std::span<const std::uint8_t> bytes) {
    close();
    openError_.clear();
    writeLimit_ = -1;
    memory_ = Memory{.bytes = bytes};
}

void BinaryFile::createInMemory(std::vector<std::uint8_t>& sink) {
    close();
    openError_.clear();
    writeLimit_ = createdFileLimit.load();
    sink.clear();
    memory_ = Memory{.sink = &sink};
}

std::size_t BinaryFile::read(void* buffer, std::size_t n) {
    if (n == 0)
        return 0;
    if (memory_) {
        const std::span<const std::uint8_t> contents = memory_->contents();
        if (memory_->position >= contents.size())
            return 0;
        const auto at = static_cast<std::size_t>(memory_->position);
        const std::size_t got = std::min(n, contents.size() - at);
        std::memcpy(buffer, contents.data() + at, got);
        memory_->position += got;
        return got;
    }
    if (file_ == nullptr)
        return 0;
    return std::fread(buffer, 1, n, file_);
}

std::size_t BinaryFile::writeUnlimited(const void* buffer, std::size_t n) {
    if (memory_) {
        std::vector<std::uint8_t>* sink = memory_->sink;
        if (sink == nullptr) {
            errno = EBADF;
            return 0;
        }
        if (memory_->position > sink->max_size() || n > sink->max_size() - memory_->position) {
            errno = EFBIG;
            return 0;
        }
        const std::uint64_t end = memory_->position + n;
        if (end > sink->size())
            sink->resize(static_cast<std::size_t>(end));
        std::memcpy(sink->data() + memory_->position, buffer, n);
        memory_->position = end;
        return n;
    }
    const std::size_t written = std::fwrite(buffer, 1, n, file_);
    startWriteBack(written);
    return written;
}

// Every result is synced before it takes its name. Left to itself the kernel writes a large file
// out only at that sync, after the job, so the job would wait for the whole file there. Asking
// for the write-back of what was written every few megabytes lets the disk work while the job
// reads and computes, and the final sync waits for the last part alone. The write-back is only
// started here, not waited for.
void BinaryFile::startWriteBack(std::size_t written) {
#ifdef __linux__
    constexpr std::uint64_t kStep = 8u << 20;
    if (!writing_ || file_ == nullptr)
        return;
    unflushed_ += written;
    if (unflushed_ < kStep)
        return;
    unflushed_ = 0;
    static_cast<void>(::sync_file_range(fileno(file_), 0, 0, SYNC_FILE_RANGE_WRITE));
#else
    static_cast<void>(written);
#endif
}

std::size_t BinaryFile::writeSome(const void* buffer, std::size_t n) {
    if (!isOpen() || n == 0)
        return 0;
    if (writeLimit_ >= 0 && n > static_cast<std::uint64_t>(writeLimit_)) {
        const auto allowed = static_cast<std::size_t>(writeLimit_);
        const std::size_t written = allowed > 0 ? writeUnlimited(buffer, allowed) : 0;
        writeLimit_ = 0;
        errno = ENOSPC;
        return written;
    }
    const std::size_t written = writeUnlimited(buffer, n);
    if (writeLimit_ >= 0)
        writeLimit_ -= static_cast<std::int64_t>(written);
    return written;
}

std::size_t BinaryFile::copyFrom(BinaryFile& source, std::size_t n, std::size_t unit) {
#ifdef __linux__
    if (file_ == nullptr || source.file_ == nullptr || unit == 0)
        return 0;
    std::size_t wanted = n;
    if (writeLimit_ >= 0)
        wanted = std::min(wanted, static_cast<std::size_t>(writeLimit_));
    wanted -= wanted % unit;
    if (wanted == 0)
        return 0;
    const std::int64_t sourceAt = tellNative(source.file_);
    const std::int64_t at = tellNative(file_);
    if (sourceAt < 0 || at < 0)
        return 0;
    const auto sourceStart = static_cast<std::uint64_t>(sourceAt);
    const auto start = static_cast<std::uint64_t>(at);
    auto in = static_cast<off_t>(sourceAt);
    auto out = static_cast<off_t>(at);
    std::size_t copied = 0;
    while (copied < wanted) {
        const ssize_t step =
            ::copy_file_range(fileno(source.file_), &in, fileno(file_), &out, wanted - copied, 0);
        if (step <= 0)
            break; // the source's end, an error, or no such copy here
        copied += static_cast<std::size_t>(step);
    }
    // A part of a unit is taken back: the next read and write move it again.
    copied -= copied % unit;
    if (copied == 0)
        return 0;
    // Explicit offsets leave the descriptors where they were: both streams move past the copy,
    // or, should a stream not move, neither does and the caller moves the bytes again.
    if (seekNative(file_, start + copied) != 0)
        return 0;
    if (seekNative(source.file_, sourceStart + copied) != 0) {
        seekNative(file_, start);
        return 0;
    }
    if (writeLimit_ >= 0)
        writeLimit_ -= static_cast<std::int64_t>(copied);
    startWriteBack(copied);
    return copied;
#else
    static_cast<void>(source);
    static_cast<void>(n);
    static_cast<void>(unit);
    return 0;
#endif
}

bool BinaryFile::seek(std::uint64_t position) {
    if (memory_) {
        // As with a file, a position past the end is taken: reads there find nothing.
        memory_->position = position;
        return true;
    }
    return file_ != nullptr && seekNative(file_, position) == 0;
}

std::uint64_t BinaryFile::tell() const {
    if (memory_)
        return memory_->position;
    if (file_ == nullptr)
        return 0;
    std::int64_t position = tellNative(file_);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

std::uint64_t BinaryFile::size() const {
    if (memory_)
        return memory_->contents().size();
    if (file_ == nullptr)
        return 0;
    std::int64_t here = tellNative(file_);
#ifdef _WIN32
    _fseeki64(file_, 0, SEEK_END);
#else
    fseeko(file_, 0, SEEK_END);
#endif
    std::int64_t end = tellNative(file_);
    if (here >= 0)
        seekNative(file_, static_cast<std::uint64_t>(here));
    return end < 0 ? 0 : static_cast<std::uint64_t>(end);
}

bool BinaryFile::close() {
    memory_.reset();
    if (file_ == nullptr)
        return true;
    bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok;
}

bool BinaryFile::sync() {
    if (file_ == nullptr)
        return true;
    if (std::fflush(file_) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file_)) == 0;
#else
    return ::fsync(fileno(file_)) == 0;
#endif
}

int BinaryFile::descriptor() const {
    if (file_ == nullptr)
        return -1;
#ifdef _WIN32
    return _fileno(file_);
#else
    return fileno(file_);
#endif
}

void BinaryFile::limitCreatedFilesForTesting(std::int64_t bytes) {
    createdFileLimit.store(bytes < 0 ? -1 : bytes);
}

std::int64_t fileLength(const std::string& path) {
    std::error_code error;
    auto length = std::filesystem::file_size(nativePath(path), error);
    if (error)
        return -1;
    return static_cast<std::int64_t>(length);
}

} // namespace sonarium
