// Simple Formula's text and per-value formulas, shared by its job and the fuzz target.
#pragma once

#include "base/random_generator.h"

#include <cstdint>
#include <string_view>

namespace sonarium {

// True when the formula text names a formula: its first character is one of A to R.
bool knownFormula(std::string_view text);

// The output of formula `letter` (A to P; Q, R and anything else copy) for value s at time index
// tau, in a file of 2 × halfRate values per second (the modulations turn at their frequency in
// real time; 22050 at 44100 Hz). Results are not clipped: they wrap to 16 bits.
std::int16_t formulaValue(char letter, std::int16_t s, double tau, RandomGenerator& random,
                          double halfRate = 22050.0);

} // namespace sonarium
