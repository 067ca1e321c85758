// Mono to stereo: each value of a mono file becomes a frame with that value on both channels.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

namespace sonarium {

namespace {

JobOutcome runMonoToStereo(JobContext& context, const Parameters&) {
    auto source = openToolSource(context, 1);
    if (!source)
        return JobOutcome::EndedWithMessage;
    // The source's byte count: twice its values.
    const std::uint32_t total = source->dataSize;
    auto destination = createJobDestination(context, {.channels = 2}, total);
    if (!destination) {
        source->CloseRead();
        return JobOutcome::EndedWithMessage;
    }
    auto in = std::make_unique<PartnerBlock>();
    runToolBlocks(context, *destination, total, kToolWriteErrorText,
                  [&](std::int16_t* out, std::uint32_t count) {
                      in->read(context, *source, count / 2);
                      for (std::uint32_t i = 0; i < count; ++i)
                          out[i] = (*in)[i / 2];
                  });
    return finishJob(context, *source, *destination);
}

} // namespace

const OperationDecl& monoToStereoOperation() {
    static const OperationDecl decl{
        .name = "mono-to-stereo",
        .caption = "Mono to stereo",
        .dialogClass = "CMonoToStereoDialog",
        .completion = "Mono to stereo - done",
        .commandId = 32939,
        .channels = OutputChannels::Stereo,
        .progressOnly = true,
        .notes = "A stereo file (44100 Hz) whose left and right channels both hold the mono "
                 "Source's values. The Source must be mono.",
        .run = runMonoToStereo,
    };
    return decl;
}

} // namespace sonarium
