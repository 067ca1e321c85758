// Moving data in pieces for the selection edits.
#include "operations/editing/edit_job.h"

#include "jobs/block_pipeline.h"

#include <algorithm>

namespace sonarium {

std::int16_t silenceValue(const sonIO& source) {
    return source.bitsPerSample == 8 ? static_cast<std::int16_t>(0x8080) : std::int16_t{0};
}

void ApplyGainRamp(std::int16_t* values, std::uint32_t count, double g0, double g1) {
    const double n = count;
    if (g0 < g1) {
        for (std::uint32_t i = 0; i < count; ++i)
            values[i] = static_cast<std::int16_t>(values[i] * (g0 + (g1 - g0) * (i / n)));
    } else {
        for (std::uint32_t i = 0; i < count; ++i)
            values[i] = static_cast<std::int16_t>(values[i] * (g0 - (g0 - g1) * (i / n)));
    }
}

namespace {

// Only 8- and 16-bit mono and stereo files have the frames the selections count in.
bool editableFormat(JobContext& context, const sonIO& source) {
    if ((source.bitsPerSample == 8 || source.bitsPerSample == 16) &&
        (source.channels == 1 || source.channels == 2))
        return true;
    context.reporter().report("File " + source.Path() + "\nholds " +
                                  std::to_string(source.bitsPerSample) + "-bit sound on " +
                                  std::to_string(source.channels) +
                                  " channels:\nonly 8- and 16-bit mono and stereo files can be "
                                  "edited.",
                              MessageIcon::Error);
    return false;
}

} // namespace

EditJob::EditJob(JobFiles& files, std::uint64_t outputBytes)
    : context_(files.context()), source_(&files.source()), outputBytes_(outputBytes) {
    if (!editableFormat(context_, *source_))
        return;
    // A value is 2 bytes at 16 bits and 1 at 8: the header declares outputBytes either way (an
    // odd count of 16-bit bytes loses its half value).
    const auto values =
        static_cast<std::int64_t>(source_->bitsPerSample == 8 ? outputBytes : outputBytes / 2);
    destination_ = files.create({.channels = source_->channels,
                                 .rate = std::max(source_->sampleRate, 1),
                                 .bits = source_->bitsPerSample},
                                values);
}

void EditJob::writePiece(std::uint32_t count) {
    writeValues(context_, *destination_, buffer_->data(), count);
    advance(count);
}

void EditJob::moveValues(sonIO& from, std::uint32_t count) {
    std::uint32_t moved = context_.stopped() ? 0 : destination_->CopyValues(from, count);
    // What the kernel did not copy goes through the buffer, a piece at a time.
    while (moved < count && !context_.stopped()) {
        const std::uint32_t n = std::min(count - moved, kPieceValues);
        readValues(context_, from, buffer_->data(), n);
        writeValues(context_, *destination_, buffer_->data(), n);
        moved += n;
    }
}

void EditJob::advance(std::uint32_t count) {
    handled_ += 2ULL * count;
    if (outputBytes_ == 0)
        return;
    showProgress(static_cast<int>(std::min<std::uint64_t>(handled_ * 100 / outputBytes_, 100)));
}

void EditJob::showProgress(int percent) {
    if (percent != shown_) {
        shown_ = percent;
        context_.progress.setProgress(percent);
    }
}

void EditJob::CopySpan(std::uint32_t bytes) {
    copyFrom(*source_, bytes);
}

void EditJob::copyFrom(sonIO& other, std::uint32_t bytes) {
    // The whole pieces go in runs, each copied inside the kernel at once where the system can
    // (no buffer holds them: one call per piece would cost more than the copy itself); the
    // progress still counts every piece.
    const std::uint32_t full = bytes / kPieceBytes;
    for (std::uint32_t k = 0; k < full && continueJob(context_); k += kCopyRunPieces) {
        const std::uint32_t pieces = std::min(kCopyRunPieces, full - k);
        moveValues(other, pieces * kPieceValues);
        for (std::uint32_t i = 0; i < pieces; ++i)
            advance(kPieceValues);
    }
    const std::uint32_t rest = (bytes / 2) % kPieceValues;
    if (rest != 0 && continueJob(context_)) {
        moveValues(other, rest);
        advance(rest);
    }
}

void EditJob::writeSilence(std::uint32_t bytes) {
    const std::int16_t silence = silenceValue(*source_);
    std::fill_n(buffer_->data(), kPieceValues, silence);
    forEachPiece(bytes, [&](std::uint32_t count) { writePiece(count); });
}

void EditJob::transformSpan(std::uint32_t bytes, const PieceChange& change) {
    const std::uint32_t values = bytes / 2;
    if (values == 0 || context_.stopped())
        return;
    // The pieces of forEachPiece: 32000 values each, the last one the rest.
    BlockSplit pieces{.n = values / kPieceValues,
                      .per = kPieceValues,
                      .rem = static_cast<std::int32_t>(values % kPieceValues)};
    if (pieces.rem == 0) {
        --pieces.n;
        pieces.rem = static_cast<std::int32_t>(kPieceValues);
    }
    const std::uint64_t before = handled_;
    runBlockPass(
        context_,
        {.source = source_,
         .destination = destination_,
         .split = pieces,
         .order = ComputeOrder::Parallel,
         .compute = [&change](std::int16_t* piece, const std::int16_t*, std::uint32_t count,
                              std::uint32_t k) { change(piece, count, k); },
         // The progress of the output handled once piece k is written, shown when it
         // changes, as advance shows it.
         .progressAt =
             [&](std::uint32_t k) {
                 handled_ = before + 2ULL * (std::uint64_t{k} * kPieceValues + pieces.count(k));
                 if (outputBytes_ == 0)
                     return -1;
                 const int percent =
                     static_cast<int>(std::min<std::uint64_t>(handled_ * 100 / outputBytes_, 100));
                 if (percent == shown_)
                     return -1;
                 shown_ = percent;
                 return percent;
             },
         .writeEachBlock = true,
         .timing = ProgressTiming::AfterWrite});
}

void EditJob::fadeSpan(std::uint32_t bytes, bool in) {
    const double length = bytes;
    const std::uint32_t full = bytes / kPieceBytes;
    // The gain after the k-th piece (k from 1): k x 64000 / n of the way, the whole way after
    // the last full piece.
    const auto gainAfter = [=](std::uint32_t k) {
        if (k <= full) {
            const double done = k * static_cast<double>(kPieceBytes) / length;
            return in ? done : 1 - done;
        }
        return in ? 1.0 : 0.0;
    };
    transformSpan(bytes, [=](std::int16_t* values, std::uint32_t count, std::uint32_t k) {
        const double from = k == 0 ? (in ? 0.0 : 1.0) : gainAfter(k);
        ApplyGainRamp(values, count, from, gainAfter(k + 1));
    });
}

void EditJob::reverseSpan(std::uint32_t start, std::uint32_t length) {
    const std::uint32_t end = start + length;
    const std::uint32_t full = length / kPieceBytes;
    auto reversePiece = [&](std::uint32_t offset, std::uint32_t count) {
        source_->SeekData(offset);
        readValues(context_, *source_, buffer_->data(), count);
        std::reverse(buffer_->data(), buffer_->data() + count);
        writePiece(count);
    };
    for (std::uint32_t k = 0; k < full && continueJob(context_); ++k)
        reversePiece(end - (k + 1) * kPieceBytes, kPieceValues);
    const std::uint32_t rest = (length / 2) % kPieceValues;
    if (rest != 0 && continueJob(context_))
        reversePiece(start, rest);
    source_->SeekData(end);
}

void EditJob::copyBlocks(std::uint32_t count) {
    if (count == 0)
        return;
    const BlockSplit split = BlockSplit::of(count);
    for (std::uint32_t j = 0; j <= split.n && continueJob(context_); ++j) {
        moveValues(*source_, split.count(j));
        showProgress(split.progress(j));
    }
}

JobOutcome EditJob::finish() {
    if (!context_.stopped())
        showProgress(100);
    return JobOutcome::Completed;
}

} // namespace sonarium
