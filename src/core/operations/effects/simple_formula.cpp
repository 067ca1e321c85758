// Simple Formula: one of sixteen fixed per-value formulas, chosen by the first letter of the
// formula text, or a plain copy.
#include "operations/effects/simple_formula.h"

#include "base/random_generator.h"
#include "jobs/sample_math.h"
#include "operations/effects/waveshaping.h"
#include "operations/operation.h"

#include <cmath>
#include <ctime>
#include <string>

namespace sonarium {

namespace {

constexpr const char* kUnknownFormulaText = "Sorry...\n\nI Should Have\nProgrammed This One";

// sin(w × τ / (R / 2)) × 32767 with the sign of s: the modulations G, H, I, J and O.
double modulation(double w, double tau, double halfRate, std::int16_t s) {
    return std::sin(w * tau / halfRate) * (s < 0 ? -1.0 : 1.0) * 32767.0;
}

// |s / divisor|, the division in integers (toward zero).
double dividedMagnitude(std::int16_t s, int divisor) {
    return std::abs(static_cast<int>(s) / divisor);
}

} // namespace

std::int16_t formulaValue(char letter, std::int16_t s, double tau, RandomGenerator& random,
                          double halfRate) {
    const double x = s;
    const double magnitude = std::abs(x);
    switch (letter) {
    case 'A':
        return toSample(std::sin(x * kQuarterWavePerValue) * 32767.0);
    case 'B':
        return s == 0 ? 0 : toSample(std::sin(magnitude * tau / halfRate) * 32767.0 / x);
    case 'C':
        if (s > 0)
            return toSample(std::log(x) * 32767.0 / 10.4);
        return s < 0 ? toSample(std::log(-x) * -32767.0 / 10.4) : 0;
    case 'D':
        return s == 0 ? 0 : toSample(32767.0 / x);
    case 'E':
        return toSample(std::cos(x * kQuarterWavePerValue) * (s > 0 ? 32767.0 : -32767.0));
    case 'F':
        return toSample(x * x / (s >= 0 ? 32768.0 : -32768.0));
    case 'G':
        return s == 0 ? 0 : toSample(modulation(magnitude, tau, halfRate, s));
    case 'H':
        return s == 0 ? 0 : toSample(modulation(dividedMagnitude(s, 4), tau, halfRate, s));
    case 'I':
        return s == 0 ? 0 : toSample(modulation(dividedMagnitude(s, 16), tau, halfRate, s));
    case 'J':
        return s == 0 ? 0 : toSample(modulation(dividedMagnitude(s, 256), tau, halfRate, s));
    case 'K':
        // ln 1 is 0: a magnitude of 1 gives 0 rather than a division by zero.
        if (s == 0 || magnitude == 1)
            return 0;
        return toSample(std::sin(magnitude * tau / halfRate) * 340711.266 / std::log(magnitude));
    case 'L':
        return toSample(std::sin(x * x * kQuarterWavePerValue) * 32767.0);
    case 'M':
        return toSample(std::sin((s < 0 ? -x * x : x * x) * kQuarterWavePerValue / 32768.0) *
                        32767.0);
    case 'N':
        return s == 0 ? 0 : toSample(std::sin(32768.0 / x) * 32767.0);
    case 'O':
        return s == 0 ? 0 : toSample(modulation(dividedMagnitude(s, 1024), tau, halfRate, s));
    case 'P':
        return toSample(x * random.next() / 32768.0);
    default: // Q and R: a copy
        return s;
    }
}

bool knownFormula(std::string_view text) {
    return !text.empty() && text[0] >= 'A' && text[0] <= 'R';
}

namespace {

struct SimpleFormulaSettings {
    std::string text;   // the formula text; only its first character counts
    std::uint32_t seed; // of the generator formula P draws from

