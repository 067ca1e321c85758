// Selection Position: the selection's start and end in seconds.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

JobOutcome reportSelectionPosition(JobFiles& files) {
    // Only the format is needed: the Source is not read.
    const EditFormat format = EditFormat::of(files.source());
    files.closeSource();
    JobContext& context = files.context();
    const ByteSpan span = selectionBytes(context.input.selection, format);
    context.report =
        offsetToSeconds(span.start, format) + " " + offsetToSeconds(span.end(), format) + "\n";
    return JobOutcome::Completed;
}

} // namespace

const OperationDecl& selectionPositionOperation() {
    static const OperationDecl decl{
        .name = "selection-position",
        .caption = "Selection Position 1.0",
        .dialogClass = "CSelectionPositionDialog",
        .helpCode = "TOOVSP_1.0",
        .commandId = 33077,
        .input = InputKind::OneWithSelection,
        .output = OutputKind::TextReport,
        .helpItem = 1360,
        .fields =
            {
                {.item = 1361,
                 .label = "Starting at :",
                 .type = FieldType::Text,
                 .unit = "s",
                 .enabled = false},
                {.item = 1362,
                 .label = "Ending at :",
                 .type = FieldType::Text,
                 .unit = "s",
                 .enabled = false},
            },
        .notes = "Prints the selection's start and end in seconds (bytes / rate / channels / "
                 "bytes per value, in single precision, with 3 decimals).",
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = [](const Parameters&) -> Kernel { return FilesKernel{reportSelectionPosition}; },
    };
    return decl;
}

} // namespace sonarium
