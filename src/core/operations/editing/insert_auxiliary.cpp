// Insert Auxiliary: the whole Aux file put into the current file at a typed position.
#include "operations/editing/insert_file.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

Kernel prepareInsertAuxiliary(const Parameters& p) {
    return FilesKernel{
        [start = p.text("start")](JobFiles& files) { return InsertFile(files, start); }};
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
        .sources = {.access = SampleAccess::AnyFormat,
                    .empty = EmptySource::Accept,
                    .aux = AuxRule::Distinct,
                    .auxAccess = SampleAccess::AnyFormat,
                    .auxEmpty = EmptySource::Accept},
        .prepare = prepareInsertAuxiliary,
    };
    return decl;
}

} // namespace sonarium
