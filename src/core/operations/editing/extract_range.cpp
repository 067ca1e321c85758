// The extraction of a stretch of the source's data.
#include "operations/editing/extract_range.h"

#include "operations/editing/edit_job.h"

namespace sonarium {

JobOutcome ExtractRange(JobFiles& files, std::uint32_t start, std::uint32_t end) {
    if (end <= start) {
        files.reporter().report(kSelectionEmptyText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start4 = start & ~3U;
    const std::uint32_t length = (end & ~3U) - start4;
    EditJob job(files, length);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    job.seek(start4);
    job.copyBlocks(length / 2);
    return job.finish();
}

JobOutcome ExtractRange(JobContext& context, std::unique_ptr<sonIO> source, std::uint32_t start,
                        std::uint32_t end) {
    JobFiles files(context);
    files.setSource(std::move(source));
    return files.finish(ExtractRange(files, start, end));
}

JobOutcome extractSelection(JobFiles& files) {
    const ByteSpan span =
        selectionBytes(files.context().input.selection, EditFormat::of(files.source()));
    return ExtractRange(files, span.start, span.end());
}

} // namespace sonarium
