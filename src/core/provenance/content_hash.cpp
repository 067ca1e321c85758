// XXH64 over a stream of bytes, and over files read in large pieces.
#include "provenance/content_hash.h"

#include "wavefile/binary_file.h"
#include "wavefile/chunk_read_ahead.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace sonarium {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr std::uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr std::uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr std::uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

constexpr std::uint64_t rotl(std::uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

// Little-endian loads: one instruction each on a little-endian machine.
std::uint64_t read64(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

std::uint32_t read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t round(std::uint64_t acc, std::uint64_t input) {
    acc += input * kPrime2;
    return rotl(acc, 31) * kPrime1;
}

std::uint64_t merge(std::uint64_t acc, std::uint64_t lane) {
    acc ^= round(0, lane);
    return acc * kPrime1 + kPrime4;
}

} // namespace

void ContentHasher::update(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    total_ += size;
    if (buffered_ + size < 32) {
        std::memcpy(buffer_ + buffered_, p, size);
        buffered_ += size;
        return;
    }
    if (buffered_ > 0) {
        const std::size_t fill = 32 - buffered_;
        std::memcpy(buffer_ + buffered_, p, fill);
        for (int i = 0; i < 4; ++i)
            lanes_[i] = round(lanes_[i], read64(buffer_ + 8 * i));
        p += fill;
        size -= fill;
        buffered_ = 0;
    }
    for (; size >= 32; p += 32, size -= 32)
        for (int i = 0; i < 4; ++i)
            lanes_[i] = round(lanes_[i], read64(p + 8 * i));
    std::memcpy(buffer_, p, size);
    buffered_ = size;
}

std::uint64_t ContentHasher::digest() const {
    std::uint64_t h = 0;
    if (total_ >= 32) {
        h = rotl(lanes_[0], 1) + rotl(lanes_[1], 7) + rotl(lanes_[2], 12) + rotl(lanes_[3], 18);
        for (std::uint64_t lane : lanes_)
            h = merge(h, lane);
    } else {
        h = kPrime5; // lanes_[2] holds the seed, 0
    }
    h += total_;
    const unsigned char* p = buffer_;
    std::size_t left = buffered_;
    for (; left >= 8; p += 8, left -= 8)
        h = rotl(h ^ round(0, read64(p)), 27) * kPrime1 + kPrime4;
    if (left >= 4) {
        h = rotl(h ^ (static_cast<std::uint64_t>(read32(p)) * kPrime1), 23) * kPrime2 + kPrime3;
        p += 4;
        left -= 4;
    }
    for (; left > 0; ++p, --left)
        h = rotl(h ^ (*p * kPrime5), 11) * kPrime1;
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

std::uint64_t contentHash(std::string_view bytes) {
    ContentHasher hasher;
    hasher.update(bytes.data(), bytes.size());
    return hasher.digest();
}

std::optional<std::string> fileHash(const std::string& path) {
    BinaryFile file;
    if (!file.open(path, BinaryFile::Mode::Read))
        return std::nullopt;
    const std::uint64_t length = file.size();
    ContentHasher hasher;
    std::uint64_t hashed = 0;
    {
        // The file is read on a second thread while the chunk before is hashed.
        ChunkReadAhead ahead(file, length);
        for (;;) {
            const ChunkReadAhead::Chunk chunk = ahead.next();
            hasher.update(chunk.bytes, chunk.size);
            hashed += chunk.size;
            if (chunk.size == 0 || chunk.ended)
                break;
        }
    }
    // A read that failed, or a file cut short meanwhile, gives no hash.
    if (hashed != length)
        return std::nullopt;
    return hexHash(hasher.digest());
}

std::string hexHash(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace sonarium
