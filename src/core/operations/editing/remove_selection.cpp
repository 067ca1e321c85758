// Remove Selection / Cut: takes the selection out of the file.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

JobOutcome removeSelection(JobFiles& files) {
    const std::uint32_t size = files.source().dataSize;
    const ByteSpan span =
        selectionBytes(files.context().input.selection, EditFormat::of(files.source()));
    if (span.length == size) {
        // A file with no data is no result.
        files.reporter().report(kNothingToOutputText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    EditJob job(files, size - span.length);
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
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = [](const Parameters&) -> Kernel { return FilesKernel{removeSelection}; },
    };
    return decl;
}

} // namespace sonarium
