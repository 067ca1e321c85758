// sonIO: the one class through which operations read and write wave files, block by block.
#pragma once

#include "base/reporter.h"
#include "wavefile/binary_file.h"

#include <cstdint>
#include <functional>
#include <string>

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
};

// A reader (opened on an existing file) or a writer (creating a new file); the constructor used
// decides which. Counts are 16-bit values of all channels together; offsets are data bytes.
class sonIO {
public:
    // Reader. Opens the file, fills the format fields and leaves the position at byte 44.
    sonIO(const WaveContext& context, const std::string& path);
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
    // the end of the data came first, the rest of the buffer being zero. The last 82 bytes of
    // any file are its trailer and are never delivered as samples.
    int ReadBlock(std::int16_t* buffer, int count);
    // Moves the read position to dataStart + offset; refuses (with a message) past the file end.
    void SeekData(std::uint32_t offset);
    void CloseRead();

    // Appends count values; 1 when every byte was written, 0 when the write failed.
    int WriteBlock(const std::int16_t* buffer, int count);
    // Appends the trailer and closes the file; 0 when the file could not be completed.
    int FinishWrite();
    // FinishWrite, then asks the application to open the new file as a document.
    int FinishWriteAndOpen();

    // False for a reader or writer whose file could not be opened or created; the reason has
    // already been reported. Reads from such a reader give zeros, writes to such a writer fail.
    bool IsOpen() const { return file_.isOpen(); }
    const std::string& Path() const { return path_; }

    int bitsPerSample = 0;
    int channels = 0;
    int sampleRate = 0;
    // Size of the data chunk in bytes, bounded by what the file holds after the chunk starts.
    std::uint32_t dataSize = 0;
    int dataStart = 0;
    int samplesWritten = 0;

private:
    void createWriter(int headerChannels, int rate, int bits, std::int64_t dataBytes);

    const WaveContext& context_;
    std::string path_;
    BinaryFile file_;
    bool writer_ = false;
    std::uint64_t fileLength_ = 0;    // reader: length at open time
    std::uint64_t position_ = 0;      // reader: current byte position
    std::uint64_t declaredBytes_ = 0; // writer: data bytes the header declares
    std::uint64_t bytesWritten_ = 0;  // writer: data bytes actually written
};

} // namespace sonarium
