// Invert / Flip: every value of the selection v becomes -v - 1, the bitwise complement (32767
// and -32768 trade places, 0 becomes -1).
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

void InvertBlock(std::int16_t* values, std::uint32_t count, std::uint32_t) {
    for (std::uint32_t i = 0; i < count; ++i)
        values[i] = static_cast<std::int16_t>(~values[i]);
}

} // namespace

const OperationDecl& invertOperation() {
    static const OperationDecl decl{
        .name = "invert",
        .caption = "Invert / Flip",
        .dialogClass = "CInvertDialog",
        .completion = "Reverse Selection - done",
        .commandId = 33070,
        .input = InputKind::OneWithSelection,
        .progressOnly = true,
        .notes = "Each value v of the selection becomes -v - 1: 0 gives -1, 32767 gives -32768 and "
                 "-32768 gives 32767.",
        .prepare =
            [](const Parameters&) {
                return selectionEdit(
                    [](EditJob& job, ByteSpan s) { job.transformSpan(s.length, InvertBlock); });
            },
    };
    return decl;
}

} // namespace sonarium
