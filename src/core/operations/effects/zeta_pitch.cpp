// Zeta Pitch: cuts the signal into blocks and emits each at its length times the ratio, by
// repeating the block's start or cutting it short, so the sound keeps its speed within a block
// and the file's length follows the ratio.
#include "jobs/value_stream.h"
#include "operations/operation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sonarium {

namespace {

// The block layout of a run, worked out before anything is created.
struct PitchPlan {
    double r = 0;              // ratio / 100, doubled for a mono file shuffled to stereo
    std::uint32_t t = 0;       // block length in values
    std::uint32_t blocks = 0;  // i: blocks 1 .. i - 1 hold t values, block i holds last
    std::uint32_t last = 0;    // length of the last block
    std::int64_t capacity = 0; // values of the result
    std::int64_t fullG = 0;    // output length of a full block
    int channels = 1;          // of the result

    // The last block's output length, from its own length and the (possibly doubled) ratio.
    std::int64_t lastG() const { return static_cast<std::int64_t>(last * r); }
};

PitchPlan planPitch(double ratio, int blockSize, bool shuffle, int channels, std::uint32_t n) {
    PitchPlan plan;
    plan.r = ratio / 100.0;
    double b = static_cast<double>(blockSize) * channels;
    if (b > 64000)
        b = 64000;
    if (b * plan.r > 64000)
        b = 64000 / plan.r - 1;
    // Stereo shuffling wants even blocks (the channels keep their places), otherwise they are
    // odd (the channels of a stereo file swap from block to block).
    const auto whole = static_cast<std::int64_t>(b);
    if (shuffle ? whole % 2 != 0 : whole % 2 == 0)
        b += 1;
    plan.t = static_cast<std::uint32_t>(b);
    plan.blocks = n / plan.t + 1;
    std::uint32_t last = n % plan.t;
    while (last < 2) {
        last += plan.t;
        --plan.blocks;
    }
    plan.last = std::min<std::uint32_t>(last, 64000); // values beyond are dropped
    plan.capacity = static_cast<std::int64_t>(n * plan.r);
    plan.fullG = static_cast<std::int64_t>(plan.t * plan.r);
    plan.channels = channels;
    if (shuffle && channels == 1) {
        plan.channels = 2;
        plan.r *= 2;
        plan.fullG *= 2;
        plan.capacity *= 2;
    }
    return plan;
}

// Builds the g output values of a block of l input values into out (the grain loop). The
// block's first grain runs to its last value but one; repeated grains fill the output, and
// once it cannot take another whole repeat (or an empty grain is left) the block's start fills
// what remains.
void buildBlock(const std::int16_t* in, std::uint32_t l, std::int64_t g, const PitchPlan& plan,
                std::int16_t* out) {
    const double r = plan.r;
    std::int64_t q = 0;      // grain start
    std::int64_t filled = 0; // values in out
    bool final = false;
    std::int64_t e = 0;
    while (!final) {
        const std::int64_t s = q + plan.t;
        e = s < l ? s : static_cast<std::int64_t>(l) - 1;
        const std::int64_t len = e - q;
        std::int64_t x;
        if (static_cast<double>(q) * r >= static_cast<double>(filled))
            x = r > 1 ? static_cast<std::int64_t>(r + 1) : 1;
        else
            x = r >= 1 ? 1 : 0;
        if (len == 0) {
            x = 0;
            final = true; // nothing left to repeat: the block's start fills the rest
        } else if (len * x > g - filled) {
            x = (g - filled) / len;
            final = true;
        }
        if (static_cast<std::int64_t>(l) - e < len / 2)
            final = true;
        for (std::int64_t k = 0; k < x; ++k) {
            std::copy(in + q, in + e, out + filled);
            filled += len;
        }
        if (final && e > 0) {
            while (filled < g) {
                const std::int64_t piece = std::min<std::int64_t>(e, g - filled);
                std::copy(in, in + piece, out + filled);
                filled += piece;
            }
        }
        q = e;
    }
}

struct ZetaPitchSettings {
    double ratio;  // percent
    int blockSize; // values per channel
    bool shuffle;  // stereo shuffling

