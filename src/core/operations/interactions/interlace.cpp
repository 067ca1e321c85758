// Interlace: the Source and the Aux cut at their upward zero crossings and their pieces laid out
// alternately; one file alone has each of its pieces heard twice.
#include "jobs/read_ahead.h"
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"

#include <algorithm>
#include <vector>

namespace sonarium {

namespace {

inline constexpr const char* kInterlaceWriteErrorText = "An error occured\nwhile writing onto disk";

// A value ends a piece when it is not negative and the value before it in its block was: an
// upward zero crossing. The value before the first of a block counts as 0.
inline bool upwardCrossing(std::int16_t previous, std::int16_t value) {
    return value >= 0 && previous < 0;
}

// Blocks of about `size` values, in whole frames.
BlockSplit interlaceSplit(std::uint32_t values, std::uint32_t size) {
    return evenSplit(values, values / size + 1);
}

// One file's share of a pass of the two-file interlace: its block j, cut into pieces.
struct PieceCutter {
    sonIO& reader;
    BlockSplit split;
    ReadAhead ahead{reader, split}; // the file's blocks, read on a thread of their own
    const std::int16_t* block = nullptr;
    std::uint32_t count = 0;         // values of the block of this pass (0 after the file's last)
    std::vector<std::uint32_t> ends; // the last value of each piece of the block, in order
    std::size_t piece = 0;           // the next piece to write
    std::uint32_t next = 0;          // first value of the block not yet written

    void load(JobContext& context, std::uint32_t j) {
        count = j <= split.n ? split.count(j) : 0;
        next = 0;
        piece = 0;
        ends.clear();
        if (count == 0)
            return;
        const ReadAhead::Block read = ahead.next();
        if (read.truncated)
            sourceTruncated(context, reader);
        block = read.values;
        // Every place is stored and the count moves on past crossings only: no branch per value.
        ends.resize(count);
        std::size_t n = 0;
        std::int16_t previous = 0;
        for (std::uint32_t m = 0; m < count; ++m) {
            const std::int16_t value = block[m];
            ends[n] = m;
            n += upwardCrossing(previous, value) ? 1U : 0U;
            previous = value;
        }
        // The block's last value ends the last piece.
        if (n == 0 || ends[n - 1] != count - 1)
            ends[n++] = count - 1;
        ends.resize(n);
    }
    bool done() const { return piece == ends.size(); }
    std::uint32_t nextEnd() const { return ends[piece]; }
    // Appends the next piece to out.
    void take(std::int16_t* out, std::uint32_t& filled) {
        const std::uint32_t end = ends[piece++];
        const std::uint32_t length = end + 1 - next;
        std::copy_n(block + next, length, out + filled);
        filled += length;
        next = end + 1;
    }
};

void interlaceBlocks(JobContext& context, sonIO& source, sonIO& aux, sonIO& destination) {
    PieceCutter cutters[2] = {{source, interlaceSplit(valueCount(source), 8000)},
                              {aux, interlaceSplit(valueCount(aux), 8000)}};
    const std::uint32_t passes = std::max(cutters[0].split.n, cutters[1].split.n) + 1;
    auto out = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j < passes && continueJob(context); ++j) {
        for (PieceCutter& cutter : cutters)
            cutter.load(context, j);
        if (context.stopped())
            return;
        // The pieces of both blocks in the order in which they end, the Source's first when
        // both end at the same place.
        std::uint32_t filled = 0;
        PieceCutter& first = cutters[0];
        PieceCutter& second = cutters[1];
        while (!first.done() || !second.done()) {
            if (!first.done() && (second.done() || first.nextEnd() <= second.nextEnd()))
                first.take(out->data(), filled);
            else
                second.take(out->data(), filled);
        }
        context.progress.setProgress(static_cast<int>(100ULL * (j + 1) / passes));
        writeValues(context, destination, out->data(), filled, MessageIcon::Warning,
                    kInterlaceWriteErrorText);
    }
}

void appendBoth(JobContext& context, sonIO& source, sonIO& aux, sonIO& destination) {
    struct Part {
        sonIO& reader;
        BlockSplit split;
    };
    const Part parts[2] = {{source, interlaceSplit(valueCount(source), 8000)},
                           {aux, interlaceSplit(valueCount(aux), 32000)}};
    const std::uint64_t blocks = std::uint64_t{parts[0].split.blocks()} + parts[1].split.blocks();
    std::uint64_t done = 0;
    auto in = std::make_unique<SampleBuffer>();
    auto out = std::make_unique<SampleBuffer>();
    for (const Part& part : parts) {
        const bool mono = part.reader.channels == 1;
        for (std::uint32_t j = 0; j <= part.split.n && continueJob(context); ++j) {
            const std::uint32_t count = part.split.count(j);
            readValues(context, part.reader, in->data(), count);
            if (context.stopped())
                return;
            const std::int16_t* values = in->data();
            std::uint32_t written = count;
            if (mono) {
                // At most 32000 values: doubled they fill the buffer at most.
                for (std::uint32_t i = 0; i < count; ++i)
                    (*out)[2 * i] = (*out)[2 * i + 1] = (*in)[i];
                values = out->data();
                written = 2 * count;
            }
            context.progress.setProgress(static_cast<int>(100 * ++done / blocks));
            writeValues(context, destination, values, written, MessageIcon::Warning,
                        kInterlaceWriteErrorText);
        }
    }
}

// One file: every piece written twice in a row. A piece runs on across blocks until a crossing
// ends it (it may span the whole file); such a piece is read again from the file, twice, rather
// than held.
void doublePieces(JobFiles& files, sonIO& destination) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    const std::uint32_t total = valueCount(source);
    const BlockSplit split = interlaceSplit(total, 16000);
    auto block = std::make_unique<SampleBuffer>();
    ValueSink sink(context, destination, MessageIcon::Warning, kInterlaceWriteErrorText);
    sonIO* again = nullptr; // opened when a piece first spans blocks
    std::unique_ptr<SampleBuffer> againBlock;
    std::uint64_t blockStart = 0;
    std::uint64_t pieceStart = 0;
    // Writes values [pieceStart, end) twice, then starts the next piece at end.
    auto emitTwice = [&](std::uint64_t end) {
        if (pieceStart >= blockStart) {
            const std::int16_t* first = block->data() + (pieceStart - blockStart);
            const auto length = static_cast<std::uint32_t>(end - pieceStart);
            sink.push(first, length);
            sink.push(first, length);
        } else {
            if (again == nullptr) {
                // Told why when it fails (unreadable now, or changed): the job stops.
                again = files.openSourceAgain(total);
                if (again == nullptr)
                    return;
                againBlock = std::make_unique<SampleBuffer>();
            }
            for (int copy = 0; copy < 2 && !context.stopped(); ++copy) {
                again->SeekData(static_cast<std::uint32_t>(2 * pieceStart));
                for (std::uint64_t at = pieceStart; at < end && !context.stopped();) {
                    const auto n =
                        static_cast<std::uint32_t>(std::min<std::uint64_t>(kBlockValues, end - at));
                    readValues(context, *again, againBlock->data(), n);
                    sink.push(againBlock->data(), n);
                    at += n;
                }
            }
        }
        pieceStart = end;
    };
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        readValues(context, source, block->data(), count);
        if (context.stopped())
            break;
        std::int16_t previous = 0;
        for (std::uint32_t m = 0; m < count; ++m) {
            const std::int16_t value = (*block)[m];
            if (upwardCrossing(previous, value))
                emitTwice(blockStart + m + 1);
            previous = value;
        }
        context.progress.setProgress(split.progress(j));
        if (j == split.n && pieceStart < total)
            emitTwice(total); // the piece still open at the end of the file
        sink.flush();
        blockStart += count;
    }
}

