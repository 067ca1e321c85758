// Remove Selection / Cut: takes the selection out of the file.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

JobOutcome runRemoveSelection(JobContext& context, const Parameters&) {
    auto source = openEditSource(context, EditSamples::Bytes);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const std::uint32_t size = source->dataSize;
    const ByteSpan span = selectionBytes(context.input.selection, EditFormat::of(*source));
    if (span.length == size) {
        // A file with no data is no result.
        context.reporter().report(kNothingToOutputText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    EditJob job(context, std::move(source), size - span.length);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (span.start != 0)
        job.CopySpan(span.start);
    job.seek(span.end());
    if (span.start != size)
        job.CopySpan(size - span.end());
    return job.finish();
}

} // namespace

const OperationDecl& removeSelectionOperation() {
    static const OperationDecl decl{
        .name = "remove-selection",
        .caption = "Remove Selection / Cut 1.0",
        .dialogClass = "CRemoveSelectionDialog",
        .completion = "Remove selection - done",
        .commandId = 57635,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "Nothing is written when the whole file is selected.",
        .legacyRun = runRemoveSelection,
    };
    return decl;
}

} // namespace sonarium
