// Remove: takes out the stretch between two typed positions.
#include "operations/editing/edit_job.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

JobOutcome removeBetween(JobFiles& files, const Positions& positions) {
    const EditFormat format = EditFormat::of(files.source());
    const std::uint32_t size = format.dataSize;
    const std::uint32_t start4 = SecondsToOffset(positions.start, format) & ~3U;
    std::uint32_t end4 = endOffset(positions.end, format) & ~3U;
    // What would remain, counted wide enough not to wrap when the end is before the start.
    const std::uint64_t remaining = std::uint64_t{size} - end4 + start4;
    if ((start4 == 0 && end4 == size) || remaining < 100) {
        files.reporter().report(kNothingToOutputText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (end4 < start4)
        end4 = start4; // nothing is removed: the result is a copy
    EditJob job(files, size - (end4 - start4));
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (start4 != 0)
        job.CopySpan(start4);
    job.seek(end4);
    if (start4 != size)
        job.CopySpan(size - end4);
    return job.finish();
}

Kernel prepareRemove(const Parameters& p) {
    return FilesKernel{[positions = Positions::of(p)](JobFiles& files) {
        return removeBetween(files, positions);
    }};
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
        // Its own check comes first: a file with no data has nothing to output.
        .sources = {.access = SampleAccess::AnyFormat, .empty = EmptySource::Accept},
        .prepare = prepareRemove,
    };
    return decl;
}

} // namespace sonarium
