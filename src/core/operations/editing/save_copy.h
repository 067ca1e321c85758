// The copy behind Save As: the listed file rewritten under its new name as a 44100 Hz, 16-bit
// wave file with the source's channel count.
#pragma once

#include "jobs/block_job.h"

#include <string>

namespace sonarium {

// Returns 1 when the copy was written and finished, 0 when it ended with a message.
int saveAsCopy(JobContext& context, const std::string& sourcePath);

} // namespace sonarium
