// Copies a stretch of a wave file's data into a new file at the source's own rate: the job
// behind Crop, and later Extract and the clipboard's copy of a selection.
#pragma once

#include "jobs/block_job.h"

#include <cstdint>

namespace sonarium {

// Bytes [selStart, selEnd) of the data of the input's source (an empty or reversed range means
// the whole file) go into a new file of the source's channel count and rate.
JobOutcome extractRange(JobContext& context, std::uint32_t selStart, std::uint32_t selEnd);

// The same for the input's selection, given in frames of the source.
JobOutcome extractSelection(JobContext& context);

} // namespace sonarium
