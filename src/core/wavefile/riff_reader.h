// A RIFF chunk walker: find a RIFF form, find a chunk inside a parent, ascend out of a chunk.
// Every size read from the file is bounded by the file's real length, so a lying header can
// neither send the walk outside the file nor make it loop.
#pragma once

#include "wavefile/binary_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sonarium {

using FourCC = std::array<char, 4>;

constexpr FourCC fourCC(const char (&text)[5]) {
    return {text[0], text[1], text[2], text[3]};
}

struct RiffChunk {
    FourCC id{};
    std::uint32_t size = 0;       // payload size as declared in the file
    FourCC form{};                // form type of a RIFF or LIST chunk
    std::uint64_t dataOffset = 0; // offset of the payload (of the form type for RIFF/LIST)
    // End of the payload, bounded by the file's length.
    std::uint64_t end(std::uint64_t fileLength) const;
};

// Walks the chunks of an open file (or of bytes in memory); the file must outlive the reader.
class RiffReader {
public:
    // At most this many chunks are stepped over in one search; no real file comes near it.
    static constexpr int kMaxChunksPerSearch = 65536;

    explicit RiffReader(BinaryFile& file) : file_(file), length_(file.size()) {}
    bool isOpen() const { return file_.isOpen(); }
    std::uint64_t length() const { return length_; }
    std::uint64_t position() const { return position_; }

    // Searches the top-level chunks from the current position for "RIFF" with the given form
    // type; on success the position is just after the form type.
    bool findRiff(const FourCC& form, RiffChunk& found);
    // Searches the chunks from the current position up to the parent's end (the file's end
    // without a parent) for the given id; on success the position is at the start of its payload.
    bool findChunk(const FourCC& id, const RiffChunk* parent, RiffChunk& found);
    // Moves to the first byte after the chunk (its payload padded to an even size).
    bool ascend(const RiffChunk& chunk);
    // Reads up to n bytes of the current chunk's payload; returns the count read.
    std::size_t read(void* buffer, std::size_t n, const RiffChunk& chunk);

private:
    bool readHeader(std::uint64_t at, RiffChunk& chunk);
    bool search(const FourCC& id, const FourCC* form, std::uint64_t limit, RiffChunk& found);

    BinaryFile& file_;
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
};

// What the chunks of a wave file say, as far as they could be read.
struct WaveLayout {
    enum class Status {
        NoFormatChunk, // unreadable, not RIFF/WAVE, or no "fmt " chunk
        BadFormat,     // format chunk short, not integer PCM, or with zero channels/alignment/bits
        NoDataChunk,   // no "data" chunk after the format chunk
        Ok
    };
    Status status = Status::NoFormatChunk;
    // Why the file is not usable, for the second line of a message ("Is a directory", "its
    // samples are floating-point numbers, not PCM"); empty when status is Ok.
    std::string problem;
    // 1 for PCM, also when the file declares it through the extensible format's sub-format.
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t declaredDataSize = 0; // the data chunk's size field
    std::uint64_t dataOffset = 0;       // where the data chunk's payload starts
    std::uint64_t fileLength = 0;
    // The data chunk's size bounded by what the file really holds after its start.
    std::uint32_t availableDataSize() const;
};

// Walks RIFF "WAVE" → "fmt " → "data" the way every reader of the system does.
WaveLayout readWaveLayout(const std::string& path);
// The same over a file already opened for reading (or bytes in memory); one that is not open
// gives its open error as the problem.
WaveLayout readWaveLayout(BinaryFile& file);

// "File PATH\ncannot be read as Wave Audio", with the layout's problem on a line of its own.
// PATH is whatever names the bytes for the user.
std::string unreadableWaveMessage(const std::string& path, const WaveLayout& layout);

} // namespace sonarium
