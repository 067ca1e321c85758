// Copies a stretch of a wave file's data into a new file at the source's own rate.
#pragma once

#include "jobs/block_job.h"

#include <cstdint>
#include <string>

namespace sonarium {

// Bytes [selStart, selEnd) of the source's data (an empty or reversed range means the whole
// file) go into a new file of the source's channel count and rate. Returns 1 on success, 0 when
// it ended with a message.
int extractRange(JobContext& context, const std::string& sourcePath, std::uint32_t selStart,
                 std::uint32_t selEnd);

} // namespace sonarium
