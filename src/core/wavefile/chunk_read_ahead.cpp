// The reading thread and its hand-over of chunks to the caller.
#include "wavefile/chunk_read_ahead.h"

#include <algorithm>
#include <system_error>

namespace sonarium {

ChunkReadAhead::ChunkReadAhead(BinaryFile& file, std::uint64_t length)
    : file_(file), unread_(length),
      chunkBytes_(static_cast<std::size_t>(std::min<std::uint64_t>(length, kChunkBytes))) {
    // One slot is enough for a length read with one call, which gains nothing from a thread.
    const bool ahead = length > kChunkBytes;
    storage_ = std::make_unique<unsigned char[]>(std::max<std::size_t>(1, chunkBytes_) *
                                                 (ahead ? kDepth : 1));
    if (!ahead)
        return;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to be had: next() reads each chunk itself.
    }
}

ChunkReadAhead::~ChunkReadAhead() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool ChunkReadAhead::readChunk(std::uint64_t chunk) {
    const auto ask = static_cast<std::size_t>(std::min<std::uint64_t>(unread_, chunkBytes_));
    const std::size_t got = ask > 0 ? file_.read(slot(chunk), ask) : 0;
    unread_ -= got;
    sizes_[chunk % kDepth] = got;
    ended_[chunk % kDepth] = got < ask;
    return got == ask && unread_ > 0;
}

void ChunkReadAhead::run() {
    for (std::uint64_t chunk = 0;; ++chunk) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || chunk < released_ + kDepth; });
            if (stopping_)
                return;
        }
        const bool more = readChunk(chunk);
        {
            std::lock_guard lock(mutex_);
            filled_ = chunk + 1;
            done_ = !more;
        }
        changed_.notify_all();
        if (!more)
            return;
    }
}

ChunkReadAhead::Chunk ChunkReadAhead::next() {
    const std::uint64_t chunk = next_++;
    if (!thread_.joinable()) {
        if (done_)
            return {storage_.get(), 0, false};
        done_ = !readChunk(chunk);
    } else {
        {
            std::unique_lock lock(mutex_);
            released_ = chunk; // the chunks handed out before are free again
            changed_.wait(lock, [&] { return filled_ > chunk || done_; });
            if (filled_ <= chunk)
                return {storage_.get(), 0, false};
        }
        changed_.notify_all();
    }
    return {slot(chunk), sizes_[chunk % kDepth], ended_[chunk % kDepth]};
}

} // namespace sonarium
