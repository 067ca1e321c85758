// Export to 8 bit wave file: a 16-bit file written as an 8-bit one.
#pragma once

#include "jobs/block_job.h"

namespace sonarium {

// Writes the input's source to the destination with one byte per value (v / 256 + 128), keeping
// its channel count and rate. A destination that is the source itself is refused with "This file
// already exists" and nothing is written.
JobOutcome exportEightBit(JobContext& context);

} // namespace sonarium
