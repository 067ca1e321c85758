// Mute: silence between two typed positions, the file keeping its length.
#include "operations/editing/edit_job.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

Kernel prepareMute(const Parameters& p) {
    return FilesKernel{[positions = Positions::of(p)](JobFiles& files) {
        const EditFormat format = EditFormat::of(files.source());
        // Whole frames, so that the values after the stretch keep their places.
        const std::uint32_t start = format.toFrame(SecondsToOffset(positions.start, format));
        const std::uint32_t end = format.toFrame(endOffset(positions.end, format));
        const ByteSpan span{start, end > start ? end - start : 0};
        return editStretch(files, span,
                           [](EditJob& job, ByteSpan s) { job.writeSilence(s.length); });
    }};
}

} // namespace

const OperationDecl& muteOperation() {
    static const OperationDecl decl{
        .name = "mute",
        .caption = "Mute 1.0",
        .dialogClass = "CMuteDialog",
        .helpCode = "TOOMUT_1.0",
        .completion = "Remove - done",
        .commandId = 33065,
        .helpItem = 1341,
        .fields = {startField(1343), endField(1342)},
        .notes = SONARIUM_POSITION_NOTES
        " Both ends are rounded down to whole frames; an end before the start mutes nothing. "
        "8-bit files are muted with their silent middle value.",
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = prepareMute,
    };
    return decl;
}

} // namespace sonarium
