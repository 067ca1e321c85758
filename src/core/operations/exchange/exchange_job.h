// What the three format exchanges share: the 8-bit sample conversions and the rule that a result
// never replaces the file it is made from.
#pragma once

#include "jobs/block_job.h"

#include <cstdint>
#include <string>

namespace sonarium {

// "This file already exists": the result would be the source itself.
inline constexpr const char* kFileExistsText = "This file already exists";

// An 8-bit sample (unsigned, 128 the zero level) as a 16-bit value: (b − 128) × 256.
constexpr std::int16_t valueOfEightBit(unsigned char sample) {
    return static_cast<std::int16_t>((sample - 128) * 256);
}

// A 16-bit value as an 8-bit sample: v / 256 truncated toward zero, + 128.
constexpr unsigned char eightBitOfValue(std::int16_t value) {
    return static_cast<unsigned char>(value / 256 + 128);
}

// Draws the destination's name once and fixes the context on it. False when no name was left
// or when the name leads to the source file however it is spelled ("./", "..", a symbolic or
// hard link), which is refused with "This file already exists" before anything is written.
bool claimDestination(JobContext& context);

} // namespace sonarium
