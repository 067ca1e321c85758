// Simple Formula's text as the dialog and the command line take it: the formula text (first
// line), the generator seed (second line), then values and time indexes to run it on.
#include "base/random_generator.h"
#include "fuzz_support.h"
#include "operations/effects/simple_formula.h"
#include "operations/operation.h"

#include <cstdint>
#include <cstring>
#include <string>

SONARIUM_DECLARE_OPERATION(simpleFormula);

using namespace sonarium;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest = fuzz::asText(data, size);
    const std::string text(fuzz::takeLine(rest));
    const std::string seedText(fuzz::takeLine(rest));

    const OperationDecl& decl = simpleFormulaOperation();
    // A text longer than the field takes never reaches the job.
    if (lengthMessage(*decl.field("formula"), text))
        return 0;
    if (!knownFormula(text)) {
        fuzz::check(text.empty() || text[0] < 'A' || text[0] > 'R', "only A to R name a formula");
        return 0;
    }
    double seed = -1;
    if (parseFieldValue(*decl.field("seed"), seedText, seed))
        seed = -1;
    fuzz::check(seed >= -1 && seed <= 4294967295.0, "an accepted seed lies in its range");
    // -1 asks for the time; a fixed seed keeps every run of an input the same.
    RandomGenerator random(seed < 0 ? 1U : static_cast<std::uint32_t>(seed));

    // Each record: a value (2 bytes) and a time index (4 bytes), as many as the input holds.
    const char letter = text[0];
    for (int record = 0; record < 256 && rest.size() >= 6; ++record, rest.remove_prefix(6)) {
        std::int16_t value = 0;
        std::uint32_t tau = 0;
        std::memcpy(&value, rest.data(), sizeof value);
        std::memcpy(&tau, rest.data() + 2, sizeof tau);
        const std::int16_t out = formulaValue(letter, value, tau, random);
        if (letter == 'Q' || letter == 'R')
            fuzz::check(out == value, "Q and R copy");
        if (value == 0 && letter != 'E')
            fuzz::check(out == 0, "silence stays silent");
    }
    return 0;
}
