// Mute Selection: silence over the selection, the file keeping its length.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

const OperationDecl& muteSelectionOperation() {
    static const OperationDecl decl{
        .name = "mute-selection",
        .caption = "Mute Selection 1.0",
        .dialogClass = "CMuteSelectionDialog",
        .completion = "Mute Selection - done",
        .commandId = 33066,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "8-bit files are muted with their silent middle value.",
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare =
            [](const Parameters&) {
                return selectionEdit([](EditJob& job, ByteSpan s) { job.writeSilence(s.length); });
            },
    };
    return decl;
}

} // namespace sonarium
