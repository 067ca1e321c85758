// The canonical wave layout every writer produces: a 44-byte PCM header, the data, an 82-byte
// trailer; and the little-endian field helpers shared by the readers.
#pragma once

#include <array>
#include <cstdint>

namespace sonarium {

constexpr std::uint16_t kFormatPcm = 1;
constexpr int kHeaderSize = 44;
constexpr int kTrailerSize = 82;
constexpr int kDefaultRate = 44100;
// RIFF size = data bytes + 118 must fit the 32-bit size field.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFULL - (kHeaderSize + kTrailerSize - 8);

using WaveHeader = std::array<unsigned char, kHeaderSize>;
using WaveTrailer = std::array<unsigned char, kTrailerSize>;

inline std::uint16_t readLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t readLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void writeLe16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

inline void writeLe32(unsigned char* p, std::uint32_t v) {
    writeLe16(p, v & 0xFFFF);
    writeLe16(p + 2, v >> 16);
}

// The header of a file that will hold dataBytes bytes of data followed by the trailer.
// dataBytes must not exceed kMaxDataBytes.
WaveHeader buildWaveHeader(int channels, int sampleRate, int bitsPerSample,
                           std::uint32_t dataBytes);

// The trailer appended when the shipped trailer file cannot be read: a RIFF "LIST"/"INFO" chunk
// naming the program, so that other readers see a well-formed file.
const WaveTrailer& builtInTrailer();

} // namespace sonarium
