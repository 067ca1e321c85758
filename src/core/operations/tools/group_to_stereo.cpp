// Group to stereo: two mono files become the left and right channels of one stereo file.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

#include <algorithm>

namespace sonarium {

namespace {

Kernel prepareGroupToStereo(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        sonIO& source = files.source();
        sonIO& aux = files.aux();
        if (source.channels != 1 || aux.channels != 1) {
            context.reporter().report(kNotBothMonoText, MessageIcon::Warning);
            return JobOutcome::EndedWithMessage;
        }
        // The longer file's byte count is the result's value count: one frame per mono value.
        const std::uint32_t total = std::max(source.dataSize, aux.dataSize);
        if (nothingToWrite(context, total, source.Path()))
            return JobOutcome::EndedWithMessage;
        sonIO* destination = files.create({.channels = 2}, total);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        auto left = std::make_unique<PartnerBlock>();
        auto right = std::make_unique<PartnerBlock>();
        runToolBlocks(context, *destination, total, kToolWriteErrorText,
                      [&](std::int16_t* out, std::uint32_t count) {
                          left->read(context, source, count / 2);
                          right->read(context, aux, count / 2);
                          for (std::uint32_t k = 0; k < count / 2; ++k) {
                              out[2 * k] = (*left)[k];
                              out[2 * k + 1] = (*right)[k];
                          }
                          if (count % 2 != 0) // a frame cut by the end: its left value is unread
                              out[count - 1] = (*left)[count / 2];
                      });
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& groupToStereoOperation() {
    static const OperationDecl decl{
        .name = "group-to-stereo",
        .caption = "Group to stereo",
        .dialogClass = "CGroupToStereoDialog",
        .completion = "Group to stereo - done",
        .commandId = 32943,
        .input = InputKind::Two,
        .channels = OutputChannels::Stereo,
        .progressOnly = true,
        .notes = "The Source becomes the left channel and the Aux the right channel of a stereo "
                 "file (at the Source's rate) with one frame for each value of the longer file; "
                 "the shorter "
                 "channel ends in silence. Both files must be mono and be two different files.",
        // Either file may be empty: the other may still have values.
        .sources = {.empty = EmptySource::Accept, .auxEmpty = EmptySource::Accept},
        .prepare = prepareGroupToStereo,
    };
    return decl;
}

} // namespace sonarium
