// sonIO: the one class through which operations read and write wave files, block by block.
#pragma once

#include "base/reporter.h"
#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sonarium {

// The message of a write that did not reach the disk, for writers and the jobs around them.
inline constexpr const char* kWriteErrorText = "An Error Occured\nWhile Writing Onto Disk";

// What readers and writers need from the application around them.
struct WaveContext {
    Reporter& reporter;
    // The file whose first 82 bytes end every written file (res/suffix.rc2 under the audio root).
    std::string trailerPath;
    // Opens a finished file as a document in its own window; may be empty (command line, tests).
    std::function<void(const std::string&)> openDocument;
    // When set, writers put the file they would create at their path into these bytes instead
    // (the fuzz targets): the same header, data and trailer, kept once FinishWrite completes it.
    std::vector<std::uint8_t>* writtenBytes = nullptr;
    // For the results whose names are drawn from a numbering (the editor's): another name for a
    // result whose drawn name another program took meanwhile, "" for a name the user chose. A
    // result never replaces a file it did not mean to replace.
    StagedFile::NameTaken nameTaken = nullptr;
};

// A reader (opened on an existing file) or a writer (creating a new file); the constructor used
// decides which. Counts are 16-bit values of all channels together; offsets are data bytes.
// A writer writes under a temporary name beside its path: the file appears under its path only
// when FinishWrite completes it, and a writer destroyed unfinished leaves nothing behind.
class sonIO {
public:
    // Reader. Opens the file, fills the format fields and leaves the position at the start of
    // the data chunk. A file that is not a usable PCM wave file is reported and left closed.
    sonIO(const WaveContext& context, const std::string& path);
    // Reader of a file already opened for reading, or of bytes in memory; name stands for its
    // path in messages. Behaves as the reader of a path in every other way.
    sonIO(const WaveContext& context, BinaryFile file, const std::string& name);
    // Writer: 44100 Hz, 16 bits, mono when channels is 1 and stereo otherwise, 2 × count bytes.
    sonIO(const WaveContext& context, const std::string& path, int channels, std::int64_t count);
    // Writer: rate Hz, 16 bits, the channel count as given, 2 × count bytes.
    sonIO(const WaveContext& context, const std::string& path, int channels, std::int64_t count,
          int rate);
    // Writer: rate Hz, bits bits, the channel count as given, the given number of data bytes.
    sonIO(const WaveContext& context, const std::string& path, int channels, std::int64_t bytes,
          int rate, int bits);
    virtual ~sonIO();
    sonIO(const sonIO&) = delete;
    sonIO& operator=(const sonIO&) = delete;

    // Fills buffer with count values from the current position. 1 when all were read; 0 when
    // the end of the data chunk came first, the rest of the buffer being zero; every later read
    // then gives zeros. Only the data chunk's bytes are ever delivered as samples.
    int ReadBlock(std::int16_t* buffer, int count);
    // ReadBlock for any count, telling how many of the values came from the file: count when
    // all of them did, fewer when the data chunk (or the file) ended first.
    std::size_t ReadValues(std::int16_t* buffer, std::size_t count);
    // True once a read found the file ending before its data chunk did: another program
    // truncated the file after it was opened.
    bool Truncated() const { return truncated_; }
    // Moves the read position to dataStart + offset; refuses (with a message) past the file end.
    void SeekData(std::uint32_t offset);
    void CloseRead();

    // Appends count values; 1 when every byte was written, 0 when the write failed.
    int WriteBlock(const std::int16_t* buffer, int count);
    // Appends the next count values of reader as they are, copied inside the kernel where the
    // system can, so that they never pass through a buffer. Returns how many were copied (whole
    // values, the reader moved past them; 0 when none could be): the caller moves the rest with
    // ReadBlock and WriteBlock, which meet and report whatever stopped the copy. Only values
    // inside the reader's data chunk are copied this way.
    std::uint32_t CopyValues(sonIO& reader, std::uint32_t count);
    // Appends count bytes as they are (8-bit samples, say); 1 or 0 as WriteBlock.
    int WriteBytes(const void* bytes, std::size_t count);
    // Appends the trailer, closes the file and gives it its name; 0 (with the write error
    // message, and no file left) when the file could not be completed.
    int FinishWrite();
    // FinishWrite, then asks the application to open the new file as a document.
    int FinishWriteAndOpen();
    // Gives up an unfinished file without a message: nothing is left under its name.
    void Abandon();
    // True once a write of this writer failed (its later writes are not attempted).
    bool WriteFailed() const { return writeFailed_; }
    // "File PATH\nREASON" for the write that failed (the system's reason), or "" when none did.
    std::string WriteFailure() const;

    // False for a reader or writer whose file could not be opened or created; the reason has
    // already been reported. Reads from such a reader give zeros, writes to such a writer fail.
    bool IsOpen() const { return writer_ ? staged_.isOpen() : file_.isOpen(); }
    const std::string& Path() const { return path_; }

    int bitsPerSample = 0;
    int channels = 0;
    int sampleRate = 0;
    // Size of the data chunk in bytes, bounded by what the file holds after the chunk starts.
    std::uint32_t dataSize = 0;
    // Offset of the data chunk's first byte in the file (44 in the files this system writes).
    std::uint64_t dataStart = 0;
    int samplesWritten = 0;

private:
    void startReading();
    void createWriter(int channelCount, int rate, int bits, std::int64_t dataBytes);

    const WaveContext& context_;
    std::string path_;
    BinaryFile file_;   // reader
    StagedFile staged_; // writer
    bool writer_ = false;
    bool truncated_ = false;          // reader: the file ended before its data chunk
    bool writeFailed_ = false;        // writer: a write did not reach the disk
    int writeErrno_ = 0;              // writer: the system's error of the failed write
    std::uint64_t fileLength_ = 0;    // reader: length at open time
    std::uint64_t dataEnd_ = 0;       // reader: offset just after the data chunk
    std::uint64_t position_ = 0;      // reader: current byte position
    std::uint64_t declaredBytes_ = 0; // writer: data bytes the header declares
    std::uint64_t bytesWritten_ = 0;  // writer: data bytes actually written
};

} // namespace sonarium
