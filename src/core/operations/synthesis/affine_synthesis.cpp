// Affine synthesis: a straight ramp between two values, optionally bent through a sine into an
// S-shaped curve.
#include "jobs/generator_job.h"
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <cmath>

namespace sonarium {

namespace {

// π / 65536: maps the 16-bit range onto about −π/2..+π/2.
constexpr double kQuarterTurnPerValue = 0.000047936899621429444;

struct AffineSettings {
    std::uint32_t total; // N
    double origin;       // O
    double end;          // E
    bool curved;

    explicit AffineSettings(const Parameters& p)
        : total(valuesForDuration(p.number("duration"))), origin(p.number("origin")),
          end(p.number("end")), curved(p.flag("curved")) {
        // The variation method is checked like every choice, and every method draws the same
        // ramp.
        (void)p.choiceIndex("method");
    }
};

// Value n is v = O + (E − O) × n / N, so the ramp stops one step short of E; curved, it is
// 32767 × sin(v × π / 65536) instead.
void generateRamp(const AffineSettings& s, std::int16_t* block, std::uint32_t count,
                  std::uint32_t first) {
    const double rise = s.end - s.origin;
    const double total = static_cast<double>(s.total);
    for (std::uint32_t i = 0; i < count; ++i) {
        const double v = s.origin + rise * static_cast<double>(first + i) / total;
        block[i] = s.curved ? toSample(32767.0 * std::sin(v * kQuarterTurnPerValue)) : toSample(v);
    }
}

Kernel prepareAffineSynthesis(const Parameters& p) {
    const AffineSettings settings(p);
    return GeneratorKernel{
        .total = settings.total,
        .order = ComputeOrder::Parallel, // a value depends on its position alone
        .timing = ProgressTiming::AfterWrite,
        .writeIcon = MessageIcon::Warning,
        .generate = [settings](std::int16_t* block, std::uint32_t count, std::uint32_t first) {
            generateRamp(settings, block, count, first);
        }};
}

} // namespace

const OperationDecl& affineSynthesisOperation() {
    static const OperationDecl decl{
        .name = "affine-synthesis",
        .caption = "Affine Synthesis 1.1",
        .dialogClass = "CAffineSynthesisDialog",
        .helpCode = "SYNAFF_1.1",
        .completion = "Affine syn - done",
        .commandId = 32772,
        .input = InputKind::None,
        .channels = OutputChannels::Mono,
        .helpItem = 1048,
        .fields =
            {
                // The label's lower bound is 0.001; the field takes durations down to 0.0001.
                {.item = 1002,
                 .label = "&Duration (0.001, 1000) :",
                 .member = "duration",
                 .type = FieldType::Float,
                 .defaultValue = 1,
                 .minimum = 0.0001,
                 .maximum = 1000,
                 .unit = "s"},
                {.item = 1003,
                 .label = "Value at &origin (-32768, 32767) :",
                 .member = "origin",
                 .type = FieldType::Float,
                 .defaultValue = 0,
                 .minimum = -32768,
                 .maximum = 32767},
                {.item = 1004,
                 .label = "Value at &end (-32768, 32767) :",
                 .member = "end",
                 .type = FieldType::Float,
                 .defaultValue = 32767,
                 .minimum = -32768,
                 .maximum = 32767},
                {.item = 1005,
                 .label = "Variation &Method :",
                 .member = "method",
                 .type = FieldType::DropDownList,
                 .choices = {{0, "Linear", "linear"},
                             {0, "Accelerating", "accelerating"},
                             {0, "Decelerating", "decelerating"},
                             {0, "10 steps", "10-steps"},
                             {0, "100 steps", "100-steps"},
                             {0, "1000 steps", "1000-steps"},
                             {0, "Crossed steps", "crossed-steps"},
                             {0, "Wrong way first", "wrong-way-first"}},
                 .defaultChoice = "linear"},
                {.item = 1006, .label = "&Curved", .member = "curved", .type = FieldType::CheckBox},
                {.item = 1007,
                 .label = "&LFO Frequency (0, 88200) :",
                 .type = FieldType::Double,
                 .maximum = 88200,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1008,
                 .label = "LFO D&epth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1151),
            },
        .notes =
            "Writes a mono 44100 Hz file of N = trunc(duration x 44100) values (durations down to "
            "0.0001 s are taken, which gives 4 values). Value n is v = O + (E - O) x n / N, O and "
            "E the values at origin and at end, truncated toward zero: the last value stops one "
            "step short of E. Curved, it is 32767 x sin(v x pi / 65536), an S-shaped curve "
            "within -32767..32767.\n"
            "Every variation method draws this same ramp: the method is read and changes "
            "nothing. The LFO controls are shown disabled and take no part.",
        .prepare = prepareAffineSynthesis,
    };
    return decl;
}

} // namespace sonarium
