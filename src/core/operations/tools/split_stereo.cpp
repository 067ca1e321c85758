// Split stereo channels: a stereo file becomes two mono files, the left channel's first.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

namespace sonarium {

namespace {

Kernel prepareSplitStereo(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        sonIO& source = files.source();
        const std::uint32_t total = valueCount(source);
        // The left result asks for its name first, so it gets the lower temporary number; the
        // framework finishes the results in that order.
        sonIO* left = files.create({.channels = 1}, total / 2);
        if (left == nullptr)
            return JobOutcome::EndedWithMessage;
        sonIO* right = files.create({.channels = 1}, total / 2);
        if (right == nullptr)
            return JobOutcome::EndedWithMessage;
        const BlockSplit split = toolSplit(total);
        auto block = std::make_unique<SampleBuffer>();
        auto rightValues = std::make_unique<SampleBuffer>();
        for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
            const std::uint32_t count = split.count(j);
            readValues(context, source, block->data(), count);
            if (context.stopped())
                break;
            std::int16_t* values = block->data();
            for (std::uint32_t k = 0; k < count / 2; ++k) {
                (*rightValues)[k] = values[2 * k + 1];
                values[k] = values[2 * k];
            }
            context.progress.setProgress(split.progress(j));
            writeValues(context, *left, values, count / 2, MessageIcon::Warning);
            writeValues(context, *right, rightValues->data(), count / 2, MessageIcon::Warning);
        }
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& splitStereoOperation() {
    static const OperationDecl decl{
        .name = "split-stereo",
        .caption = "Split stereo channels",
        .dialogClass = "CSplitStereoDialog",
        .completion = "Stereo split - done",
        .commandId = 32940,
        .channels = OutputChannels::Mono,
        .resultNames = {"LEFT", "RIGHT"},
        .progressOnly = true,
        .notes =
            "Two mono files at the Source's rate: the first holds the left channel of the stereo "
            "Source, the second its right channel. The Source must be stereo.",
        .sources = {.channels = 2, .channelsText = kNotStereoText},
        .prepare = prepareSplitStereo,
    };
    return decl;
}

} // namespace sonarium
