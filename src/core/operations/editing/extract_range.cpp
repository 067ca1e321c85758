// The extraction of a stretch of the source's data.
#include "operations/editing/extract_range.h"

#include <algorithm>

namespace sonarium {

namespace {

JobOutcome copyRange(JobContext& context, std::unique_ptr<sonIO> source, std::uint32_t selStart,
                     std::uint32_t selEnd) {
    const std::uint32_t size = source->dataSize;
    selStart = std::min(selStart, size) & ~1U;
    selEnd = std::min(selEnd, size) & ~1U;
    if (selEnd <= selStart) {
        selStart = 0;
        selEnd = size & ~1U;
    }
    const std::uint32_t total = (selEnd - selStart) / 2;
    auto destination = createJobDestination(
        context, {.channels = source->channels, .rate = source->sampleRate}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    source->SeekData(selStart);
    auto buffer = std::make_unique<SampleBuffer>();
    std::uint32_t left = total;
    std::uint32_t done = 0;
    while (left > 0 && continueJob(context)) {
        const std::uint32_t count = std::min(left, kBlockValues / 2);
        readValues(context, *source, buffer->data(), count);
        writeValues(context, *destination, buffer->data(), count);
        left -= count;
        done += count;
        context.progress.setProgress(static_cast<int>(100ULL * done / total));
    }
    return finishJob(context, *source, *destination);
}

// A frame position as a byte offset of the data, held at the largest offset a wave file has.
std::uint32_t frameOffset(std::uint64_t frames, int channels) {
    const std::uint64_t bytes = frames * 2 * static_cast<std::uint64_t>(std::max(channels, 1));
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, UINT32_MAX));
}

} // namespace

// The offsets count 16-bit values and the result's header declares 16 bits, so only 16-bit
// sources are taken: another depth would come out as noise under a 16-bit header.
JobOutcome extractRange(JobContext& context, std::uint32_t selStart, std::uint32_t selEnd) {
    auto source = openJobSource(context, context.input.source);
    if (!source)
        return JobOutcome::EndedWithMessage;
    return copyRange(context, std::move(source), selStart, selEnd);
}

JobOutcome extractSelection(JobContext& context) {
    auto source = openJobSource(context, context.input.source);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const FrameSpan& span = context.input.selection;
    const std::uint32_t start = frameOffset(span.first, source->channels);
    const std::uint32_t end =
        span.count == FrameSpan::kToEnd
            ? UINT32_MAX
            : frameOffset(std::uint64_t{span.first} + span.count, source->channels);
    return copyRange(context, std::move(source), start, end);
}

} // namespace sonarium
