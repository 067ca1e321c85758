// Insert Silence: a stretch of silence put into the current file at a typed position.
#include "operations/editing/insert_file.h"
#include "operations/editing/position_fields.h"

#include <string>

namespace sonarium {

namespace {

struct InsertSilenceSettings {
    std::string start;  // seconds, as typed; empty: the end of the data
    std::string length; // seconds, as typed
};

Kernel prepareInsertSilence(const Parameters& p) {
    return FilesKernel{
        [settings = InsertSilenceSettings{p.text("start"), p.text("length")}](JobFiles& files) {
            return insertSilence(files, settings.start, settings.length);
        }};
}

} // namespace

const OperationDecl& insertSilenceOperation() {
    static const OperationDecl decl{
        .name = "insert-silence",
        .caption = "Insert Silence 1.0",
        .dialogClass = "CInsertSilenceDialog",
        .helpCode = "TOOISI_1.0",
        .completion = "Insert silence - done",
        .commandId = 33062,
        .helpItem = 1331,
        .fields = {insertStartField(1333),
                   {.item = 1332,
                    .label = "Length :",
                    .member = "length",
                    .type = FieldType::Text,
                    .unit = "s",
                    .defaultChoice = "1.000"}},
        .notes = SONARIUM_POSITION_NOTES
        " --start left out, or the start field left at the duration it opens with, is the end of "
        "the data: the silence is appended. Another start is held inside the data and rounded "
        "down to a whole frame (channels x 2 bytes). The length is converted the same way but "
        "not held inside the data, and rounded down to whole frames; a length of no frame (0, "
        "negative, no number) gives \"Nothing to insert, length cannot be 0.\" and the dialog "
        "stays open. The result keeps the file's format; one that would pass the 4 GB a wave "
        "file can hold is refused before anything is written. 8-bit files get their silent "
        "middle value.",
        .sources = {.access = SampleAccess::AnyFormat, .empty = EmptySource::Accept},
        .prepare = prepareInsertSilence,
    };
    return decl;
}

} // namespace sonarium
