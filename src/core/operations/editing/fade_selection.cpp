// Fade In and Fade Out of the Edit menu: a fade over the selection, the rest copied unchanged.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

// mode 1 fades in, any other mode out.
JobOutcome runFadeSelection(JobContext& context, int mode) {
    return editSelection(context, EditSamples::Values,
                         [mode](EditJob& job, ByteSpan s) { job.fadeSpan(s.length, mode == 1); });
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
        .legacyRun = [](JobContext& context,
                        const Parameters&) { return runFadeSelection(context, 1); },
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
        .legacyRun = [](JobContext& context,
                        const Parameters&) { return runFadeSelection(context, 2); },
    };
    return decl;
}

} // namespace sonarium