    explicit ZetaPitchSettings(const Parameters& p)
        : ratio(p.number("ratio")), blockSize(static_cast<int>(p.number("blockSize"))),
          shuffle(p.flag("shuffle")) {}
};

JobOutcome runZetaPitch(JobFiles& files, const ZetaPitchSettings& settings) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    const std::uint32_t n = valueCount(source);
    if (n <= 2) {
        context.reporter().report("File " + source.Path() + "\nholds " + std::to_string(n) +
                                      (n == 1 ? " value" : " values") +
                                      ": Zeta Pitch needs at least 3.",
                                  MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const PitchPlan plan =
        planPitch(settings.ratio, settings.blockSize, settings.shuffle, source.channels, n);
    sonIO* destination = files.create({.channels = plan.channels}, plan.capacity);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;

    // Sized for the longest block and the longest output the plan gives.
    std::vector<std::int16_t> in(std::max(plan.t, plan.last));
    std::vector<std::int16_t> out(static_cast<std::size_t>(std::max(plan.fullG, plan.lastG())));
    ValueReader reader(context, source, n);
    ValueWriter writer(context, *destination, static_cast<std::uint64_t>(plan.capacity),
                       MessageIcon::Warning);
    PieceProgress progress(context.progress);
    for (std::uint32_t k = 1; k <= plan.blocks && !context.stopped(); ++k) {
        const std::uint32_t l = k == plan.blocks ? plan.last : plan.t;
        const std::int64_t g = k == plan.blocks ? plan.lastG() : plan.fullG;
        reader.read(in.data(), l);
        if (context.stopped())
            break;
        buildBlock(in.data(), l, g, plan, out.data());
        progress.set(static_cast<int>(100LL * (k + 1) / (plan.blocks + 1)));
        writer.write(out.data(), static_cast<std::uint32_t>(g));
    }
    // Short of the capacity (dropped values, truncated outputs): the missing values are taken
    // again from the start of the output buffer as the last block left it; places no block
    // wrote there are silence.
    const std::uint64_t missing = writer.limit() - writer.written();
    const auto fromOutput =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(missing, out.size()));
    writer.write(out.data(), fromOutput);
    const std::vector<std::int16_t> silence(kBlockValues, 0);
    for (std::uint64_t left = missing - fromOutput; left > 0 && !context.stopped();) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kBlockValues));
        writer.write(silence.data(), piece);
        left -= piece;
    }
    writer.flush();
    return JobOutcome::Completed;
}

Kernel prepareZetaPitch(const Parameters& p) {
    const ZetaPitchSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) { return runZetaPitch(files, settings); }};
}

} // namespace

const OperationDecl& zetaPitchOperation() {
    static const OperationDecl decl{
        .name = "zeta-pitch",
        .caption = "Zeta Pitch 1.1",
        .dialogClass = "CZetaPitchDialog",
        .helpCode = "EFFPIT_1.1",
        .completion = "Zeta Pitch - done",
        .commandId = 32807,
        .animation = true,
        .helpItem = 1054,
        .fields =
            {
                {.item = 1055,
                 .label = "Pitch &Ratio (1, 1000) :",
                 .member = "ratio",
                 .type = FieldType::Double,
                 .defaultValue = 300,
                 .minimum = 0.1,
                 .maximum = 1000,
                 .unit = "%"},
                {.item = 1002,
                 .label = "Mean Block &Size (100, 10000) :",
                 .member = "blockSize",
                 .type = FieldType::Int32,
                 .defaultValue = 1000,
                 .minimum = 100,
                 .maximum = 100000,
                 .unit = "Smp",
                 .option = "block-size"},
                {.item = 1003,
                 .label = "Maximal &Deviation (0, 10000) :",
                 .type = FieldType::Int32,
                 .maximum = 10000,
                 .unit = "Smp",
                 .enabled = false},
                {.item = 1004,
                 .label = "&Mean Deviation (0, 10000) :",
                 .type = FieldType::Int32,
                 .maximum = 10000,
                 .unit = "Smp",
                 .enabled = false},
                {.item = 1215,
                 .label = "&Stereo Shuffling",
                 .member = "shuffle",
                 .type = FieldType::CheckBox},
            },
        .notes = "The file is cut into blocks of about the block size (times the channels, at "
                 "most 64000 values); each block is emitted at its length times the ratio, by "
                 "repeating its start (ratio above 100) or cutting it short (below), so the "
                 "result is ratio percent as long as the source. Blocks are odd in length, or "
                 "even with Stereo Shuffling; Stereo Shuffling on a mono file makes a stereo "
                 "file twice as long. A source of fewer than 3 values is refused.",
        .prepare = prepareZetaPitch,
    };
    return decl;
}

} // namespace sonarium
