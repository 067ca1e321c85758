// Fade In and Fade Out of the Edit menu: a fade over the selection, the rest copied unchanged.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

// A fade in (the gain rising) or out over the selection.
Kernel fadeSelection(bool in) {
    return selectionEdit([in](EditJob& job, ByteSpan s) { job.fadeSpan(s.length, in); });
}

} // namespace

const OperationDecl& fadeInOperation() {
    static const OperationDecl decl{
        .name = "fade-in",
        .caption = "Fade Selection 1.0",
        .dialogClass = "CFadeSelectionDialog",
        .completion = "Reverse Selection - done",
        .commandId = 33075,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "The gain ramps linearly from 0 at the start of the selection to full level at "
                 "its end.",
        .prepare = [](const Parameters&) { return fadeSelection(true); },
    };
    return decl;
}

const OperationDecl& fadeOutOperation() {
    static const OperationDecl decl{
        .name = "fade-out",
        .caption = "Fade Selection 1.0",
        .dialogClass = "CFadeSelectionDialog",
        .completion = "Reverse Selection - done",
        .commandId = 33076,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "The gain ramps linearly from full level at the start of the selection to 0 at "
                 "its end.",
        .prepare = [](const Parameters&) { return fadeSelection(false); },
    };
    return decl;
}

} // namespace sonarium
