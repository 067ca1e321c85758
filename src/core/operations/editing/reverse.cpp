// Reverse: the selection's values in reverse order, one by one (the channels of a stereo
// selection change places too).
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

const OperationDecl& reverseOperation() {
    static const OperationDecl decl{
        .name = "reverse",
        .caption = "Reverse 1.0",
        .dialogClass = "CReverseDialog",
        .completion = "Reverse Selection - done",
        .commandId = 33050,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "Values are reversed one by one, without regard to channels: in a stereo "
                 "selection the left and right channels change places.",
        .prepare =
            [](const Parameters&) {
                return selectionEdit(
                    [](EditJob& job, ByteSpan s) { job.reverseSpan(s.start, s.length); });
            },
    };
    return decl;
}

} // namespace sonarium
