// The extraction behind Extract Selection and the view's extraction hooks.
#include "operations/editing/extract_range.h"

#include <algorithm>

namespace sonarium {

int extractRange(JobContext& context, const std::string& sourcePath, std::uint32_t selStart,
                 std::uint32_t selEnd) {
    auto source = openJobSource(context, sourcePath);
    if (!source)
        return 0;
    const std::uint32_t size = source->dataSize;
    selStart = std::min(selStart, size) & ~1U;
    selEnd = std::min(selEnd, size) & ~1U;
    if (selEnd <= selStart) {
        selStart = 0;
        selEnd = size & ~1U;
    }
    const std::uint32_t total = (selEnd - selStart) / 2;
    auto destination =
        std::make_unique<sonIO>(context.wave, context.destination ? context.destination() : "",
                                source->channels, total, source->sampleRate);
    if (!destination->IsOpen())
        return 0;
    source->SeekData(selStart);
    auto buffer = std::make_unique<SampleBuffer>();
    std::uint32_t left = total;
    std::uint32_t done = 0;
    while (left > 0) {
        const std::uint32_t count = std::min(left, kBlockValues / 2);
        source->ReadBlock(buffer->data(), static_cast<int>(count));
        writeValues(context, *destination, buffer->data(), count);
        left -= count;
        done += count;
        context.progress.setProgress(static_cast<int>(100ULL * done / total));
    }
    return finishJob(context, *source, *destination) == JobOutcome::Completed ? 1 : 0;
}

} // namespace sonarium
