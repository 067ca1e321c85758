// Extract: the stretch between two typed positions into a new file of the source's format.
#include "operations/editing/edit_job.h"
#include "operations/editing/extract_range.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

Kernel prepareExtract(const Parameters& p) {
    return FilesKernel{[positions = Positions::of(p)](JobFiles& files) {
        const EditFormat format = EditFormat::of(files.source());
        const std::uint32_t start = SecondsToOffset(positions.start, format);
        std::uint32_t end = endOffset(positions.end, format);
        if (start == end) {
            files.reporter().report("No data selected", MessageIcon::Warning);
            return JobOutcome::EndedWithMessage;
        }
        if (end < start)
            end = start; // ExtractRange then says the selection is empty
        return ExtractRange(files, start, end);
    }};
}

} // namespace

const OperationDecl& extractOperation() {
    static const OperationDecl decl{
        .name = "extract",
        .caption = "Extract 1.0",
        .dialogClass = "CExtractDialog",
        .helpCode = "TOOEXT_1.0",
        .completion = "Extract - done",
        .commandId = 33057,
        .helpItem = 1324,
        .fields = {startField(1002), endField(1003)},
        .notes = SONARIUM_POSITION_NOTES
        " Both ends are rounded down to a multiple of 4 bytes; the result keeps the source's "
        "rate, channels and bits.",
        // Its own checks come first: a file with no data has nothing selected.
        .sources = {.access = SampleAccess::AnyFormat, .empty = EmptySource::Accept},
        .prepare = prepareExtract,
    };
    return decl;
}

} // namespace sonarium
