// Save As copies in blocks of at most 128000 bytes: data bytes / 128000 + 1 blocks.
#include "operations/editing/save_copy.h"

#include <algorithm>

namespace sonarium {

JobOutcome saveAsCopy(JobContext& context) {
    const std::string& sourcePath = context.input.source;
    auto source = openJobSource(context, sourcePath);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const std::uint32_t values = source->dataSize / 2;
    auto destination = createJobDestination(context, {.channels = source->channels}, values);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const std::uint32_t blocks = source->dataSize / (2 * kBlockValues) + 1;
    auto buffer = std::make_unique<SampleBuffer>();
    std::uint32_t left = values;
    for (std::uint32_t j = 0; j < blocks && continueJob(context); ++j) {
        const std::uint32_t count = std::min(left, kBlockValues);
        readValues(context, *source, buffer->data(), count);
        writeValues(context, *destination, buffer->data(), count);
        left -= count;
        context.progress.setProgress(static_cast<int>(100ULL * (j + 1) / blocks));
    }
    return finishJob(context, *source, *destination);
}

} // namespace sonarium
