// Stereo to mono: the two values of each frame averaged into one, truncated toward zero.
#include "jobs/block_pipeline.h"
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

namespace sonarium {

namespace {

Kernel prepareStereoToMono(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        sonIO& source = files.source();
        const std::uint32_t total = valueCount(source);
        sonIO* destination = files.create({.channels = 1}, total / 2);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        // A frame's average depends on the frame alone: blocks (of whole frames) are averaged on
        // every core, each into its own first half.
        runBlockPass(
            context,
            {.source = &source,
             .destination = destination,
             .split = toolSplit(total),
             .order = ComputeOrder::Parallel,
             .compute =
                 [](std::int16_t* values, const std::int16_t*, std::uint32_t count, std::uint32_t) {
                     for (std::uint32_t k = 0; k < count / 2; ++k)
                         values[k] =
                             static_cast<std::int16_t>((values[2 * k] + values[2 * k + 1]) / 2);
                 },
             .writeIcon = MessageIcon::Warning,
             .written = [](std::uint32_t count) { return count / 2; }});
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& stereoToMonoOperation() {
    static const OperationDecl decl{
        .name = "stereo-to-mono",
        .caption = "Stereo to mono",
        .dialogClass = "CStereoToMonoDialog",
        .completion = "Stereo to mono - done",
        .commandId = 32938,
        .channels = OutputChannels::Mono,
        .progressOnly = true,
        .notes = "A mono file (at the Source's rate) whose values are the averages of each frame's "
                 "left and "
                 "right values, truncated toward zero. The Source must be stereo.",
        .sources = {.channels = 2, .channelsText = kNotStereoText},
        .prepare = prepareStereoToMono,
    };
    return decl;
}

} // namespace sonarium