JobOutcome interlaceOneFile(JobFiles& files) {
    sonIO& source = files.source();
    acceptStereo(files.context(), source); // a warning only: the job goes on either way
    sonIO* destination =
        files.create({.channels = source.channels}, 2 * std::int64_t{valueCount(source)});
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    doublePieces(files, *destination);
    return JobOutcome::Completed;
}

JobOutcome interlaceTwoFiles(JobFiles& files) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    sonIO& aux = files.aux();
    if (!acceptStereo(context, source.channels == 2 ? source : aux))
        return JobOutcome::Cancelled;
    const bool equal = source.channels == aux.channels;
    const std::int64_t sourceValues = valueCount(source);
    const std::int64_t auxValues = valueCount(aux);
    const std::int64_t count = equal ? sourceValues + auxValues
                                     : (source.channels == 1 ? 2 : 1) * sourceValues +
                                           (aux.channels == 1 ? 2 : 1) * auxValues;
    sonIO* destination = files.create({.channels = equal ? source.channels : 2}, count);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    if (equal)
        interlaceBlocks(context, source, aux, *destination);
    else
        appendBoth(context, source, aux, *destination);
    return JobOutcome::Completed;
}

// The method list has one entry and is never read: there are no settings.
Kernel prepareInterlace(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        return files.hasAux() ? interlaceTwoFiles(files) : interlaceOneFile(files);
    }};
}

} // namespace

const OperationDecl& interlaceOperation() {
    static const OperationDecl decl{
        .name = "interlace",
        .caption = "Interlace 1.0",
        .dialogClass = "CInterlaceDialog",
        .helpCode = "INTINT_1.0",
        .completion = "Interlace int - done",
        .commandId = 33038,
        .input = InputKind::Two,
        .helpItem = 1640,
        .fields =
            {
                {.item = 1641,
                 .label = "&Method : ",
                 .type = FieldType::DropDownList,
                 .enabled = false,
                 .choices = {{0, "zero crossings", "zero-crossings"}},
                 .defaultChoice = "zero-crossings"},
            },
        .notes =
            "Both files are cut into pieces that end at an upward zero crossing (a value of 0 or "
            "more after a negative one) or at the end of a block of about 8000 values, the value "
            "before a block's first counting as 0. Block by block, the pieces of the Source and of "
            "the Aux are laid out alternately, in the order in which they end, the Source's first "
            "when both end at the same place: every value of both files is written once. When one "
            "file is mono and the other stereo, the result is the whole Source followed by the "
            "whole Aux, the mono one's values doubled into stereo frames. Given the same file "
            "twice, each of its pieces (blocks of about 16000 values, a piece open at a block's "
            "end running on into the next block) is written twice in a row. A stereo file gets "
            "the stereo warning, which, for one file, only warns.",
        .sources = {.aux = AuxRule::SourceAlone},
        .prepare = prepareInterlace,
    };
    return decl;
}

} // namespace sonarium
