// Reading a run of a file's bytes in large chunks on a thread of its own, so that the system's
// copying of the next chunk overlaps the caller's work on the current one. At most kDepth chunks
// are held at once: memory does not depend on the length read.
#pragma once

#include "base/fill_ahead.h"
#include "wavefile/binary_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sonarium {

class ChunkReadAhead {
public:
    // Bytes asked for with one read: large enough that the calls cost little beside the copying,
    // small enough that a chunk is still in the processor's cache when the caller reads it
    // (1 MiB chunks made the display scan slower).
    static constexpr std::size_t kChunkBytes = std::size_t{256} * 1024;

    // Starts reading `length` bytes from the file's current position. Until the object is
    // destroyed only it touches the file. A length that fits in one chunk, or a system that
    // starts no thread, is read when next() asks for it.
    ChunkReadAhead(BinaryFile& file, std::uint64_t length);
    // Stops the reading (a chunk being read is finished first).
    ~ChunkReadAhead() = default;
    ChunkReadAhead(const ChunkReadAhead&) = delete;
    ChunkReadAhead& operator=(const ChunkReadAhead&) = delete;

    struct Chunk {
        const unsigned char* bytes; // valid until the next call
        std::size_t size;           // 0 once the length is read or the file has ended
        // Fewer bytes came than were asked for: the file ended (or failed) here, and no chunk
        // follows.
        bool ended;
    };
    // The chunks in order.
    Chunk next();

private:
    static constexpr std::size_t kDepth = 3; // the caller's chunk and two read ahead

    unsigned char* slot(std::uint64_t chunk) const {
        return storage_.get() + static_cast<std::size_t>(chunk % kDepth) * chunkBytes_;
    }
    // Reads chunk number `chunk` into its slot; false once no chunk follows it.
    bool readChunk(std::uint64_t chunk);

    BinaryFile& file_;
    std::uint64_t unread_;   // bytes not yet asked of the file
    std::size_t chunkBytes_; // kChunkBytes, or the whole length when that is less
    std::unique_ptr<unsigned char[]> storage_;
    std::array<std::size_t, kDepth> sizes_{};
    std::array<bool, kDepth> ended_{};
    std::uint64_t next_ = 0; // the chunk next() hands out next
    FillAhead ahead_;        // last: its thread reads into the members above
};

} // namespace sonarium
