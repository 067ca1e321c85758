// Extract Selection / Crop: the selection of the active waveform window into a new file, without
// a dialog.
#include "operations/editing/extract_range.h"
#include "operations/operation.h"

namespace sonarium {

const OperationDecl& cropOperation() {
    static const OperationDecl decl{
        .name = "crop",
        .caption = "Extract Selection / Crop",
        .commandId = 33058,
        .input = InputKind::OneWithSelection,
        .notes = "Both ends of the selection are rounded down to a multiple of 4 bytes; an empty "
                 "selection is refused. The result keeps the source's rate, channels and bits.",
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = [](const Parameters&) -> Kernel { return FilesKernel{extractSelection}; },
    };
    return decl;
}

} // namespace sonarium
