// Brown Out: the running sum of each channel, output either as a running mean or scaled by a
// gain that adapts to keep it in range.
#include "jobs/sample_math.h"
#include "operations/effects/waveshaping.h"
#include "operations/operation.h"

#include <limits>

namespace sonarium {

namespace {

constexpr const char* kNoResultText = "Sorry..\n\nThis Shifting Value\nGives No Result";

struct BrownOutSettings {
    float shift;    // the scale's step, as the dialog holds it (single precision)
    bool autoscale; // adapt the scale instead of dividing by the count
    int level;      // 0, or the level below which the scale is raised again

    explicit BrownOutSettings(const Parameters& p)
        : shift(static_cast<float>(p.number("shift"))), autoscale(p.flag("autoscale")),
          level(static_cast<int>(p.number("level"))) {}
};

class BrownOut {
public:
    explicit BrownOut(const BrownOutSettings& settings, int channels)
        : settings_(settings), cursor_(channels) {}

    std::int16_t step(std::int16_t s) {
        std::int32_t& sum = sums_[cursor_.next()];
        // A 32-bit running sum that wraps, as a 32-bit register would.
        sum = static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) +
                                        static_cast<std::uint32_t>(static_cast<std::int32_t>(s)));
        ++count_;
        const double S = sum;
        double x = S / scale_;
        if (!settings_.autoscale)
            return toSample(S / static_cast<double>(count_));
        const double shift = settings_.shift;
        const double level = settings_.level;
        // Raising the gain stops at the smallest normal double: below it D × shift can round
        // back to D, and lowering the gain again would never end.
        if (settings_.level != 0 && scale_ / shift >= std::numeric_limits<double>::min() &&
            -level < x && x < level) {
            scale_ = scale_ / shift;
            x = S / scale_;
        }
        while (x > 32767.0 || x < -32768.0) {
            scale_ = scale_ * shift;
            x = S / scale_;
        }
        return toSample(x);
    }

    // The same as step over a block. Without Autoscale a value is its channel's sum over the
    // count so far, nothing else: the loop keeps the sums in registers, and the quotient (at most
    // 2^31 in magnitude) is truncated to 64 bits and wrapped to 16 as toSample does.
    void run(std::int16_t* block, std::uint32_t count) {
        if (settings_.autoscale) {
            for (std::uint32_t i = 0; i < count; ++i)
                block[i] = step(block[i]);
            return;
        }
        std::uint32_t i = 0;
        std::uint32_t sums[2] = {static_cast<std::uint32_t>(sums_[0]),
                                 static_cast<std::uint32_t>(sums_[1])};
        int channel = cursor_.next();
        std::uint32_t k = count_;
        const auto one = [&](int c) {
            sums[c] += static_cast<std::uint32_t>(static_cast<std::int32_t>(block[i]));
            const double S = static_cast<std::int32_t>(sums[c]);
            block[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(
                static_cast<std::uint64_t>(static_cast<std::int64_t>(S / ++k)) & 0xFFFFU));
            ++i;
        };
        if (!cursor_.stereo()) {
            while (i < count)
                one(0);
        } else {
            // Frames from the channel the block starts on.
            if (i < count && channel == 1)
                one(1);
            while (i + 1 < count) {
                one(0);
                one(1);
            }
            if (i < count)
                one(0);
            channel = static_cast<int>((static_cast<std::uint32_t>(channel) + count) % 2);
        }
        sums_[0] = static_cast<std::int32_t>(sums[0]);
        sums_[1] = static_cast<std::int32_t>(sums[1]);
        count_ = k;
        cursor_.moveTo(channel);
    }

private:
    BrownOutSettings settings_;
    ChannelCursor cursor_;
    std::int32_t sums_[2] = {0, 0}; // S, per channel
    std::uint32_t count_ = 0;       // k: values so far, both channels together
    double scale_ = 1.0;            // D, shared by both channels
};

Kernel prepareBrownOut(const Parameters& p) {
    const BrownOutSettings settings(p);
    // A shift of 1 never changes the scale, and one below 1 moves it away from the range:
    // neither can bring the sum into range.
    if (settings.autoscale && settings.shift <= 1.0F)
        return Refusal{.text = kNoResultText, .icon = MessageIcon::Error};
    return TransformKernel{.start = [settings](const sonIO& source) -> BlockTransform {
        return [state = BrownOut(settings, source.channels)](
                   std::int16_t* block, std::uint32_t count) mutable { state.run(block, count); };
    }};
}

} // namespace

const OperationDecl& brownOutOperation() {
    static const OperationDecl decl{
        .name = "brown-out",
        .caption = "Brown Out 1.0",
        .dialogClass = "CBrownOutDialog",
        .helpCode = "EFFBRO_1.0",
        .completion = "Brown eff - done",
        .commandId = 32780,
        .animation = false,
        .helpItem = 1050,
        .fields =
            {
                {.item = 1051,
                 .label = "&Shifting Value (0.1, 10) :",
                 .member = "shift",
                 .type = FieldType::Float,
                 .defaultValue = 1.1,
                 .minimum = 0.1,
                 .maximum = 10},
                {.item = 1052,
                 .label = "&Autoscale",
                 .member = "autoscale",
                 .type = FieldType::CheckBox},
                {.item = 1003,
                 .label = "Auto-Compensate &Level (0, 32767) :",
                 .member = "level",
                 .type = FieldType::Int32,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 32767},
            },
        .notes =
            "Each channel's values are summed in a 32-bit register that wraps. Without "
            "Autoscale the output is the sum divided by the count of values so far, both "
            "channels counted (in mono the running mean). With Autoscale the output is the "
            "sum divided by a scale D shared by both channels, starting at 1: while the output "
            "leaves -32768..32767, D is multiplied by the shifting value; when a level is "
            "given and the output is quieter than it, D is first divided by the shifting value "
            "once (never below the smallest normal double). Autoscale needs a shifting value "
            "above 1: 1 and below are refused before anything is read.",
        .prepare = prepareBrownOut,
    };
    return decl;
}

} // namespace sonarium
