// The 8-bit export converts each block in place, value i becoming byte i, and writes every byte
// of it, odd counts included.
#include "operations/exchange/eight_bit_export.h"

#include "operations/exchange/exchange_job.h"

namespace sonarium {

namespace {

void narrowToEightBit(std::int16_t* values, std::uint32_t count) {
    auto* bytes = reinterpret_cast<unsigned char*>(values);
    for (std::uint32_t i = 0; i < count; ++i)
        bytes[i] = eightBitOfValue(values[i]);
}

} // namespace

JobOutcome exportEightBit(JobContext& context) {
    if (!claimDestination(context))
        return JobOutcome::EndedWithMessage;
    auto source = openJobSource(context, context.input.source);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const std::uint32_t total = valueCount(*source);
    auto destination = createJobDestination(
        context, {.channels = source->channels, .rate = source->sampleRate, .bits = 8}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const BlockSplit split = BlockSplit::of(total);
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        readValues(context, *source, buffer->data(), count);
        if (context.stopped())
            break;
        narrowToEightBit(buffer->data(), count);
        context.progress.setProgress(split.progress(j));
        writeBytes(context, *destination, buffer->data(), count);
    }
    return finishJob(context, *source, *destination);
}

} // namespace sonarium
