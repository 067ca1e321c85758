// The copy behind Save As: the listed file rewritten under its new name as a 44100 Hz, 16-bit
// wave file with the source's channel count.
#pragma once

#include "jobs/block_job.h"

namespace sonarium {

// Copies the input's source to the context's destination.
JobOutcome saveAsCopy(JobContext& context);

} // namespace sonarium
