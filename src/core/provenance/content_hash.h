// A fast 64-bit hash of a file's bytes, the fingerprint a provenance record keeps of every file a
// job read or wrote, so that a changed input or a renamed result can be recognised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonarium {

// The XXH64 function (seed 0), fed in pieces of any size.
class ContentHasher {
public:
    void update(const void* data, std::size_t size);
    std::uint64_t digest() const;

private:
    std::uint64_t lanes_[4] = {0x60EA27EEADC0B5D6ULL, 0xC2B2AE3D27D4EB4FULL, 0,
                               0x61C8864E7A143579ULL};
    unsigned char buffer_[32] = {};
    std::size_t buffered_ = 0;
    std::uint64_t total_ = 0;
};

std::uint64_t contentHash(std::string_view bytes);
// The hash of a file's bytes as 16 lower-case hexadecimal digits; nothing when it cannot be read.
std::optional<std::string> fileHash(const std::string& path);
std::string hexHash(std::uint64_t hash);

} // namespace sonarium
