// Saturate: a three-level quantiser of the values, or of their differences when dynamic.
#include "operations/operation.h"

namespace sonarium {

namespace {

struct SaturateSettings {
    double threshold; // "Sensitivity"
    bool dynamic;     // quantise the differences between neighbours instead of the values

    explicit SaturateSettings(const Parameters& p)
        : threshold(p.number("T")), dynamic(p.flag("dynamic")) {}
};

Kernel prepareSaturate(const Parameters& p) {
    const SaturateSettings settings(p);
    return TransformKernel{.start = [settings](const sonIO&) -> BlockTransform {
        double previous = 0.0; // carried from block to block
        return [settings, previous](std::int16_t* block, std::uint32_t count) mutable {
            for (std::uint32_t i = 0; i < count; ++i) {
                const double s = block[i];
                double v = s;
                if (settings.dynamic) {
                    v = s - previous;
                    previous = s;
                }
                block[i] = v > settings.threshold ? 32767 : v < -settings.threshold ? -32768 : 0;
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
