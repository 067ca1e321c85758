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

// Writes the Source with `bytes` bytes put in at `start` by insert(job, bytes). The total is
// counted in 64 bits: a result past what a wave file can declare is refused by the writer
// before anything is created.
template <typename Insert>
JobOutcome insertInto(JobFiles& files, std::uint32_t start, std::uint64_t bytes, Insert&& insert) {
    const std::uint32_t size = files.source().dataSize;
    EditJob job(files, size + bytes);
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

JobOutcome InsertFile(JobFiles& files, std::string_view startText) {
    sonIO& main = files.source();
    sonIO* inserted = files.hasAux() ? &files.aux() : nullptr;
    // Whole values only, so that the header declares exactly what is written.
    const std::uint32_t bytes = (inserted != nullptr ? inserted->dataSize : main.dataSize) & ~1U;
    if (std::uint64_t{main.dataSize} + bytes < 2) {
        files.closeSource();
        files.closeAux();
        files.reporter().report(noSamplesMessage(files.context().input.source),
                                MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start = insertPosition(startText, EditFormat::of(main));
    if (inserted != nullptr) {
        return insertInto(files, start, bytes, [inserted](EditJob& job, std::uint32_t n) {
            job.copyFrom(*inserted, n);
        });
    }
    // The Source into itself: its whole data from the start, then back to where the copy stopped.
    return insertInto(files, start, bytes, [start](EditJob& job, std::uint32_t n) {
        job.seek(0);
        job.CopySpan(n);
        job.seek(start);
    });
}

JobOutcome insertSilence(JobFiles& files, std::string_view startText, std::string_view lengthText) {
    const EditFormat format = EditFormat::of(files.source());
    // A result too long for a wave file is refused by the writer before it is created.
    const std::uint64_t frames = typedLengthBytes(lengthText, format);
    if (frames == 0) {
        files.closeSource();
        files.reporter().report(kNothingToInsertText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint32_t start = insertPosition(startText, format);
    return insertInto(files, start, frames,
                      [](EditJob& job, std::uint32_t n) { job.writeSilence(n); });
}

} // namespace sonarium
