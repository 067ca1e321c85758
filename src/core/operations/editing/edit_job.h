// The frame of the selection edits: the job's Source and a result in the Source's own format, data
// moved in pieces of at most 32000 values through one 64000-value buffer (values copied as they
// are go from file to file inside the kernel where the system can), and the progress of the
// output handled so far.
#pragma once

#include "jobs/kernels.h"
#include "operations/editing/edit_positions.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace sonarium {

inline constexpr std::uint32_t kPieceValues = 32000;
inline constexpr std::uint32_t kPieceBytes = 2 * kPieceValues;
// Pieces copied as they are go from file to file in runs of this many (about 4 MB).
inline constexpr std::uint32_t kCopyRunPieces = 64;

inline constexpr const char* kNothingToOutputText =
    "Nothing to output,\nplease select a part of the file";

// The value a muted stretch holds: 0, or the middle code of unsigned 8-bit samples.
std::int16_t silenceValue(const sonIO& source);

// value i × g with g going from g0 (value 0) towards g1 (reached by the value after the last),
// in double precision, truncated toward zero. Gains stay within 0..1, so nothing is clipped.
void ApplyGainRamp(std::int16_t* values, std::uint32_t count, double g0, double g1);

class EditJob {
public:
    // Creates the result for outputBytes bytes in the Source's channel count, rate and bit depth.
    // valid() is false when the Source is of a format no edit takes or the result could not be
    // created (either reported).
    EditJob(JobFiles& files, std::uint64_t outputBytes);

    bool valid() const { return destination_ != nullptr; }

    // Copies n / 2 values from the source's position: n / 64000 pieces of 32000 values, then one
    // of (n / 2) mod 32000.
    void CopySpan(std::uint32_t bytes);
    // Writes silence over n bytes in the same pieces, reading nothing.
    void writeSilence(std::uint32_t bytes);
    // Copies n / 2 values from another reader's position in the same pieces (the inserts:
    // value for value, whatever that file's format). CopySpan and copyFrom copy runs of whole
    // pieces inside the kernel where the system can.
    void copyFrom(sonIO& other, std::uint32_t bytes);
    // Reads the next pieces over n bytes, changes piece k with change(values, count, k), and
    // writes it. A piece's new values depend only on its old ones and k, so the pieces are
    // changed on every core while the job's thread reads and writes.
    using PieceChange =
        std::function<void(std::int16_t* values, std::uint32_t count, std::uint32_t k)>;
    void transformSpan(std::uint32_t bytes, const PieceChange& change);
    // A fade over n bytes from the source's position: the gain rises from 0 to 1 (in) or falls
    // from 1 to 0 (out), each piece ramping to k × 64000 / n of the way after its k-th full piece.
    void fadeSpan(std::uint32_t bytes, bool in);
    // The source's [start, start + length) with its values in reverse order, read from its end in
    // 32000-value pieces, one seek each; the source is left at the end of the stretch.
    void reverseSpan(std::uint32_t start, std::uint32_t length);
    // Copies count values from the source's position in the blocks of the job skeleton's split
    // (at most 64000 values each), the progress following the blocks.
    void copyBlocks(std::uint32_t count);
    void seek(std::uint32_t offset) { source_->SeekData(offset); }

    // Sets the progress to 100 unless the job stopped; the framework then finishes the result
    // (or abandons it when the job stopped).
    JobOutcome finish();

private:
    template <typename Piece> void forEachPiece(std::uint32_t bytes, Piece&& piece) {
        const std::uint32_t full = bytes / kPieceBytes;
        for (std::uint32_t k = 0; k <= full && continueJob(context_); ++k) {
            const std::uint32_t count = k < full ? kPieceValues : (bytes / 2) % kPieceValues;
            if (count != 0)
                piece(count);
        }
    }
    void writePiece(std::uint32_t count);
    // Moves count values from a reader to the destination as they are: copied inside the kernel
    // where the system can, the rest (or all) through the buffer.
    void moveValues(sonIO& from, std::uint32_t count);
    // Counts count values of the output as handled and shows the progress.
    void advance(std::uint32_t count);
    void showProgress(int percent);

    JobContext& context_;
    sonIO* source_;
    sonIO* destination_ = nullptr;
    std::unique_ptr<SampleBuffer> buffer_ = std::make_unique<SampleBuffer>();
    std::uint64_t outputBytes_ = 0;
    std::uint64_t handled_ = 0; // bytes of the output handled so far
    int shown_ = -1;
};

// The edits that keep the file's length: the data before the stretch is copied, the stretch
// goes through stretch(job, span), and the data after it is copied; the result has the
// Source's size and format.
template <typename Stretch>
JobOutcome editStretch(JobFiles& files, ByteSpan span, Stretch&& stretch) {
    const std::uint32_t size = files.source().dataSize;
    EditJob job(files, size);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (span.start != 0)
        job.CopySpan(span.start);
    stretch(job, span);
    job.seek(span.end());
    if (span.start != size)
        job.CopySpan(size - span.end());
    return job.finish();
}

// The same over the input's selection: the kernel of the selection edits that keep the length.
template <typename Stretch> Kernel selectionEdit(Stretch stretch) {
    return FilesKernel{[stretch](JobFiles& files) {
        const ByteSpan span =
            selectionBytes(files.context().input.selection, EditFormat::of(files.source()));
        return editStretch(files, span, stretch);
    }};
}

} // namespace sonarium
