// ExtractRange: a stretch of a wave file's data into a new file of the source's own format; the
// job behind Extract and Crop, and the clipboard's copy of a selection.
#pragma once

#include "jobs/kernels.h"

#include <cstdint>
#include <memory>

namespace sonarium {

inline constexpr const char* kSelectionEmptyText = "Selection is empty";

// Bytes [start, end) of the Source's data, both ends rounded down to a multiple of 4 (so both in
// one 4-byte unit give a file with no data), in blocks of the job skeleton's split. An end not
// after the start is refused with "Selection is empty".
JobOutcome ExtractRange(JobFiles& files, std::uint32_t start, std::uint32_t end);

// The same from a reader the caller opened (the editor's copy of a selection to the clipboard):
// the result is finished, or abandoned when the job stopped, and the reader closed.
JobOutcome ExtractRange(JobContext& context, std::unique_ptr<sonIO> source, std::uint32_t start,
                        std::uint32_t end);

// ExtractRange over the input's selection (frames, cut at the end of the data).
JobOutcome extractSelection(JobFiles& files);

} // namespace sonarium
