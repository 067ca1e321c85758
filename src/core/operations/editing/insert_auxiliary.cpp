// Insert Auxiliary: the whole Aux file put into the current file at a typed position.
#include "operations/editing/insert_file.h"
#include "operations/editing/position_fields.h"
#include "operations/interactions/interaction_job.h"

namespace sonarium {

namespace {

JobOutcome runInsertAuxiliary(JobContext& context, const Parameters& p) {
    if (auxIsSource(context.input)) {
        context.reporter().report(kInvalidAuxText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    return InsertFile(context, context.input.aux, p.text("start"));
}

} // namespace

const OperationDecl& insertAuxiliaryOperation() {
    static const OperationDecl decl{
        .name = "insert-auxiliary",
        .caption = "Insert Auxiliary 1.0",
        .dialogClass = "CInsertAuxiliaryDialog",
        .helpCode = "TOOIAU_1.0",
        .completion = "Insert auxiliary - done",
        .commandId = 33064,
        .input = InputKind::Two,
        .helpItem = 1335,
        .fields = {insertStartField(1337)},
        .notes = SONARIUM_POSITION_NOTES SONARIUM_INSERT_NOTES
        " The Aux must be another file than the Source.",
        .legacyRun = runInsertAuxiliary,
    };
    return decl;
}

} // namespace sonarium
