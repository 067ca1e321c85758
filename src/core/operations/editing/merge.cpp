// Merge: the current file followed by the Aux file, in one 16-bit result at the current file's
// rate; a mono file beside a stereo one has each value written twice (left = right).
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

#include <memory>

namespace sonarium {

namespace {

inline constexpr const char* kNoAuxText = "No auxiliary file selected:\nthere is nothing to merge.";

// One file's share of the result: its values in k blocks of an even count each, the last taking
// what remains, with k = bytes / bytesPerBlock + 1. A file of no values has no block at all.
struct MergeSplit {
    std::uint32_t blocks = 0;
    std::uint32_t per = 0;
    std::uint32_t last = 0;

    static MergeSplit of(std::uint32_t values, std::uint32_t bytesPerBlock) {
        MergeSplit s;
        if (values == 0)
            return s;
        s.blocks = 2 * values / bytesPerBlock + 1;
        s.per = values / s.blocks;
        s.per += s.per % 2;
        std::int64_t last = std::int64_t{values} - std::int64_t{s.per} * (s.blocks - 1);
        while (last < 1) {
            last += s.per;
            --s.blocks;
        }
        s.last = static_cast<std::uint32_t>(last);
        return s;
    }
    std::uint32_t count(std::uint32_t j) const { return j + 1 == blocks ? last : per; }
};

struct MergeBuffers {
    SampleBuffer in;
    SampleBuffer out;
};

// Copies a file's values into the result over half of the progress bar (from base), each value
// twice when doubled.
void mergePass(JobContext& context, sonIO& file, sonIO& destination, const MergeSplit& split,
               bool doubled, int base, MergeBuffers& buffers) {
    for (std::uint32_t j = 0; j < split.blocks && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        readValues(context, file, buffers.in.data(), count);
        const std::int16_t* block = buffers.in.data();
        std::uint32_t written = count;
        if (doubled) {
            for (std::uint32_t i = 0; i < count; ++i)
                buffers.out[2 * i] = buffers.out[2 * i + 1] = buffers.in[i];
            block = buffers.out.data();
            written = 2 * count;
        }
        writeValues(context, destination, block, written, MessageIcon::Warning,
                    kToolWriteErrorText);
        context.progress.setProgress(base + static_cast<int>(50ULL * (j + 1) / split.blocks));
    }
}

// The Source then the Aux, or the Source twice when the Aux names the Source's own file (the
// framework then opens it once).
JobOutcome merge(JobFiles& files) {
    JobContext& context = files.context();
    const bool itself = !files.hasAux();
    sonIO& main = files.source();
    sonIO& second = itself ? main : files.aux();
    const std::uint32_t mainValues = valueCount(main);
    const std::uint32_t auxValues = valueCount(second);
    const bool mainMono = main.channels == 1;
    const bool mixed = !itself && mainMono != (second.channels == 1);
    // Counted in values actually written (an odd byte count holds no half value).
    const std::uint64_t total = mixed ? (mainMono ? 2ULL * mainValues + auxValues
                                                  : std::uint64_t{mainValues} + 2ULL * auxValues)
                                      : std::uint64_t{mainValues} + auxValues;
    if (total == 0) {
        files.reporter().report(noSamplesMessage(main.Path()), MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    sonIO* destination =
        files.create({.channels = mixed ? 2 : main.channels}, static_cast<std::int64_t>(total));
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    auto buffers = std::make_unique<MergeBuffers>();
    // The file with itself and the Aux of two files alike go in blocks of up to 64000 values;
    // every other pass in blocks of up to 32000.
    const MergeSplit first = MergeSplit::of(mainValues, itself ? 128000 : 64000);
    const MergeSplit after = MergeSplit::of(auxValues, mixed ? 64000 : 128000);
    mergePass(context, main, *destination, first, mixed && mainMono, 0, *buffers);
    if (itself)
        main.SeekData(0);
    mergePass(context, second, *destination, after, mixed && !mainMono, 50, *buffers);
    files.closeAux();
    if (!context.stopped())
        context.progress.setProgress(100); // an empty file's half has no block to show
    return JobOutcome::Completed;
}

} // namespace

const OperationDecl& mergeOperation() {
    static const OperationDecl decl{
        .name = "merge",
        .caption = "Merge",
        .dialogClass = "CMergeDialog",
        .completion = "Merge - done",
        .commandId = 33034,
        .input = InputKind::Two,
        .progressOnly = true,
        .notes = "The Source followed by the Aux, in one 16-bit file at the Source's rate (an "
                 "Aux of another rate is taken value for value, after a warning). Two files of the "
                 "same channel count keep "
                 "it; beside a stereo file, each value of a mono file is written twice (left = "
                 "right). The Aux may be the Source itself: the file then follows itself. A file "
                 "of no samples adds nothing; two of them give no result.",
        .sources = {.empty = EmptySource::Accept,
                    .aux = AuxRule::SourceAlone,
                    .noAuxText = kNoAuxText,
                    .auxEmpty = EmptySource::Accept},
        .prepare = [](const Parameters&) -> Kernel { return FilesKernel{merge}; },
    };
    return decl;
}

} // namespace sonarium
