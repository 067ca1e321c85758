// Silent zone: mutes, or cuts out, the quiet (or the loud) values, either one by one or only in
// runs of a minimum length.
#include "operations/operation.h"

#include <algorithm>
#include <vector>

namespace sonarium {

namespace {

struct SilentZoneRule {
    int threshold = 5000;
    bool noisy = false;    // detect noisy zones instead of silent ones
    bool ignoreDc = false; // a value equal to the one two places earlier is flagged

    // Two values back, per stream position; starts at 0 and runs across blocks.
    std::int16_t history[2] = {0, 0};

    bool flagged(std::int16_t s) {
        const bool same = ignoreDc && s == history[0];
        history[0] = history[1];
        history[1] = s;
        return same;
    }
    bool kept(std::int16_t s, bool isFlagged) const {
        if (isFlagged)
            return false;
        return noisy ? (-threshold <= s && s <= threshold) : (s <= -threshold || s >= threshold);
    }
    // Whether each value is kept depends on that value alone (no history, every value judged on
    // its own): the blocks can then be counted and sifted without the per-value filter.
    bool valueByValue(int minimumRun) const { return !ignoreDc && minimumRun <= 1; }
    // 1 when s stays, 0 when it goes, for a rule judged value by value.
    std::uint32_t keeps(std::int16_t s) const {
        return noisy ? (-threshold <= s && s <= threshold) : (s <= -threshold || s >= threshold);
    }
    bool muted(std::int16_t s, bool isFlagged) const {
        if (isFlagged)
            return false;
        return noisy ? (s < -threshold || s > threshold) : (-threshold < s && s < threshold);
    }
};

// The values that stay after a cut. With minimumRun ≤ 1 each value not kept goes; otherwise
// only runs of at least minimumRun values that are not kept go, shorter runs staying whole.
class CutFilter {
public:
    CutFilter(const SilentZoneRule& rule, int minimumRun) : rule_(rule), minimumRun_(minimumRun) {}

    // Feeds one value; calls emit for every value that is now known to stay.
    template <typename Emit> void feed(std::int16_t s, Emit&& emit) {
        const bool keep = rule_.kept(s, rule_.flagged(s));
        if (minimumRun_ <= 1) {
            if (keep)
                emit(s);
            return;
        }
        if (keep) {
            for (std::int16_t held : pending_)
                emit(held);
            pending_.clear();
            run_ = 0;
            emit(s);
            return;
        }
        ++run_;
        if (run_ < minimumRun_)
            pending_.push_back(s);
        else
            pending_.clear(); // the run is long enough to go, whole
    }
    // A run still shorter than the minimum at the end of the file stays.
    template <typename Emit> void finish(Emit&& emit) {
        for (std::int16_t held : pending_)
            emit(held);
        pending_.clear();
    }
    // Samples held back while their run may still reach the minimum.
    std::size_t pending() const { return pending_.size(); }

private:
    SilentZoneRule rule_;
    int minimumRun_;
    long run_ = 0;
    std::vector<std::int16_t> pending_;
};

// The radio groups' choices, in the declaration's order.
enum class Detection { Silent, Noisy };
enum class Processing { Cut, Mute };

struct SilentZoneSettings {
    SilentZoneRule rule;
    int minimumRun; // "Ignore blocks if size <": shorter runs stay whole
    bool mute;      // mute the zones instead of cutting them out

