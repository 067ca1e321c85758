// The reading thread and its hand-over of runs of blocks to the job.
#include "jobs/read_ahead.h"

#include <algorithm>
#include <limits>

namespace sonarium {

ReadAhead::ReadAhead(sonIO& source, const BlockSplit& split)
    : source_(source), split_(split),
      // A run holds at most kRunBlocks blocks of per values, the split's last block (rem
      // values) in place of one of them.
      slotValues_(
          std::size_t{split.per} * (std::min(kRunBlocks, split.blocks()) - 1) +
          std::max<std::size_t>(split.per, static_cast<std::size_t>(std::max(split.rem, 0)))),
      storage_(
          std::make_unique<std::int16_t[]>(std::size_t{std::min(kDepth, runs())} * slotValues_)),
      ahead_(kDepth,
             [this](std::uint64_t run) { return readRun(static_cast<std::uint32_t>(run)); }) {}

bool ReadAhead::readRun(std::uint32_t run) {
    const std::uint32_t first = run * kRunBlocks;
    const std::uint32_t end = std::min(first + kRunBlocks, split_.blocks());
    std::size_t values = 0;
    for (std::uint32_t j = first; j < end; ++j)
        values += split_.count(j);
    const std::size_t got = source_.ReadValues(slot(run), values);
    cutAt_[run % kDepth] =
        source_.Truncated() && got < values ? got : std::numeric_limits<std::size_t>::max();
    return run + 1 < runs();
}

ReadAhead::Block ReadAhead::next() {
    const std::uint32_t j = next_++;
    const std::uint32_t r = j / kRunBlocks;
    const std::uint32_t inRun = j % kRunBlocks;
    if (inRun == 0)
        ahead_.acquire(r);
    // Every block before the last holds per values, so a block starts at inRun × per.
    const std::size_t start = std::size_t{inRun} * split_.per;
    return {.values = slot(r) + start,
            .truncated = start + split_.count(j) > cutAt_[r % kDepth],
            .endsRun = inRun + 1 == kRunBlocks || j == split_.n};
}

} // namespace sonarium
