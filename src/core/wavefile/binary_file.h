// A plain binary file with 64-bit positions and no stdio buffering, so that each block read or
// written by a job is one system call and a failed write is seen at once, not at close. The same
// object can stand for bytes in memory, so that every reader and writer of the system also works
// on data that never was a file (the clipboard's, the fuzz targets').
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace sonarium {

class BinaryFile {
public:
    // Create truncates an existing file; CreateNew fails when the name exists.
    enum class Mode { Read, Create, CreateNew };

    BinaryFile() = default;
    BinaryFile(const std::string& path, Mode mode) { open(path, mode); }
    ~BinaryFile() { close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;
    BinaryFile(BinaryFile&& other) noexcept
        : file_(other.file_), memory_(std::exchange(other.memory_, std::nullopt)),
          openError_(std::move(other.openError_)), writeLimit_(other.writeLimit_),
          writing_(other.writing_), unflushed_(other.unflushed_) {
        other.file_ = nullptr;
    }
    BinaryFile& operator=(BinaryFile&& other) noexcept;

    // Opens an existing regular file for reading, or creates (truncates) one for writing. A
    // FIFO, device or directory is refused at once for reading, so that no open ever blocks.
    bool open(const std::string& path, Mode mode);
    // Reads bytes in memory as the contents of a file: reads, seeks and the size work on them
    // (they must outlive the object); every write is refused.
    void openMemory(std::span<const std::uint8_t> bytes);
    // Writes into sink as into a file just created (sink is emptied first, and grows as the
    // writes and seeks ask); what was written can be read back.
    void createInMemory(std::vector<std::uint8_t>& sink);
    bool isOpen() const { return file_ != nullptr || memory_.has_value(); }
    // Why the last open failed, in the system's words ("No such file or directory", "Is a
    // directory", "not a regular file"); empty after a successful open.
    const std::string& openError() const { return openError_; }

    // Reads up to n bytes; returns how many were read (short only at the end or on an error).
    std::size_t read(void* buffer, std::size_t n);
    // Writes n bytes; returns true only when every byte was written.
    bool write(const void* buffer, std::size_t n) { return writeSome(buffer, n) == n; }
    // Writes up to n bytes; returns how many were written (fewer only on an error).
    std::size_t writeSome(const void* buffer, std::size_t n);
    // Copies up to n bytes from source's position to this file's, inside the kernel (no buffer
    // in between), in a whole number of units of `unit` bytes, and moves both positions past
    // them. Returns how many bytes were copied: fewer at the source's end, on an error, or where
    // the system cannot copy this way (0); the caller moves the rest through read and write,
    // which meet and report any failure themselves.
    std::size_t copyFrom(BinaryFile& source, std::size_t n, std::size_t unit = 1);
    bool seek(std::uint64_t position);
    std::uint64_t tell() const;
    // Length of the file in bytes; the position is left unchanged.
    std::uint64_t size() const;
    // Closes the file; false when the system reported an error while closing.
    bool close();
    // Makes what was written durable (fsync); false with errno set when the disk refused it.
    // Bytes in memory need nothing.
    bool sync();
    // The file's descriptor, or -1 (bytes in memory, no file).
    int descriptor() const;

    // For the tests of failing disks: every file created from now on holds at most `bytes`
    // bytes, the write that would pass them failing as on a full disk. Negative: no limit.
    static void limitCreatedFilesForTesting(std::int64_t bytes);

private:
    // Bytes standing in for a file: read from bytes, or written into (and read from) sink.
    struct Memory {
        std::span<const std::uint8_t> bytes;
        std::vector<std::uint8_t>* sink = nullptr;
        std::uint64_t position = 0;
        std::span<const std::uint8_t> contents() const {
            return sink != nullptr ? std::span<const std::uint8_t>(*sink) : bytes;
        }
    };

    std::size_t writeUnlimited(const void* buffer, std::size_t n);
    void startWriteBack(std::size_t written);

    std::FILE* file_ = nullptr;
    std::optional<Memory> memory_;
    std::string openError_;
    std::int64_t writeLimit_ = -1; // bytes this file may still take; -1: no limit
    bool writing_ = false;         // created by open (a file on the disk, not bytes in memory)
    std::uint64_t unflushed_ = 0;  // bytes written since the disk was last asked to take them
};

// A path from a UTF-8 string, whatever the platform's native encoding.
inline std::filesystem::path nativePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The length of the file at path, or -1 when it cannot be read.
std::int64_t fileLength(const std::string& path);

} // namespace sonarium
