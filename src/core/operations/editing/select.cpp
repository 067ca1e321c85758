// Select: the selection of the active waveform window from two typed positions; printed as
// "START LENGTH" in frames.
#include "operations/editing/edit_job.h"
#include "operations/editing/position_fields.h"

namespace sonarium {

namespace {

Kernel prepareSelect(const Parameters& p) {
    return FilesKernel{[positions = Positions::of(p)](JobFiles& files) {
        // Only the format is needed: the Source is not read.
        const EditFormat format = EditFormat::of(files.source());
        files.closeSource();
        // Whole frames, as the mouse selects.
        const std::uint32_t start = format.toFrame(SecondsToOffset(positions.start, format));
        std::uint32_t end = format.toFrame(endOffset(positions.end, format));
        if (start == end) {
            files.reporter().report("No data selected,\nStart and End position must be different.",
                                    MessageIcon::Warning);
            return JobOutcome::EndedWithMessage;
        }
        if (end < start)
            end = start; // an empty selection at the start
        files.context().report = std::to_string(start / format.frameBytes()) + " " +
                                 std::to_string((end - start) / format.frameBytes()) + "\n";
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& selectOperation() {
    static const OperationDecl decl{
        .name = "select",
        .caption = "Select 1.0",
        .dialogClass = "CSelectDialog",
        .helpCode = "TOOSEL_1.0",
        .commandId = 33061,
        .output = OutputKind::TextReport,
        .helpItem = 1324,
        .fields = {startField(1002), endField(1003)},
        .notes = SONARIUM_POSITION_NOTES
        " Both ends are rounded down to whole frames (channels x 2 bytes); an end before the "
        "start gives an empty selection at the start. Prints the first frame and the number of "
        "frames selected.",
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = prepareSelect,
    };
    return decl;
}

} // namespace sonarium
