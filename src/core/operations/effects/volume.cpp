// Volume: every value scaled by ratio / 100, then clipped or folded ("reverted overload").
#include "jobs/sample_math.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

struct VolumeSettings {
    double factor; // ratio / 100
    bool fold;     // "Reverted Overload": fold instead of clipping

    explicit VolumeSettings(const Parameters& p)
        : factor(p.number("ratio") / 100.0), fold(p.flag("fold")) {}
};

Kernel prepareVolume(const Parameters& p) {
    const VolumeSettings settings(p);
    return TransformKernel{.startPure = [settings](const sonIO&) -> PureTransform {
        return [settings](std::int16_t* block, std::uint32_t count, std::uint32_t) {
            if (settings.fold) {
                for (std::uint32_t i = 0; i < count; ++i)
                    block[i] = toSample(foldSample(block[i] * settings.factor));
            } else {
                scaleAndClip(block, count, settings.factor);
            }
        };
    }};
}

} // namespace

const OperationDecl& volumeOperation() {
    static const OperationDecl decl{
        .name = "volume",
        .caption = "Volume 1.0",
        .dialogClass = "CVolumeDialog",
        .helpCode = "EFFVOL_1.0",
        .completion = "Volume eff - done",
        .commandId = 32794,
        .animation = true,
        .helpItem = 1048,
        .fields =
            {
                {.item = 1049,
                 .label = "&Multiply Ratio (-32768,32767) :",
                 .member = "ratio",
                 .type = FieldType::Double,
                 .defaultValue = 200,
                 .minimum = -32768,
                 .maximum = 32767,
                 .unit = "%"},
                {.item = 1047,
                 .label = "&Reverted Overload",
                 .member = "fold",
                 .type = FieldType::CheckBox},
                {.item = 1002,
                 .label = "&LFO Frequency (0, 88200) :",
                 .type = FieldType::Double,
                 .maximum = 88200,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1003,
                 .label = "LFO D&epth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1151),
            },
        .prepare = prepareVolume,
    };
    return decl;
}

} // namespace sonarium
