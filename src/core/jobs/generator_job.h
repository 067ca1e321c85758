// What the syntheses share: how a generated block is filled and how long a result of a given
// duration is.
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

// The number of values of a result lasting `seconds` at 44100 values per second: the product
// formed in double precision and truncated toward zero (0 when it is not positive).
std::uint32_t valuesForDuration(double seconds);

} // namespace sonarium
