// The insert jobs: the main file up to the position, the inserted data, the rest of the main file.
#include "operations/editing/insert_file.h"

#include "operations/editing/edit_job.h"
#include "operations/editing/edit_positions.h"

namespace sonarium {

std::uint32_t insertPosition(std::string_view text, const EditFormat& format) {
    if (text.empty())
        return format.dataSize;
    return format.toFrame(SecondsToOffset(text, format));
}

namespace {

// Writes the main file with `bytes` bytes put in at `start` by insert(job, bytes). The total is
// counted in 64 bits: a result past what a wave file can declare is refused by the writer
// before anything is created.
template <typename Insert>
JobOutcome insertInto(JobContext& context, std::unique_ptr<sonIO> main, std::uint32_t start,
                      std::uint64_t bytes, Insert&& insert) {
    const std::uint32_t size = main->dataSize;
    EditJob job(context, std::move(main), size + bytes);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (start != 0)
        job.CopySpan(start);
    insert(job, static_cast<std::uint32_t>(bytes)); // it fits: the result was accepted
    if (start != size)
        job.CopySpan(size - start);
    return job.finish();
}

} // namespace

JobOutcome InsertFile(JobContext& context, const std::string& insertPath,
                      std::string_view startText) {
    auto main = openEditSource(context, EditSamples::Bytes, false);
    if (!main)
        return JobOutcome::EndedWithMessage;
    auto inserted =
        openJobSource(context, insertPath, SampleAccess::AnyFormat, EmptySource::Accept);
    if (!inserted) {
        main->CloseRead();
        return JobOutcome::EndedWithMessage;
    }
    // Whole values only, so that the header declares exactly what is written.
    const std::uint32_t bytes = inserted->dataSize & ~1U;
    if (std::uint64_t{main->dataSize} + bytes < 2) {
        main->CloseRead();
        inserted->CloseRead();
        context.reporter().report(noSamplesMessage(context.input.source), MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start = insertPosition(startText, EditFormat::of(*main));
    const JobOutcome outcome =
        insertInto(context, std::move(main), start, bytes,
                   [&](EditJob& job, std::uint32_t n) { job.copyFrom(*inserted, n); });
    inserted->CloseRead();
    return outcome;
}

JobOutcome insertSilence(JobContext& context, std::string_view startText,
                         std::string_view lengthText) {
    auto main = openEditSource(context, EditSamples::Bytes, false);
    if (!main)
        return JobOutcome::EndedWithMessage;
    const EditFormat format = EditFormat::of(*main);
    // A result too long for a wave file is refused by the writer before it is created.
    const std::uint64_t frames = typedLengthBytes(lengthText, format);
    if (frames == 0) {
        main->CloseRead();
        context.reporter().report(kNothingToInsertText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start = insertPosition(startText, format);
    return insertInto(context, std::move(main), start, frames,
                      [](EditJob& job, std::uint32_t n) { job.writeSilence(n); });
}

} // namespace sonarium
