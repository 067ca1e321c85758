// Mix: the Source and the Aux averaged value by value (a mono file beside a stereo one counts
// once for both values of the frame), truncated toward zero.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

#include <algorithm>

namespace sonarium {

namespace {

// trunc((x + y) / 2): the sum is exact in double, and integer division truncates toward zero as
// the conversion back to 16 bits does.
inline std::int16_t average(std::int16_t x, std::int16_t y) {
    return static_cast<std::int16_t>((x + y) / 2);
}

Kernel prepareMix(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        sonIO& source = files.source();
        sonIO& aux = files.aux();
        const bool sourceMono = source.channels == 1;
        const bool auxMono = aux.channels == 1;
        // Values, not frames: beside a stereo file, mono values past the result's length go
        // unused.
        const std::uint32_t total = std::max(valueCount(source), valueCount(aux));
        if (nothingToWrite(context, total, source.Path()))
            return JobOutcome::EndedWithMessage;
        sonIO* destination = files.create({.channels = sourceMono && auxMono ? 1 : 2}, total);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        auto s = std::make_unique<PartnerBlock>();
        auto a = std::make_unique<PartnerBlock>();
        runToolBlocks(context, *destination, total, kToolWriteErrorText,
                      [&](std::int16_t* out, std::uint32_t count) {
                          const bool mixed = sourceMono != auxMono;
                          s->read(context, source, mixed && sourceMono ? count / 2 : count);
                          a->read(context, aux, mixed && auxMono ? count / 2 : count);
                          if (!mixed) {
                              for (std::uint32_t i = 0; i < count; ++i)
                                  out[i] = average((*s)[i], (*a)[i]);
                          } else if (auxMono) {
                              for (std::uint32_t i = 0; i < count; ++i)
                                  out[i] = average((*s)[i], (*a)[i / 2]);
                          } else {
                              for (std::uint32_t i = 0; i < count; ++i)
                                  out[i] = average((*a)[i], (*s)[i / 2]);
                          }
                      });
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& mixOperation() {
    static const OperationDecl decl{
        .name = "mix",
        .caption = "Mix",
        .dialogClass = "CMixDialog",
        .completion = "Mix - done",
        .commandId = 32946,
        .input = InputKind::Two,
        .progressOnly = true,
        .notes = "The Source and the Aux averaged value by value, truncated toward zero, into a "
                 "file (at the Source's rate) as long as the longer file counted in values; the "
                 "shorter file "
                 "counts as silence past its end. Two mono files give a mono result, any other "
                 "pair a stereo one, a mono value then standing for both values of its frame. The "
                 "Aux must be another file than the Source.",
        // Either file may be empty: the other may still have values.
        .sources = {.empty = EmptySource::Accept, .auxEmpty = EmptySource::Accept},
        .prepare = prepareMix,
    };
    return decl;
}

} // namespace sonarium
