// Insert Clipboard: the wave file found on the clipboard put into the current file at a typed
// position. The editor copies the clipboard to its exchange file first and hands the job that
// file as the second one; the command line, which has no clipboard, has no such command.
#include "operations/editing/insert_file.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

Kernel prepareInsertClipboard(const Parameters& p) {
    return FilesKernel{
        [start = p.text("start")](JobFiles& files) { return InsertFile(files, start); }};
}

} // namespace

const OperationDecl& insertClipboardOperation() {
    static const OperationDecl decl{
        .name = "insert-clipboard",
        .caption = "Insert Clipboard 1.0",
        .dialogClass = "CInsertClipboardDialog",
        .helpCode = "TOOICL_1.0",
        .completion = "Insert clipboard - done",
        .commandId = 33063,
        .input = InputKind::Two,
        .editorOnly = true,
        .helpItem = 1334,
        .fields = {insertStartField(1336)},
        .notes = SONARIUM_POSITION_NOTES SONARIUM_INSERT_NOTES
        " The editor inserts the wave file on the clipboard (audio/vnd.wave, audio/wav or "
        "audio/x-wav), copied first to sonariumClipboardCopy.wav in the temporary folder; when "
        "the clipboard holds none, OK says so and writes nothing. It exists in the editor only.",
        // No file: the clipboard held no wave data (never the copy an earlier exchange left).
        // The exchange file naming the Source itself inserts the Source into itself.
        .sources = {.access = SampleAccess::AnyFormat,
                    .empty = EmptySource::Accept,
                    .aux = AuxRule::SourceAlone,
                    .noAuxText = kNoClipboardWaveText,
                    .auxAccess = SampleAccess::AnyFormat,
                    .auxEmpty = EmptySource::Accept},
        .prepare = prepareInsertClipboard,
    };
    return decl;
}

} // namespace sonarium
