// The job of the operations that make a file from their parameters alone: a mono result of a
// given number of values, computed block by block into one fixed buffer and written.
#pragma once

#include "jobs/block_job.h"

#include <cstdint>
#include <functional>

namespace sonarium {

// Where each generated block's progress is shown: before the block is written, or after it.
enum class ProgressTiming { BeforeWrite, AfterWrite };

// Fills block[0..count) with the values from position first of the result onwards (first is the
// block's index times the split's block length, so first + i is the value's index in the file).
using BlockGenerator =
    std::function<void(std::int16_t* block, std::uint32_t count, std::uint32_t first)>;

// Creates a mono 44100 Hz destination for `total` values, fills it through generate in the
// blocks of the usual split (progress 100 × (j + 1) / (n + 1) at the given moment, a failed
// write reported with writeIcon), and finishes it.
JobOutcome runGeneratorJob(JobContext& context, std::uint32_t total, ProgressTiming timing,
                           MessageIcon writeIcon, const BlockGenerator& generate);

// The number of values of a result lasting `seconds` at 44100 values per second: the product
// formed in double precision and truncated toward zero (0 when it is not positive).
std::uint32_t valuesForDuration(double seconds);

} // namespace sonarium
