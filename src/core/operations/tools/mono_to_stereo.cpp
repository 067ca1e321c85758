// Mono to stereo: each value of a mono file becomes a frame with that value on both channels.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

namespace sonarium {

namespace {

Kernel prepareMonoToStereo(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        // The source's byte count: twice its values.
        const std::uint32_t total = files.source().dataSize;
        sonIO* destination = files.create({.channels = 2}, total);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        auto in = std::make_unique<PartnerBlock>();
        runToolBlocks(files.context(), *destination, total, kToolWriteErrorText,
                      [&](std::int16_t* out, std::uint32_t count) {
                          in->read(files.context(), files.source(), count / 2);
                          for (std::uint32_t i = 0; i < count; ++i)
                              out[i] = (*in)[i / 2];
                      });
        return JobOutcome::Completed;
    }};
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
        .notes =
            "A stereo file (at the Source's rate) whose left and right channels both hold the mono "
            "Source's values. The Source must be mono.",
        .sources = {.channels = 1, .channelsText = kNotMonoText},
        .prepare = prepareMonoToStereo,
    };
    return decl;
}

} // namespace sonarium
