// The reading thread and its hand-over of blocks to the job.
#include "jobs/read_ahead.h"

#include <system_error>

namespace sonarium {

ReadAhead::ReadAhead(sonIO& source, const BlockSplit& split)
    : source_(source), split_(split),
      storage_(std::make_unique<std::int16_t[]>(std::size_t{kDepth} * kBlockValues)) {
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to be had: next() reads each block itself.
    }
}

ReadAhead::~ReadAhead() {
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ReadAhead::readBlock(std::uint32_t j) {
    source_.ReadBlock(storage_.get() + std::size_t{j % kDepth} * kBlockValues,
                      static_cast<int>(split_.count(j)));
    truncated_[j % kDepth] = source_.Truncated();
}

void ReadAhead::run() {
    for (std::uint32_t j = 0; j < split_.blocks(); ++j) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || j < released_ + kDepth; });
            if (stopping_)
                return;
        }
        readBlock(j);
        {
            std::lock_guard lock(mutex_);
            filled_ = j + 1;
        }
        changed_.notify_all();
    }
}

ReadAhead::Block ReadAhead::next() {
    const std::uint32_t j = next_++;
    if (!thread_.joinable()) {
        readBlock(j);
    } else {
        {
            std::unique_lock lock(mutex_);
            released_ = j; // the block handed out before is free again
            changed_.wait(lock, [&] { return filled_ > j; });
        }
        changed_.notify_all();
    }
    return {storage_.get() + std::size_t{j % kDepth} * kBlockValues, truncated_[j % kDepth]};
}

} // namespace sonarium
