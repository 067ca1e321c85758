// The copy behind Save As: the listed file copied byte for byte under its new name, whatever it
// holds (every chunk, its rate and sample format), staged so that the new name shows a complete
// copy or nothing.
#pragma once

#include "jobs/block_job.h"

namespace sonarium {

// Copies the input's source to the context's destination, in pieces of 1 MB with progress; the
// user's cancel or a failed read or write leaves nothing under the new name.
JobOutcome saveAsCopy(JobContext& context);

} // namespace sonarium
