// The extraction of a stretch of the source's data.
#include "operations/editing/extract_range.h"

#include "operations/editing/edit_job.h"

namespace sonarium {

JobOutcome ExtractRange(JobContext& context, std::unique_ptr<sonIO> source, std::uint32_t start,
                        std::uint32_t end) {
    if (end <= start) {
        context.reporter().report(kSelectionEmptyText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start4 = start & ~3U;
    const std::uint32_t length = (end & ~3U) - start4;
    EditJob job(context, std::move(source), length);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    job.seek(start4);
    job.copyBlocks(length / 2);
    return job.finish();
}

JobOutcome extractSelection(JobContext& context) {
    auto source = openEditSource(context, EditSamples::Bytes);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const ByteSpan span = selectionBytes(context.input.selection, EditFormat::of(*source));
    return ExtractRange(context, std::move(source), span.start, span.end());
}

} // namespace sonarium
