// Normalize: a first pass finds the peak, a second scales every value so that the peak reaches
// the chosen share of full scale.
#include "jobs/sample_math.h"
#include "operations/effects/level_effects.h"

#include <algorithm>
#include <cstdlib>

namespace sonarium {

namespace {

JobOutcome runNormalize(JobContext& context, const JobPaths& paths, const Parameters& p) {
    const double level = p.number("maxOutput") / 100.0;
    JobOutcome outcome;
    auto job = startSameLengthJob(context, paths.source, false, outcome);
    if (!job)
        return outcome;
    auto& source = job->source;
    auto& destination = job->destination;
    const std::uint32_t total = job->total;
    const BlockSplit split = job->split;
    auto buffer = std::make_unique<SampleBuffer>();

    // Pass 1: the peak; once it is full scale nothing more can raise it.
    int peak = 0;
    for (std::uint32_t j = 0; j <= split.n; ++j) {
        if (peak < 32768) {
            const std::uint32_t count = split.count(j);
            source->ReadBlock(buffer->data(), static_cast<int>(count));
            for (std::uint32_t i = 0; i < count; ++i)
                peak = std::max(peak, std::abs(static_cast<int>((*buffer)[i])));
        }
        context.progress.setProgress(split.progress(j, 33));
    }
    source->CloseRead();
    const double factor = peak != 0 ? (32768.0 / peak) * level : level;

    // Pass 2, on the source opened again.
    source = reopenJobSource(context, paths.source, total);
    if (!source) {
        // The destination keeps an honest header, its values silent; it is not opened.
        destination->FinishWrite();
        return JobOutcome::EndedWithMessage;
    }
    for (std::uint32_t j = 0; j <= split.n; ++j) {
        const std::uint32_t count = split.count(j);
        source->ReadBlock(buffer->data(), static_cast<int>(count));
        scaleAndClip(buffer->data(), count, factor);
        context.progress.setProgress(split.progress(j, 66, 34));
        if (destination->WriteBlock(buffer->data(), static_cast<int>(count)) == 0) {
            ++context.writeFailures;
            context.reporter().report(kWriteErrorText, MessageIcon::Error);
        }
    }
    return finishJob(context, *source, *destination);
}

} // namespace

const OperationDecl& normalizeOperation() {
    static const OperationDecl decl{
        .name = "normalize",
        .caption = "Normalize 1.0",
        .dialogClass = "CNormalizeDialog",
        .helpCode = "EFFNOR_1.0",
        .completion = "Normalize eff - done",
        .commandId = 33046,
        .sources = SourceKind::One,
        .animation = false,
        .helpItem = 1292,
        .fields =
            {
                {.item = 1294,
                 .label = "&Max Output (0.01,100) :",
                 .member = "maxOutput",
                 .type = FieldType::Double,
                 .defaultValue = 100,
                 .minimum = 0.01,
                 .maximum = 100,
                 .unit = "%"},
                {.item = 1293,
                 .label = "&Separate L/R",
                 .type = FieldType::CheckBox,
                 .enabled = false},
                {.item = 1295, .label = "&Boost", .type = FieldType::CheckBox, .enabled = false},
            },
        .run = runNormalize,
    };
    return decl;
}

} // namespace sonarium
