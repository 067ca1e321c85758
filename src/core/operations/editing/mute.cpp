// Mute: silence between two typed positions, the file keeping its length.
#include "operations/editing/edit_job.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

JobOutcome runMute(JobContext& context, const Parameters& p) {
    auto source = openEditSource(context, EditSamples::Bytes);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const EditFormat format = EditFormat::of(*source);
    // Whole frames, so that the values after the stretch keep their places.
    const std::uint32_t start = format.toFrame(SecondsToOffset(p.text("start"), format));
    const std::uint32_t end = format.toFrame(endOffset(p.text("end"), format));
    const ByteSpan span{start, end > start ? end - start : 0};
    return editStretch(context, std::move(source), span,
                       [](EditJob& job, ByteSpan s) { job.writeSilence(s.length); });
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
        .legacyRun = runMute,
    };
    return decl;
}

} // namespace sonarium
