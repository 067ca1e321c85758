// The reading thread and its hand-over of chunks to the caller.
#include "wavefile/chunk_read_ahead.h"

#include <algorithm>

namespace sonarium {

ChunkReadAhead::ChunkReadAhead(BinaryFile& file, std::uint64_t length)
    : file_(file), unread_(length),
      chunkBytes_(static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunkBytes))),
      // One slot is enough for a length read with one call, which gains nothing from a thread.
      storage_(std::make_unique<unsigned char[]>(std::max<std::size_t>(1, chunkBytes_) *
                                                 (length > kChunkBytes ? kDepth : 1))),
      ahead_(
          kDepth, [this](std::uint64_t chunk) { return readChunk(chunk); }, length > kChunkBytes) {}

bool ChunkReadAhead::readChunk(std::uint64_t chunk) {
    const auto ask = static_cast<std::size_t>(std::min<std::uint64_t>(unread_, chunkBytes_));
    const std::size_t got = ask > 0 ? file_.read(slot(chunk), ask) : 0;
    unread_ -= got;
    sizes_[chunk % kDepth] = got;
    ended_[chunk % kDepth] = got < ask;
    return got == ask && unread_ > 0;
}

ChunkReadAhead::Chunk ChunkReadAhead::next() {
    const std::uint64_t chunk = next_++;
    if (!ahead_.acquire(chunk))
        return {storage_.get(), 0, false};
    return {slot(chunk), sizes_[chunk % kDepth], ended_[chunk % kDepth]};
}

} // namespace sonarium
