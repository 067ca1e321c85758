// Normalize: a first pass finds the peak, a second scales every value so that the peak reaches
// the chosen share of full scale.
#include "jobs/block_pipeline.h"
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <algorithm>
#include <cstdlib>

namespace sonarium {

namespace {

Kernel prepareNormalize(const Parameters& p) {
    const double level = p.number("maxOutput") / 100.0; // share of full scale the peak reaches
    return FilesKernel{[level](JobFiles& files) {
        JobContext& context = files.context();
        const std::uint32_t total = valueCount(files.source());
        sonIO* destination = files.create({.channels = files.source().channels}, total);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        const BlockSplit split = BlockSplit::of(total);

        // Pass 1: the peak; once it is full scale nothing more can raise it.
        int peak = 0;
        readBlocks(context, files.source(), split, {.span = 33},
                   [&peak](const std::int16_t* block, std::uint32_t count) {
                       for (std::uint32_t i = 0; i < count; ++i)
                           peak = std::max(peak, std::abs(static_cast<int>(block[i])));
                       return peak < 32768;
                   });
        files.closeSource();
        if (context.stopped())
            return stoppedOutcome(context);
        const double factor = peak != 0 ? (32768.0 / peak) * level : level;

        // Pass 2, on the source opened again.
        if (!files.reopenSource(total))
            return JobOutcome::EndedWithMessage;
        // Scaling keeps no state: the blocks are scaled on every core.
        runBlockPass(
            context,
            {.source = &files.source(),
             .destination = destination,
             .split = split,
             .order = ComputeOrder::Parallel,
             .compute = [factor](std::int16_t* block, const std::int16_t*, std::uint32_t count,
                                 std::uint32_t) { scaleAndClip(block, count, factor); },
             .writeIcon = MessageIcon::Error,
             .span = {.span = 66, .base = 34}});
        return JobOutcome::Completed;
    }};
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
        .prepare = prepareNormalize,
    };
    return decl;
}

} // namespace sonarium
