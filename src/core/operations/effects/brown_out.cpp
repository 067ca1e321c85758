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
        return [state = BrownOut(settings, source.channels)](std::int16_t* block,
                                                             std::uint32_t count) mutable {
            for (std::uint32_t i = 0; i < count; ++i)
                block[i] = state.step(block[i]);
        };
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
