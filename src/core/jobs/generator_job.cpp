// The generator job shared by the syntheses.
#include "jobs/generator_job.h"

namespace sonarium {

std::uint32_t valuesForDuration(double seconds) {
    const double product = seconds * 44100.0;
    if (!(product >= 1.0))
        return 0;
    if (product >= 4294967295.0)
        return 4294967295U;
    return static_cast<std::uint32_t>(product);
}

JobOutcome runGeneratorJob(JobContext& context, std::uint32_t total, ProgressTiming timing,
                           MessageIcon writeIcon, const BlockGenerator& generate) {
    if (total == 0) {
        context.reporter().report(kEmptyOutputText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }
    auto destination = createJobDestination(context, {.channels = 1}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const BlockSplit split = BlockSplit::of(total);
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        generate(buffer->data(), count, j * split.per);
        if (timing == ProgressTiming::BeforeWrite)
            context.progress.setProgress(split.progress(j));
        writeValues(context, *destination, buffer->data(), count, writeIcon);
        if (timing == ProgressTiming::AfterWrite && !context.stopped())
            context.progress.setProgress(split.progress(j));
    }
    return finishJob(context, *destination);
}

} // namespace sonarium