    explicit SimpleFormulaSettings(const Parameters& p) : text(p.text("formula")) {
        const double given = p.number("seed");
        seed = given < 0 ? static_cast<std::uint32_t>(std::time(nullptr))
                         : static_cast<std::uint32_t>(given);
    }
};

JobOutcome runSimpleFormula(JobFiles& files, char letter, std::uint32_t seed) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    const std::uint32_t total = valueCount(source);
    sonIO* destination = files.create({.channels = source.channels}, total);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    RandomGenerator random(seed);
    const double halfRate = halfRateOf(source);
    const BlockSplit split = BlockSplit::of(total);
    // A and Q show the progress of the blocks done before the current one.
    const bool progressBehind = letter == 'A' || letter == 'Q';
    // Only P draws from the generator, in file order; every other formula depends on the value
    // and its time index alone, and its blocks are computed at once.
    runBlockPass(context,
                 {.source = &source,
                  .destination = destination,
                  .split = split,
                  .order = letter == 'P' ? ComputeOrder::InOrder : ComputeOrder::Parallel,
                  .compute =
                      [letter, halfRate, &random](std::int16_t* values, const std::int16_t*,
                                                  std::uint32_t count, std::uint32_t j) {
                          if (letter == 'Q' || letter == 'R')
                              return;
                          // The time index counts in the current block's own length: j × c + k.
                          const std::uint32_t start = j * count;
                          for (std::uint32_t k = 0; k < count; ++k)
                              values[k] =
                                  formulaValue(letter, values[k], static_cast<double>(start + k),
                                               random, halfRate);
                      },
                  .progressAt =
                      [progressBehind, split](std::uint32_t j) {
                          return progressBehind ? static_cast<int>(100ULL * j / split.blocks())
                                                : split.progress(j);
                      },
                  .writeEachBlock = true});
    return JobOutcome::Completed;
}

Kernel prepareSimpleFormula(const Parameters& p) {
    const SimpleFormulaSettings settings(p);
    if (!knownFormula(settings.text))
        return Refusal{.text = kUnknownFormulaText, .icon = MessageIcon::None};
    return FilesKernel{[letter = settings.text[0], seed = settings.seed](JobFiles& files) {
        return runSimpleFormula(files, letter, seed);
    }};
}

} // namespace

const OperationDecl& simpleFormulaOperation() {
    static const OperationDecl decl{
        .name = "simple-formula",
        .caption = "Simple Formula 1.0",
        .dialogClass = "CSimpleFormulaDialog",
        .helpCode = "EFFSIM_1.0",
        .completion = "Formula eff - done",
        .commandId = 32784,
        .animation = false,
        .helpItem = 1032,
        .fields =
            {
                {.item = 1033,
                 .label = "&Formula : ",
                 .member = "formula",
                 .type = FieldType::EditableList,
                 .choices = {{0, "Acom= sin (a)", "Acom= sin (a)"},
                             {0, "Bm+r= (1/a) sin (w*t)", "Bm+r= (1/a) sin (w*t)"},
                             {0, "Ccom= ln (a)", "Ccom= ln (a)"},
                             {0, "Drev= (1/a)", "Drev= (1/a)"},
                             {0, "Erev= cos (a)", "Erev= cos (a)"},
                             {0, "Fexp= (a*a)", "Fexp= (a*a)"},
                             {0, "Gmod= sin (w*t)", "Gmod= sin (w*t)"},
                             {0, "Hmod= sin (w*t/8)", "Hmod= sin (w*t/8)"},
                             {0, "Imod= sin (w*t/16)", "Imod= sin (w*t/16)"},
                             {0, "Jmod= sin (w*t/256)", "Jmod= sin (w*t/256)"},
                             {0, "Kmod= log (1/a) sin (w*t)", "Kmod= log (1/a) sin (w*t)"},
                             {0, "Lmod= sin (a*a)", "Lmod= sin (a*a)"},
                             {0, "Mc+e= sin (a*a)", "Mc+e= sin (a*a)"},
                             {0, "Nc+r= sin (1/a)", "Nc+r= sin (1/a)"},
                             {0, "Omod= sin (w*t/1024)", "Omod= sin (w*t/1024)"},
                             {0, "Pmod= a*rnd", "Pmod= a*rnd"}},
                 .defaultChoice = "Acom= sin (a)",
                 .maxLength = 30},
                {.label = "Generator seed",
                 .member = "seed",
                 .type = FieldType::Int64,
                 .defaultValue = -1,
                 .minimum = -1,
                 .maximum = 4294967295.0,
                 .commandLineOnly = true},
            },
        .notes = "Only the first character of the formula text counts: A to P choose the formula "
                 "of the list that starts with it, Q and R copy the file, anything else (lower "
                 "case, a blank, a digit, an empty text) is refused. s is the value, t its time "
                 "index j * c + k (block j, c the values of that block, k the place in it). "
                 "Results are not clipped: they wrap to 16 bits. H, I, J and O take w = |s / 4|, "
                 "|s / 16|, |s / 256| and |s / 1024| (integer division). P multiplies each value "
                 "by a new draw of the random generator (0..32767) / 32768; the dialog seeds it "
                 "with the time, --seed N with N (-1, the default: the time).",
        .prepare = prepareSimpleFormula,
    };
    return decl;
}

} // namespace sonarium
