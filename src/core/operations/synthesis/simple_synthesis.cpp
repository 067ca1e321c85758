// Simple synthesis: a sine, square or triangle tone, its frequency optionally swung by a
// low-frequency oscillator (LFO).
#include "jobs/generator_job.h"
#include "operations/operation.h"
#include "operations/synthesis/waveform.h"

#include <optional>

namespace sonarium {

namespace {

// How the LFO moves the frequency F of each value, with depth D (0..1) and φ the LFO's angle:
// Sine F − F × D × sin φ; Triangle F − F × D × asin(sin φ) (not divided by π, so it swings by up
// to ±1.5708 × D × F); Square F × (1 − D) where sin φ > 0 and F × (1 + D) elsewhere.
enum class LfoRule { Off, Sine, Triangle, Square };

struct SimpleSettings {
    std::uint32_t total;
    Waveform shape;
    double frequency;    // F, Hz
    double lfoFrequency; // Hz
    double depth;        // D = LFO depth / 100
    LfoRule lfo;

    explicit SimpleSettings(const Parameters& p)
        : total(valuesForDuration(p.number("duration"))), shape(p.choice<Waveform>("shape")),
          frequency(p.number("frequency")), lfoFrequency(p.number("lfoFrequency")),
          depth(p.number("lfoDepth") / 100.0),
          lfo(lfoRule(lfoFrequency, p.number("lfoDepth"), p.optionalChoice<Waveform>("lfoShape"))) {
    }

    // An LFO shape counts only while the LFO frequency and depth are both non-zero, as only then
    // can the dialog have one checked (Sine unless another is chosen). With one of them zero
    // and the other not, no shape is checked and the square rule applies.
    static LfoRule lfoRule(double lfoFrequency, double lfoDepth, std::optional<Waveform> shape) {
        const bool frequencySet = lfoFrequency != 0;
        const bool depthSet = lfoDepth != 0;
        if (!frequencySet && !depthSet)
            return LfoRule::Off;
        if (!frequencySet || !depthSet)
            return LfoRule::Square;
        switch (shape.value_or(Waveform::Sine)) {
        case Waveform::Square:
            return LfoRule::Square;
        case Waveform::Triangle:
            return LfoRule::Triangle;
        case Waveform::Sine:
            break;
        }
        return LfoRule::Sine;
    }
};

// Each value's angle is its own frequency times its own time t = n / 22050 (the phase is not
// carried from value to value), so a changing frequency also moves the phase.
void generateTone(const SimpleSettings& s, std::int16_t* block, std::uint32_t count,
                  std::uint32_t first) {
    const double pf = kSynthesisPi * s.frequency;
    if (s.lfo == LfoRule::Off) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const double t = static_cast<double>(first + i) / 22050.0;
            block[i] = waveValue(s.shape, pf * t);
        }
        return;
    }
    const double F = s.frequency;
    const double swing = F * s.depth;
    const double lfoPf = kSynthesisPi * s.lfoFrequency;
    for (std::uint32_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(first + i) / 22050.0;
        const double sinPhi = std::sin(lfoPf * t);
        double f = F;
        switch (s.lfo) {
        case LfoRule::Sine:
            f = F - swing * sinPhi;
            break;
        case LfoRule::Triangle:
            f = F - swing * std::asin(sinPhi);
            break;
        case LfoRule::Square:
        case LfoRule::Off:
            f = sinPhi > 0 ? F * (1 - s.depth) : F * (1 + s.depth);
            break;
        }
        block[i] = waveValue(s.shape, kSynthesisPi * f * t);
    }
}

Kernel prepareSimpleSynthesis(const Parameters& p) {
    const SimpleSettings settings(p);
    return GeneratorKernel{
        .total = settings.total,
        .order = ComputeOrder::Parallel, // a value depends on its position alone
        .generate = [settings](std::int16_t* block, std::uint32_t count, std::uint32_t first) {
            generateTone(settings, block, count, first);
        }};
}

} // namespace

const OperationDecl& simpleSynthesisOperation() {
    static const OperationDecl decl{
        .name = "simple-synthesis",
        .caption = "Simple Synthesis 1.1",
        .dialogClass = "CSimpleSynthesisDialog",
        .helpCode = "SYNSIM_1.1",
        .completion = "Simple syn - done",
        .commandId = 32778,
        .input = InputKind::None,
        .channels = OutputChannels::Mono,
        .animation = true,
        .helpItem = 1048,
        .fields =
            {
                {.item = 1002,
                 .label = "&Duration (0.001, 1000) :",
                 .member = "duration",
                 .type = FieldType::Float,
                 .defaultValue = 1,
                 .minimum = 0.001,
                 .maximum = 1000,
                 .unit = "s"},
                {.item = 1003,
                 .label = "&Frequency (0.1, 88200) :",
                 .member = "frequency",
                 .type = FieldType::Float,
                 .defaultValue = 1,
                 .minimum = 0.1,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1004,
                 .label = "&LFO Frequency (0, 88200) :",
                 .member = "lfoFrequency",
                 .type = FieldType::Float,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1005,
                 .label = "LFO D&epth (0, 100) :",
                 .member = "lfoDepth",
                 .type = FieldType::Float,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 100,
                 .unit = "%"},
                {.label = "Shape",
                 .member = "shape",
                 .type = FieldType::RadioGroup,
                 .group = "Shape",
                 .choices = {{1151, "&Sine", "sine"},
                             {1152, "S&quare", "square"},
                             {1153, "&Triangle", "triangle"}},
                 .defaultChoice = "sine"},
                {.label = "LFO Shape",
                 .member = "lfoShape",
                 .type = FieldType::RadioGroup,
                 .group = "LFO Shape",
                 .choices = {{1154, "S&ine", "sine"},
                             {1155, "Sq&uare", "square"},
                             {1156, "T&riangle", "triangle"}}},
                {.item = 1047,
                 .label = "&Bug flight",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1,
                 .enabled = false},
            },
        .notes =
            "Writes a mono 44100 Hz file of trunc(duration x 44100) values. Value n has the time "
            "t = n / 22050 and the angle pi x f x t, with pi = 3.14159265359 and f the frequency "
            "of that value: the phase is not carried from value to value, so a swinging "
            "frequency also moves the phase (\"Bug flight\", always on).\n"
            "Without LFO (LFO frequency and depth both 0) f is the frequency F. With the LFO, "
            "D = depth / 100 and phi the LFO's angle: sine f = F - F x D x sin(phi); triangle "
            "f = F - F x D x asin(sin(phi)); square f = F x (1 - D) where sin(phi) > 0, else "
            "F x (1 + D).\n"
            "--lfo-shape counts only while the LFO frequency and depth are both non-zero (sine "
            "when not given); with only one of them non-zero it is ignored and the square rule "
            "applies, so depth 50 at LFO frequency 0 gives a steady 1.5 x F.\n"
            "Square is +32767 where the sine is positive and -32768 elsewhere (a period opens "
            "with -32768); triangle spans -32767..32767.",
        .prepare = prepareSimpleSynthesis,
    };
    return decl;
}

} // namespace sonarium
