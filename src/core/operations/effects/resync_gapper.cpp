// Resync Gapper: cuts the signal into blocks of the initial size and emits each at the final
// size, truncated or stretched by holding its last value (its last frame in stereo), optionally
// reversed. The last, shorter block keeps its length.
#include "jobs/value_stream.h"
#include "operations/effects/effect_messages.h"
#include "operations/operation.h"

#include <algorithm>
#include <vector>

namespace sonarium {

namespace {

struct GapperSettings {
    int initial;
    int final;
    bool reverted;
    bool shuffle;

    explicit GapperSettings(const Parameters& p)
        : initial(static_cast<int>(p.number("initial"))),
          final(static_cast<int>(p.number("final"))), reverted(p.flag("reverted")),
          shuffle(p.flag("shuffle")) {}
};

// Writes one full block of d values as e values.
void emitBlock(ValueWriter& writer, std::vector<std::int16_t>& block, std::uint32_t d,
               std::uint32_t e, int channels, bool reverted, std::vector<std::int16_t>& hold) {
    if (d >= e) {
        if (reverted)
            std::reverse(block.begin(), block.begin() + e);
        writer.write(block.data(), e);
        return;
    }
    // The g hold values repeat the last value, or in stereo the last frame as pairs that join
    // the block (second-to-last, last) or, reversed, (last, second-to-last).
    const std::uint32_t g = e - d;
    hold.resize(g);
    if (channels == 2 && d >= 2) {
        std::int16_t pair[2] = {block[d - 2], block[d - 1]};
        if (reverted)
            std::swap(pair[0], pair[1]);
        for (std::uint32_t k = 0; k < g; ++k)
            hold[k] = pair[k % 2];
    } else {
        std::fill(hold.begin(), hold.end(), block[d - 1]);
    }
    if (reverted) {
        std::reverse(block.begin(), block.begin() + d);
        writer.write(hold.data(), g);
        writer.write(block.data(), d);
    } else {
        writer.write(block.data(), d);
        writer.write(hold.data(), g);
    }
}

JobOutcome runResyncGapper(JobFiles& files, const GapperSettings& settings) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    if (settings.shuffle && source.channels == 1) {
        context.reporter().report(kMonoShuffleText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const int channels = source.channels;
    const std::uint32_t n = valueCount(source);
    // An odd input block (stereo shuffling) swaps the channels of a stereo file from one block
    // to the next.
    const auto d =
        static_cast<std::uint32_t>(settings.initial * channels + (settings.shuffle ? 1 : 0));
    const auto e = static_cast<std::uint32_t>(settings.final * channels);
    std::uint32_t blocks = n / d;
    std::uint32_t rest = n - blocks * d;
    if (rest < 1) {
        rest += d;
        --blocks;
    }
    const std::int64_t total = static_cast<std::int64_t>(blocks) * e + rest;
    sonIO* destination = files.create({.channels = channels}, total);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;

    std::vector<std::int16_t> block(d);
    std::vector<std::int16_t> hold;
    ValueReader reader(context, source, n);
    ValueWriter writer(context, *destination, static_cast<std::uint64_t>(total));
    PieceProgress progress(context.progress);
    for (std::uint32_t k = 1; k <= blocks && !context.stopped(); ++k) {
        reader.read(block.data(), d);
        if (context.stopped())
            break;
        emitBlock(writer, block, d, e, channels, settings.reverted, hold);
        progress.set(static_cast<int>(100ULL * (k + 1) / (blocks + 2ULL)));
    }
    if (!context.stopped() && reader.read(block.data(), rest) == rest) {
        if (settings.reverted)
            std::reverse(block.begin(), block.begin() + rest);
        writer.write(block.data(), rest);
        progress.set(100);
    }
    writer.flush();
    return JobOutcome::Completed;
}

Kernel prepareResyncGapper(const Parameters& p) {
    const GapperSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) { return runResyncGapper(files, settings); }};
}

} // namespace

const OperationDecl& resyncGapperOperation() {
    static const OperationDecl decl{
        .name = "resync-gapper",
        .caption = "Resync Gapper 1.1",
        .dialogClass = "CResyncGapperDialog",
        .helpCode = "EFFGAP_1.1",
        .completion = "Resync Gapper eff - done",
        .commandId = 32911,
        .animation = true,
        .helpItem = 1248,
        .fields =
            {
                {.item = 1002,
                 .label = "&Initial Block Size (1, 20000) :",
                 .member = "initial",
                 .type = FieldType::Int32,
                 .defaultValue = 1000,
                 .minimum = 1,
                 .maximum = 20000,
                 .unit = "Smp"},
                {.item = 1003,
                 .label = "&Final Block Size (1, 20000) :",
                 .member = "final",
                 .type = FieldType::Int32,
                 .defaultValue = 2000,
                 .minimum = 1,
                 .maximum = 20000,
                 .unit = "Smp"},
                {.item = 1120,
                 .label = "&Reverted Blocks",
                 .member = "reverted",
                 .type = FieldType::CheckBox},
                {.item = 1216,
                 .label = "Stereo s&huffling",
                 .member = "shuffle",
                 .type = FieldType::CheckBox},
                {.item = 1006,
                 .label = "&LFO Frequency (0, 22050) :",
                 .type = FieldType::Double,
                 .maximum = 22050,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1007,
                 .label = "LFO &Depth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1110),
            },
        .notes = "Blocks of the initial size (in frames) become blocks of the final size: cut "
                 "short, or stretched by repeating the block's last frame; Reverted Blocks "
                 "reverses each block (the repeats then come first). The last block keeps its "
                 "length. Stereo shuffling makes the input blocks one value longer, so the "
                 "channels of a stereo file swap from block to block; a mono source refuses it.",
        .prepare = prepareResyncGapper,
    };
    return decl;
}

} // namespace sonarium
