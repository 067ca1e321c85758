// Reading a pass's blocks ahead of the job on a thread of its own, so that copying the source's
// bytes out of the system overlaps computing and writing the blocks before them. Blocks are read
// in runs of several at once: one large read costs the system far less than many small ones,
// and a job can write a run's blocks back with one call too.
#pragma once

#include "base/fill_ahead.h"
#include "jobs/block_split.h"
#include "wavefile/sonio.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace sonarium {

class ReadAhead {
public:
    // Blocks read with one call (about 1 MB).
    static constexpr std::uint32_t kRunBlocks = 8;

    // Starts reading the blocks of split from the source's current position. Until the object is
    // destroyed only it touches the source. Where no thread can be started, each run is read
    // when its first block is asked for.
    ReadAhead(sonIO& source, const BlockSplit& split);
    // Stops the reading (a run being read is finished first).
    ~ReadAhead() = default;
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    struct Block {
        std::int16_t* values; // count(j) values, the job's to change until the next run's block
        bool truncated;       // the source ended before this block's values could all be read
        // The last block of its run: the values of the run's blocks lie one after the other,
        // from the run's first block's values to the end of this one's.
        bool endsRun;
    };
    // The blocks in order: block 0 at the first call, block j at the (j + 1)-th.
    Block next();

private:
    // Runs held at once: the one the job works on and two read ahead.
    static constexpr std::uint32_t kDepth = 3;

    std::uint32_t runs() const { return (split_.blocks() + kRunBlocks - 1) / kRunBlocks; }
    std::int16_t* slot(std::uint32_t run) const {
        return storage_.get() + std::size_t{run % kDepth} * slotValues_;
    }
    // Reads run r into its slot; true while a run follows it.
    bool readRun(std::uint32_t run);

    sonIO& source_;
    const BlockSplit split_;
    std::size_t slotValues_ = 0; // the values of one run
    std::unique_ptr<std::int16_t[]> storage_;
    // Per slot: how many of its run's values came from the file when the source was found cut
    // short while reading it; past the run's end otherwise.
    std::array<std::size_t, kDepth> cutAt_{};
    std::uint32_t next_ = 0; // the block next() hands out next
    FillAhead ahead_;        // last: its thread reads into the members above
};

} // namespace sonarium
