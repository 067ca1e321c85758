// Sinus Compression: a sine-shaped soft saturation, applied a chosen number of times after a gain.
#include "jobs/sample_math.h"
#include "operations/effects/waveshaping.h"
#include "operations/operation.h"

#include <cmath>
#include <memory>
#include <vector>

namespace sonarium {

namespace {

struct SinusCompressionSettings {
    double gain;    // percent
    int iterations; // passes through the sine curve, 1..64
    bool keepDiff;  // output what the shaping removed or added instead of the shaped value

    explicit SinusCompressionSettings(const Parameters& p)
        : gain(p.number("gain")), iterations(static_cast<int>(p.number("iterations"))),
          keepDiff(p.flag("keepDiff")) {}

    std::int16_t shape(std::int16_t s) const {
        double x = clipSample(s * gain / 100.0);
        for (int pass = 0; pass < iterations; ++pass)
            x = toSample(std::sin(x * kQuarterWavePerValue) * 32767.0);
        const std::int16_t shaped = toSample(x);
        if (!keepDiff)
            return shaped;
        // A 16-bit subtraction: −32767 − (−32768) is 1, 32767 − (−1) wraps.
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(shaped) -
                                         static_cast<std::uint16_t>(s));
    }
};

Kernel prepareSinusCompression(const Parameters& p) {
    const SinusCompressionSettings settings(p);
    // The output depends on the value alone: every one of the 65536 is shaped once, up front,
    // instead of up to 64 sines for each value of the file.
    auto shaped = std::make_shared<std::vector<std::int16_t>>(65536);
    for (int s = -32768; s <= 32767; ++s)
        (*shaped)[static_cast<std::size_t>(s + 32768)] =
            settings.shape(static_cast<std::int16_t>(s));
    return TransformKernel{.startPure = [shaped](const sonIO&) -> PureTransform {
        return [shaped](std::int16_t* block, std::uint32_t count, std::uint32_t) {
            for (std::uint32_t i = 0; i < count; ++i)
                block[i] = (*shaped)[static_cast<std::size_t>(block[i] + 32768)];
        };
    }};
}

} // namespace

const OperationDecl& sinusCompressionOperation() {
    static const OperationDecl decl{
        .name = "sinus-compression",
        .caption = "Sinus Compression 1.1",
        .dialogClass = "CSinusCompressionDialog",
        .helpCode = "EFFCOM_1.1",
        .completion = "Comp eff - done",
        .commandId = 32924,
        .animation = false,
        .helpItem = 1253,
        .fields =
            {
                {.item = 1002,
                 .label = "Initial &gain (1, 32768) :",
                 .member = "gain",
                 .type = FieldType::Int32,
                 .defaultValue = 100,
                 .minimum = 1,
                 .maximum = 32768,
                 .unit = "%"},
                {.item = 1003,
                 .label = "&Iterations (1, 64) :",
                 .member = "iterations",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 64},
                {.item = 1225,
                 .label = "&Keep difference",
                 .member = "keepDiff",
                 .type = FieldType::CheckBox},
            },
        .notes = "Each value is scaled by the gain and clipped, then passed through "
                 "32767 * sin(x * pi / 65536) (truncated) once per iteration: a quarter sine "
                 "wave on each side, so every pass rounds the peaks further. With Keep "
                 "difference the result is the shaped value minus the original, wrapping to "
                 "16 bits.",
        .prepare = prepareSinusCompression,
    };
    return decl;
}

} // namespace sonarium