    explicit SilentZoneSettings(const Parameters& p)
        : rule{.threshold = static_cast<std::int16_t>(p.number("T")),
               .noisy = p.choice<Detection>("detection") == Detection::Noisy,
               .ignoreDc = p.flag("ignoreDC")},
          minimumRun(static_cast<int>(p.number("M"))),
          mute(p.choice<Processing>("processing") == Processing::Mute) {}
};

JobOutcome runCut(JobFiles& files, const SilentZoneRule& rule, int minimumRun) {
    JobContext& context = files.context();
    const std::uint32_t total = valueCount(files.source());
    const BlockSplit split = BlockSplit::of(total);

    // Pass 1: how many values stay.
    std::uint64_t kept = 0;
    {
        CutFilter filter(rule, minimumRun);
        auto count = [&](std::int16_t) { ++kept; };
        const bool plain = rule.valueByValue(minimumRun);
        readBlocks(context, files.source(), split, {.span = 30},
                   [&](const std::int16_t* block, std::uint32_t n) {
                       if (plain) {
                           std::uint32_t blockKept = 0;
                           for (std::uint32_t i = 0; i < n; ++i)
                               blockKept += rule.keeps(block[i]);
                           kept += blockKept;
                           return true;
                       }
                       for (std::uint32_t i = 0; i < n; ++i)
                           filter.feed(block[i], count);
                       return true;
                   });
        filter.finish(count);
    }
    files.closeSource();
    if (context.stopped())
        return stoppedOutcome(context);
    if (kept == 0) {
        context.reporter().report(kEmptyOutputText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }

    // Pass 2: the values that stay, gathered in a second buffer and written when it fills up.
    if (!files.reopenSource(total))
        return JobOutcome::EndedWithMessage;
    sonIO* destination =
        files.create({.channels = files.source().channels}, static_cast<std::int64_t>(kept));
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    auto output = std::make_unique<SampleBuffer>();
    std::uint32_t filled = 0;
    const std::uint32_t flushAbove = minimumRun <= 1 ? split.per : kBlockValues / 2;
    // The destination takes the K values it declares, even should the second reading of the
    // source differ from the first.
    std::uint64_t emitted = 0;
    auto emit = [&](std::int16_t s) {
        if (emitted++ >= kept)
            return;
        (*output)[filled++] = s;
        if (filled == kBlockValues) {
            writeValues(context, *destination, output->data(), filled);
            filled = 0;
        }
    };
    CutFilter filter(rule, minimumRun);
    const bool plain = rule.valueByValue(minimumRun);
    readBlocks(context, files.source(), split, {.span = 70, .base = 30},
               [&](const std::int16_t* block, std::uint32_t n) {
                   if (plain) {
                       // Every value is stored and the end moves past the ones that stay: no
                       // branch per value. The buffer is emptied first when the block might not
                       // fit behind what it holds.
                       if (filled + n > kBlockValues) {
                           writeValues(context, *destination, output->data(), filled);
                           filled = 0;
                       }
                       std::int16_t* out = output->data() + filled;
                       std::uint32_t m = 0;
                       for (std::uint32_t i = 0; i < n; ++i) {
                           out[m] = block[i];
                           m += rule.keeps(block[i]);
                       }
                       // No more than the values the destination declares.
                       m = static_cast<std::uint32_t>(std::min<std::uint64_t>(m, kept - emitted));
                       emitted += m;
                       filled += m;
                   } else {
                       for (std::uint32_t i = 0; i < n; ++i)
                           filter.feed(block[i], emit);
                   }
                   if (filled > flushAbove) {
                       writeValues(context, *destination, output->data(), filled);
                       filled = 0;
                   }
                   return true;
               });
    filter.finish(emit);
    if (filled > 0)
        writeValues(context, *destination, output->data(), filled);
    return JobOutcome::Completed;
}

Kernel prepareSilentZone(const Parameters& p) {
    const SilentZoneSettings settings(p);
    if (!settings.mute) {
        return FilesKernel{[settings](JobFiles& files) {
            return runCut(files, settings.rule, settings.minimumRun);
        }};
    }
    if (!settings.rule.ignoreDc)
        // Each value judged on its own: blocks at once on every core.
        return TransformKernel{.startPure = [rule = settings.rule](const sonIO&) -> PureTransform {
            return [rule](std::int16_t* block, std::uint32_t count, std::uint32_t) {
                for (std::uint32_t i = 0; i < count; ++i)
                    block[i] = rule.muted(block[i], false) ? std::int16_t{0} : block[i];
            };
        }};
    return TransformKernel{.start = [rule = settings.rule](const sonIO&) -> BlockTransform {
        // The rule's history of the last two values runs on from block to block.
        return [rule](std::int16_t* block, std::uint32_t count) mutable {
            for (std::uint32_t i = 0; i < count; ++i)
                if (rule.muted(block[i], rule.flagged(block[i])))
                    block[i] = 0;
        };
    }};
}

} // namespace

const OperationDecl& silentZoneOperation() {
    static const OperationDecl decl{
        .name = "silent-zone",
        .caption = "Silent zone 1.0",
        .dialogClass = "CSilentZoneDialog",
        .helpCode = "EFFSIL_1.0",
        .completion = "Silent eff - done",
        .commandId = 32824,
        .animation = true,
        .helpItem = 1247,
        .fields =
            {
                {.item = 1231,
                 .label = "&Sensitivity (1, 32767) :",
                 .member = "T",
                 .type = FieldType::Int16,
                 .defaultValue = 5000,
                 .minimum = 1,
                 .maximum = 32767,
                 .option = "sensitivity"},
                {.item = 1230,
                 .label = "&Ignore blocks if size < (1, 20000) :",
                 .member = "M",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 0,
                 .maximum = 20000,
                 .unit = "smp",
                 .option = "min-length"},
                {.label = "Detection method",
                 .member = "detection",
                 .type = FieldType::RadioGroup,
                 .option = "detect",
                 .group = "Detection method",
                 .choices = {{1228, "&Silent zones", "silent"}, {1229, "&Noisy zones", "noisy"}},
                 .defaultChoice = "silent"},
                {.label = "Processing method",
                 .member = "processing",
                 .type = FieldType::RadioGroup,
                 .option = "process",
                 .group = "Processing method",
                 .choices = {{1232, "&Cut", "cut"}, {1233, "&Mute", "mute"}},
                 .defaultChoice = "cut"},
                {.item = 1235,
                 .label = "Ignore &DC",
                 .member = "ignoreDC",
                 .type = FieldType::CheckBox,
                 .option = "ignore-dc"},
                {.item = 1234,
                 .label = "Stereo &flush",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1,
                 .enabled = false},
            },
        .prepare = prepareSilentZone,
    };
    return decl;
}

} // namespace sonarium
