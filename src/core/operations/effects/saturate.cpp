// Saturate: a three-level quantiser of the values, or of their differences when dynamic.
#include "operations/operation.h"

#include <algorithm>
#include <cmath>

namespace sonarium {

namespace {

struct SaturateSettings {
    double threshold; // "Sensitivity"
    bool dynamic;     // quantise the differences between neighbours instead of the values

    explicit SaturateSettings(const Parameters& p)
        : threshold(p.number("T")), dynamic(p.flag("dynamic")) {}
};

// The three levels of an integer value v against the sensitivity T: v > T and v < -T hold for
// integers exactly when v > floor(T) and v < -floor(T), so the comparison stays in integers.
class Quantiser {
public:
    explicit Quantiser(double threshold)
        : limit_(static_cast<int>(std::clamp(std::floor(threshold), -70000.0, 70000.0))) {}
    std::int16_t operator()(int v) const { return v > limit_ ? 32767 : v < -limit_ ? -32768 : 0; }

private:
    int limit_;
};

Kernel prepareSaturate(const Parameters& p) {
    const SaturateSettings settings(p);
    const Quantiser level(settings.threshold);
    if (!settings.dynamic)
        return TransformKernel{.startPure = [level](const sonIO&) -> PureTransform {
            return [level](std::int16_t* block, std::uint32_t count, std::uint32_t) {
                for (std::uint32_t i = 0; i < count; ++i)
                    block[i] = level(block[i]);
            };
        }};
    return TransformKernel{.start = [level](const sonIO&) -> BlockTransform {
        int previous = 0; // carried from block to block
        return [level, previous](std::int16_t* block, std::uint32_t count) mutable {
            for (std::uint32_t i = 0; i < count; ++i) {
                const int s = block[i];
                block[i] = level(s - previous);
                previous = s;
            }
        };
    }};
}

} // namespace

const OperationDecl& saturateOperation() {
    static const OperationDecl decl{
        .name = "saturate",
        .caption = "Saturate 1.1",
        .dialogClass = "CSaturateDialog",
        .helpCode = "EFFSAT_1.1",
        .completion = "Saturate eff - done",
        .commandId = 32790,
        .animation = false,
        .helpItem = 1030,
        .fields =
            {
                {.item = 1031,
                 .label = "&Sensitivity (0, 32767) :",
                 .member = "T",
                 .type = FieldType::Int32,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 32767,
                 .option = "sensitivity"},
                {.item = 1108,
                 .label = "Dynamic",
                 .member = "dynamic",
                 .type = FieldType::CheckBox},
            },
        .sources = {.stereo = StereoWarning::Ask},
        .prepare = prepareSaturate,
    };
    return decl;
}

} // namespace sonarium
