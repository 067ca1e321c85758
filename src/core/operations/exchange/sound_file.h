// libsndfile on the system's own files: a reader opened through BinaryFile (which refuses a
// FIFO or a directory at once, so that no open blocks) and a writer into a staged file, both
// through the library's virtual I/O so that every byte passes through BinaryFile (and its
// failures are seen where a job expects them).
#pragma once

#include "wavefile/binary_file.h"

#include <sndfile.h>
#include <string>

namespace sonarium {

class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile() { close(); }
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    // Opens an existing file for reading; false with error() set when neither the system nor
    // the library can open it.
    bool openRead(const std::string& path);
    // Starts writing the format of info into file (created and positioned at its start by the
    // caller, and left open by close()); false with error() set.
    bool openWrite(BinaryFile& file, const SF_INFO& info);
    // Closes the library's side; false (error() set) when the library reported a failure then.
    bool close();

    bool isOpen() const { return handle_ != nullptr; }
    SNDFILE* handle() const { return handle_; }
    const SF_INFO& info() const { return info_; }
    // The library's (or the system's) reason for the last failure.
    const std::string& error() const { return error_; }
    // The library's reason for the current error state, "" when there is none.
    std::string libraryError() const;
    // The system's error of the first write that failed, 0 while none did.
    int writeErrno() const { return channel_.writeErrno; }

    // What the library's virtual I/O works on.
    struct Channel {
        BinaryFile* file = nullptr;
        int writeErrno = 0;
    };

private:
    BinaryFile own_;            // the file read
    Channel channel_;           // the file the library reads or writes through
    SNDFILE* handle_ = nullptr; // the library's handle
    SF_INFO info_{};
    std::string error_;
};

// The container's short name ("WAV", "FLAC", "Ogg", "AIFF", ...) and the encoding's
// ("24-bit PCM", "32-bit float", "Vorbis", ...) of a library format.
std::string containerName(int format);
std::string encodingName(int format);

// True for the encodings that decode to more than 16 bits of resolution: PCM above 16 bits,
// float, and the lossy codecs, whose decoders give floating-point samples.
bool isDeepEncoding(int format);
// True for the containers whose frame count the library only estimates from their headers
// (Ogg, MPEG): such a file is counted by decoding it before a result is created.
bool hasEstimatedLength(int format);

} // namespace sonarium
