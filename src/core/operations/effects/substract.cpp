// Substract: subtracts a copy of the signal delayed by D + 1 values from itself (halved so the
// result stays in 16 bits), optionally feeding the output back into the delay line. Both
// channels of a stereo file are one stream (the stereo warning says so).
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace sonarium {

namespace {

// Feedback gains at or below 1/128 (and negative ones) leave the delay line alone.
constexpr float kFeedbackThreshold = 0.0078125F;

class SubstractFilter {
public:
    // The gains are fractions in single precision, as the dialog stores them; all sample
    // arithmetic widens them to double.
    SubstractFilter(int delay, float subGain, float fbGain)
        : delay_(delay), g_(subGain / 100.0F), fb_(fbGain / 100.0F),
          line_(static_cast<std::size_t>(delay) + 1) {}

    std::int16_t next(std::int16_t s) {
        const double g = g_;
        const double fb = fb_;
        if (fb_ > kFeedbackThreshold) {
            const int q = p_ > 0 ? p_ - 1 : delay_;
            line_[static_cast<std::size_t>(q)] =
                toSample(std::trunc(((1.0 - fb) * s + fb * previous_) / 2.0));
        }
        const std::int16_t y = wrapped_ ? subtracted(s, line_[static_cast<std::size_t>(p_)], g)
                                        : static_cast<std::int16_t>(s / 2);
        line_[static_cast<std::size_t>(p_)] = s;
        if (++p_ > delay_) {
            p_ = 0;
            wrapped_ = true;
        }
        previous_ = y;
        return y;
    }

    // The same as next over a block. Without feedback the delay line holds the input itself, so
    // a value depends only on the input D + 1 places earlier: the block is computed from the
    // last D + 1 inputs and the block, in a loop that carries nothing from value to value.
    void run(std::int16_t* block, std::uint32_t count) {
        if (fb_ > kFeedbackThreshold || !wrapped_ || count == 0 || std::abs(g_) > 1.0F) {
            for (std::uint32_t i = 0; i < count; ++i)
                block[i] = next(block[i]);
            return;
        }
        // history: the D + 1 inputs before the block, oldest first, then the block.
        const auto span = static_cast<std::size_t>(delay_) + 1;
        const auto at = static_cast<std::size_t>(p_);
        history_.resize(span + count);
        std::int16_t* history = history_.data();
        std::int16_t* line = line_.data();
        std::copy(line + at, line + span, history);
        std::copy(line, line + at, history + (span - at));
        std::copy(block, block + count, history + span);
        const double g = g_;
        // With |g| <= 1 the halved difference lies in [-32768, 32767.5]: its conversion to an
        // integer truncates as std::trunc does and the result needs no wrapping.
        for (std::uint32_t i = 0; i < count; ++i)
            block[i] = static_cast<std::int16_t>(
                static_cast<std::int32_t>((history[span + i] - g * history[i]) / 2.0));
        // The line holds the last D + 1 inputs again, the oldest at the new p.
        const std::size_t p = (at + count) % span;
        const std::int16_t* last = history + count;
        std::copy(last, last + (span - p), line + p);
        std::copy(last + (span - p), last + span, line);
        p_ = static_cast<int>(p);
        previous_ = block[count - 1];
    }

private:
    static std::int16_t subtracted(std::int16_t s, std::int16_t earlier, double g) {
        return toSample(std::trunc((s - g * earlier) / 2.0));
    }

    int delay_;
    float g_;
    float fb_;
    std::vector<std::int16_t> line_; // D + 1 values
    int p_ = 0;
    bool wrapped_ = false;
    std::int16_t previous_ = 0;
    std::vector<std::int16_t> history_; // run's inputs: the line's D + 1 values, then the block
};

struct SubstractSettings {
    int delay;     // D
    float subGain; // percent, single precision as the dialog holds it
    float fbGain;  // percent

    explicit SubstractSettings(const Parameters& p)
        : delay(static_cast<int>(p.number("D"))), subGain(static_cast<float>(p.number("subGain"))),
          fbGain(static_cast<float>(p.number("fbGain"))) {}
};

Kernel prepareSubstract(const Parameters& p) {
    const SubstractSettings settings(p);
    return TransformKernel{.start = [settings](const sonIO&) -> BlockTransform {
        // The delay line runs on from block to block.
        return [filter = SubstractFilter(settings.delay, settings.subGain, settings.fbGain)](
                   std::int16_t* block, std::uint32_t count) mutable { filter.run(block, count); };
    }};
}

} // namespace

const OperationDecl& substractOperation() {
    static const OperationDecl decl{
        .name = "substract",
        .caption = "Substract 1.0",
        .dialogClass = "CSubstractDialog",
        .helpCode = "EFFSUB_1.0",
        .completion = "Substract eff - done",
        .commandId = 32783,
        .animation = true,
        .helpItem = 1045,
        .fields =
            {
                {.item = 1046,
                 .label = "&Level (1, 65535) :",
                 .member = "D",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 65535,
                 .unit = "Smp",
                 .option = "level"},
                {.item = 1002,
                 .label = "Sub &Gain (-100,100):",
                 .member = "subGain",
                 .type = FieldType::Float,
                 .defaultValue = 100,
                 .minimum = -100,
                 .maximum = 100,
                 .unit = "%",
                 .option = "sub-gain"},
                {.item = 1095,
                 .label = "&Feedback Gain (-100, 100) :",
                 .member = "fbGain",
                 .type = FieldType::Float,
                 .minimum = -100,
                 .maximum = 100,
                 .unit = "%",
                 .option = "fb-gain"},
                {.item = 1003,
                 .label = "&LFO Frequency (0, 88200) :",
                 .type = FieldType::Double,
                 .maximum = 88200,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1004,
                 .label = "LFO D&epth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1151),
            },
        .notes = "Each value becomes (s - g x the value D + 1 places earlier) / 2, g being the sub "
                 "gain / 100; the first D + 1 values are halved. A feedback gain above 1/128 "
                 "(0.78125 %) mixes the output back into the delay line; smaller and negative "
                 "feedback gains do nothing. Both channels of a stereo file are one stream.",
        .sources = {.stereo = StereoWarning::Ask},
        .prepare = prepareSubstract,
    };
    return decl;
}

} // namespace sonarium
