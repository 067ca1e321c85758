// Interaction Compression: the Source bent through an iterated sine compression, blended back
// into the Source in proportion to the Aux's level (or to its own level, given one file).
#include "jobs/sample_math.h"
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"

#include <cmath>

namespace sonarium {

namespace {

// The sine curve's input scale: 32767 × this is π/2.
constexpr double kSineScale = 0.000047936899621429444;

struct CompressionSettings {
    double gain;     // G / 100
    int iterations;  // k, 1 to 64
    bool difference; // keep only the difference from the source

    explicit CompressionSettings(const Parameters& p)
        : gain(p.number("G") / 100.0), iterations(static_cast<int>(p.number("k"))),
          difference(p.flag("keepDifference")) {}

    // Source value s under the level of a.
    std::int16_t apply(double s, double a) const {
        double x = clipSample(s * gain);
        for (int i = 0; i < iterations; ++i)
            x = toSample(32767.0 * std::sin(x * kSineScale));
        const double product = a >= 0 ? (x - s) * a / 32768.0 : (s - x) * a / 32768.0;
        // No clipping: only a kept difference can leave the 16-bit range, and it wraps.
        return toSample(difference ? product : s + product);
    }
    void apply(std::int16_t* out, const std::int16_t* s, const std::int16_t* a,
               std::uint32_t count) const {
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = apply(s[i], a[i]);
    }
};

Kernel prepareInteractionCompression(const Parameters& p) {
    const CompressionSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) {
        if (!files.hasAux()) // one file: each value blended by its own level
            return transformSourcePure(
                files, MessageIcon::Error,
                [settings](std::int16_t* block, std::uint32_t count, std::uint32_t) {
                    settings.apply(block, block, block, count);
                });
        return pairSources(files, files.source().channels, MessageIcon::Error,
                           [settings](std::int16_t* out, const std::int16_t* s,
                                      const std::int16_t* a,
                                      std::uint32_t count) { settings.apply(out, s, a, count); });
    }};
}

} // namespace

const OperationDecl& interactionCompressionOperation() {
    static const OperationDecl decl{
        .name = "interaction-compression",
        .caption = "Interaction Compression 1.0",
        .dialogClass = "CInteractionCompressionDialog",
        .helpCode = "INTCOM_1.0",
        .completion = "Compression eff - done",
        .commandId = 32903,
        .input = InputKind::Two,
        .helpItem = 1630,
        .fields =
            {
                // The label shows 1 to 32768 but no value is refused.
                {.item = 1631,
                 .label = "Initial &gain (1, 32768) :",
                 .member = "G",
                 .type = FieldType::Int32,
                 .defaultValue = 100,
                 .minimum = -2147483648.0,
                 .maximum = 2147483647.0,
                 .unit = "%",
                 .option = "gain"},
                {.item = 1632,
                 .label = "&Iterations (1, 64) :",
                 .member = "k",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 64,
                 .option = "iterations"},
                {.item = 1633,
                 .label = "&Keep difference",
                 .member = "keepDifference",
                 .type = FieldType::CheckBox},
                {.item = 1634,
                 .label = "In&vert Interaction",
                 .type = FieldType::CheckBox,
                 .enabled = false},
            },
        .notes =
            "Each Source value s is scaled by G / 100 and clipped, then passed k times through "
            "x = trunc(32767 x sin(x x pi / 65534)). With q = |a| / 32768, a the Aux value at "
            "the same place, the result is s + q x (x - s): the Source where the Aux is silent, "
            "the compressed Source where it is at full scale; with Keep difference only "
            "q x (x - s), which wraps (no clipping) when it leaves the 16-bit range. The files "
            "are paired value by value as they lie, without a warning; the result is as long as "
            "the shorter file, with the Source's channels. Given the same file twice, each value "
            "is blended by its own level. The gain's label shows 1 to 32768, but no gain is "
            "refused.",
        .sources = {.aux = AuxRule::SourceAlone},
        .prepare = prepareInteractionCompression,
    };
    return decl;
}

} // namespace sonarium
