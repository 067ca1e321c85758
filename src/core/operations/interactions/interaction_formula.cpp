// Interaction Formula: the Source and the Aux combined value by value with one operator: their
// mean, a bitwise exclusive or, or, and, or an integer quotient.
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"

#include <stdexcept>

namespace sonarium {

namespace {

// In the order of the declaration's choices.
enum class FormulaOperator { Mix, Xor, Or, And, Div };

// s / (a × 32768) in 32-bit integer arithmetic, truncated toward zero; 0 when a is 0. Only
// s = -32768 with a = ±1 gives anything but 0.
std::int16_t quotient(std::int16_t s, std::int16_t a) {
    if (a == 0)
        return 0;
    return static_cast<std::int16_t>(static_cast<std::int32_t>(s) /
                                     (static_cast<std::int32_t>(a) * 32768));
}

void combine(FormulaOperator op, std::int16_t* out, const std::int16_t* s, const std::int16_t* a,
             std::uint32_t count) {
    switch (op) {
    case FormulaOperator::Mix:
        // The sum fits 32 bits; the division truncates toward zero.
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<std::int16_t>((std::int32_t{s[i]} + std::int32_t{a[i]}) / 2);
        break;
    case FormulaOperator::Xor:
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<std::int16_t>(s[i] ^ a[i]);
        break;
    case FormulaOperator::Or:
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<std::int16_t>(s[i] | a[i]);
        break;
    case FormulaOperator::And:
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = static_cast<std::int16_t>(s[i] & a[i]);
        break;
    case FormulaOperator::Div:
        for (std::uint32_t i = 0; i < count; ++i)
            out[i] = quotient(s[i], a[i]);
        break;
    }
}

Kernel prepareInteractionFormula(const Parameters& p) {
    const auto op = p.choice<FormulaOperator>("formula");
    return PairedKernel{.combine = [op](std::int16_t* out, const std::int16_t* s,
                                        const std::int16_t* a,
                                        std::uint32_t count) { combine(op, out, s, a, count); },
                        .warnOnChannelMismatch = true};
}

} // namespace

const OperationDecl& interactionFormulaOperation() {
    static const OperationDecl decl{
        .name = "interaction-formula",
        .caption = "Interaction Formula 1.0",
        .dialogClass = "CInteractionFormulaDialog",
        .helpCode = "INTSIM_1.0",
        .completion = "Interaction eff - done",
        .commandId = 32798,
        .input = InputKind::Two,
        .helpItem = 1600,
        .fields =
            {
                {.item = 1601,
                 .label = "&Formula :",
                 .member = "formula",
                 .type = FieldType::DropDownList,
                 .choices = {{0, "mix", "mix"},
                             {0, "xor", "xor"},
                             {0, "ora", "ora"},
                             {0, "and", "and"},
                             {0, "div", "div"}},
                 .defaultChoice = "mix",
                 .maxLength = 20},
            },
        .notes =
            "Each Source value s is combined with the Aux value a at the same place, the files "
            "paired value by value as they lie: mix (s + a) / 2 truncated toward zero; xor, ora "
            "(or), and: bitwise on the 16-bit values; div: s / (a x 32768) in 32-bit integers, 0 "
            "when a is 0. The result is as long as the shorter file, with the Source's channels. "
            "The Aux must be another file than the Source; files of different channel counts get "
            "the stereo warning.",
        .prepare = prepareInteractionFormula,
    };
    return decl;
}

} // namespace sonarium
