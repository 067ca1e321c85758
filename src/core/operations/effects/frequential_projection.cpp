// Frequential Projection: each value becomes a sine whose frequency and amplitude follow its
// magnitude, at the value's own time index.
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <cmath>

namespace sonarium {

namespace {

struct FrequentialProjectionSettings {
    double range;    // ceiling − floor, Hz over the whole magnitude scale
    double floor;    // Hz
    double floorAmp; // amplitude at magnitude 0 (or 32768 when reverted)
    double q;        // amplitude per unit of magnitude: (32767 − floorAmp) / 32767
    bool reverted;   // louder values get the smaller amplitude

    explicit FrequentialProjectionSettings(const Parameters& p)
        : range(p.number("ceiling") - p.number("floor")), floor(p.number("floor")),
          floorAmp(p.number("floorAmp")), q((32767.0 - floorAmp) / 32767.0),
          reverted(p.flag("reverted")) {}
};

// Block j's values start at time index (j − 1) × per, counted in unsigned 32 bits, so block 0
// starts at 2^32 − per. A block depends on nothing but its values and j.
class Projection {
public:
    Projection(const FrequentialProjectionSettings& settings, int channels, double halfRate,
               std::uint32_t per)
        : settings_(settings), lo_(settings.floor / channels), halfRate_(halfRate), per_(per) {}

    void block(std::int16_t* values, std::uint32_t count, std::uint32_t j) const {
        const std::uint32_t start = (j - 1U) * per_;
        for (std::uint32_t k = 0; k < count; ++k)
            values[k] = project(values[k], static_cast<double>(start + k));
    }

private:
    std::int16_t project(std::int16_t s, double tau) const {
        if (s == 0)
            return 0;
        const double magnitude = s < 0 ? -static_cast<double>(s) : s;
        const double sign = s < 0 ? -1.0 : 1.0;
        const double g = settings_.range * magnitude / 32768.0 + lo_;
        const double a = settings_.floorAmp +
                         settings_.q * (settings_.reverted ? 32768.0 - magnitude : magnitude);
        return toSample(sign * a * std::sin(tau * g / halfRate_));
    }

    FrequentialProjectionSettings settings_;
    double lo_;       // the floor divided by the channel count
    double halfRate_; // half the file's rate: 22050 at 44100 Hz
    std::uint32_t per_;
};

Kernel prepareFrequentialProjection(const Parameters& p) {
    const FrequentialProjectionSettings settings(p);
    return TransformKernel{.startPure = [settings](const sonIO& source) -> PureTransform {
        // The time index follows the blocks the framework splits the file into.
        const std::uint32_t per = BlockSplit::of(valueCount(source)).per;
        return [projection = Projection(settings, source.channels, halfRateOf(source), per)](
                   std::int16_t* block, std::uint32_t count, std::uint32_t j) {
            projection.block(block, count, j);
        };
    }};
}

} // namespace

const OperationDecl& frequentialProjectionOperation() {
    static const OperationDecl decl{
        .name = "frequential-projection",
        .caption = "Frequential Projection 1.0",
        .dialogClass = "CFrequentialProjectionDialog",
        .helpCode = "EFFFRE_1.0",
        .completion = "Freq Proj eff - done",
        .commandId = 32901,
        .animation = true,
        .helpItem = 1250,
        .fields =
            {
                {.item = 1002,
                 .label = "&Floor frequency (1, 88200) :",
                 .member = "floor",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 0,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1003,
                 .label = "&Ceiling Frequency (1, 88200) :",
                 .member = "ceiling",
                 .type = FieldType::Int32,
                 .defaultValue = 22050,
                 .minimum = 0,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1004,
                 .label = "Floor &Amplitude (0, 32767) :",
                 .member = "floorAmp",
                 .type = FieldType::Int32,
                 .defaultValue = 32767,
                 .minimum = 0,
                 .maximum = 32767},
                {.item = 1139,
                 .label = "Reverted Amplitude",
                 .member = "reverted",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1},
                {.item = 1146,
                 .label = "&LFO Frequency (0, 88200) :",
                 .type = FieldType::Double,
                 .maximum = 88200,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1147,
                 .label = "LFO &Depth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1148),
            },
        .notes = "A value s becomes sign(s) * a * sin(t * g / (R / 2)) (truncated, R the file's "
                 "rate), 0 staying 0: "
                 "with E = |s|, the frequency is g = (ceiling - floor) * E / 32768 + floor / "
                 "channels; the amplitude is a = floor amplitude + q * E, or with Reverted "
                 "Amplitude floor amplitude + q * (32768 - E), where q = (32767 - floor "
                 "amplitude) / 32767. Results are not clipped. The time index "
                 "t of value k of block j (blocks as the job splits the file, per values each "
                 "but the last) is (j - 1) * per + k in unsigned 32 bits: block 0 wraps to "
                 "2^32 - per + k.",
        .prepare = prepareFrequentialProjection,
    };
    return decl;
}

} // namespace sonarium
