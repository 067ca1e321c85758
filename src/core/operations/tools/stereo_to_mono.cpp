// Stereo to mono: the two values of each frame averaged into one, truncated toward zero.
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
        const BlockSplit split = toolSplit(total);
        auto block = std::make_unique<SampleBuffer>();
        for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
            const std::uint32_t count = split.count(j);
            readValues(context, source, block->data(), count);
            if (context.stopped())
                break;
            // L / 2 + R / 2 in double is exactly (L + R) / 2, which integer division truncates
            // toward zero as the conversion back to 16 bits does. A value left alone at the end
            // of an odd-sized file has no frame and is dropped.
            std::int16_t* values = block->data();
            for (std::uint32_t k = 0; k < count / 2; ++k)
                values[k] = static_cast<std::int16_t>((values[2 * k] + values[2 * k + 1]) / 2);
            context.progress.setProgress(split.progress(j));
            writeValues(context, *destination, values, count / 2, MessageIcon::Warning);
        }
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
