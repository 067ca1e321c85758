// Reading a pass's blocks ahead of the job on a thread of its own, so that copying the source's
// bytes out of the system (the largest single cost of a one-pass job) overlaps computing and
// writing the blocks before them.
#pragma once

#include "jobs/block_split.h"
#include "wavefile/sonio.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace sonarium {

class ReadAhead {
public:
    // Starts reading the blocks of split from the source's current position. Until the object is
    // destroyed only it touches the source. Where no thread can be started, each block is read
    // when it is asked for.
    ReadAhead(sonIO& source, const BlockSplit& split);
    // Stops the reading (a block being read is finished first).
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    struct Block {
        std::int16_t* values; // count(j) values, the job's to change until it asks for the next
        bool truncated;       // the source ended before this block's values could all be read
    };
    // The blocks in order: block 0 at the first call, block j at the (j + 1)-th.
    Block next();

private:
    // Blocks held at once: the one the job works on and two read ahead.
    static constexpr std::uint32_t kDepth = 3;

    void readBlock(std::uint32_t j);
    void run();

    sonIO& source_;
    const BlockSplit split_;
    std::unique_ptr<std::int16_t[]> storage_;
    std::array<bool, kDepth> truncated_{};
    std::uint32_t next_ = 0; // the block next() hands out next

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint32_t filled_ = 0;   // blocks read so far
    std::uint32_t released_ = 0; // blocks the job is done with
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace sonarium
