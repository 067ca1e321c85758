// Remove: takes out the stretch between two typed positions.
#include "operations/editing/edit_job.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

JobOutcome runRemove(JobContext& context, const Parameters& p) {
    // Its own check comes first: a file with no data has nothing to output.
    auto source = openEditSource(context, EditSamples::Bytes, false);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const EditFormat format = EditFormat::of(*source);
    const std::uint32_t size = format.dataSize;
    const std::uint32_t start4 = SecondsToOffset(p.text("start"), format) & ~3U;
    std::uint32_t end4 = endOffset(p.text("end"), format) & ~3U;
    // What would remain, counted wide enough not to wrap when the end is before the start.
    const std::uint64_t remaining = std::uint64_t{size} - end4 + start4;
    if ((start4 == 0 && end4 == size) || remaining < 100) {
        context.reporter().report(kNothingToOutputText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (end4 < start4)
        end4 = start4; // nothing is removed: the result is a copy
    EditJob job(context, std::move(source), size - (end4 - start4));
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (start4 != 0)
        job.CopySpan(start4);
    job.seek(end4);
    if (start4 != size)
        job.CopySpan(size - end4);
    return job.finish();
}

} // namespace

const OperationDecl& removeOperation() {
    static const OperationDecl decl{
        .name = "remove",
        .caption = "Remove 1.0",
        .dialogClass = "CRemoveDialog",
        .helpCode = "TOOREM_1.0",
        .completion = "Remove - done",
        .commandId = 33068,
        .helpItem = 1338,
        .fields = {startField(1340), endField(1339)},
        .notes = SONARIUM_POSITION_NOTES
        " Both ends are rounded down to a multiple of 4 bytes. Nothing is written when the "
        "whole file, or all but fewer than 100 bytes, would go; an end before the start removes "
        "nothing (the result is a copy).",
        .legacyRun = runRemove,
    };
    return decl;
}

} // namespace sonarium
