// The vectorisable scale-and-clip kernel.
#include "jobs/sample_math.h"

#include <algorithm>
#include <cmath>

namespace sonarium {

namespace {

// Largest |factor| for which every product s × factor (|s| ≤ 32768) fits a 32-bit integer.
constexpr double kExactFactorLimit = 65535.0;

// Truncating first and clamping the integer afterwards gives what clipping the double and then
// truncating gives: a product above 32767 truncates to at least 32767, one below −32768 to at
// most −32768. Integer clamps and narrowing pack well into vector registers.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#endif
void scaleAndClipExact(std::int16_t* __restrict block, std::uint32_t count, double factor) {
    for (std::uint32_t i = 0; i < count; ++i) {
        const auto truncated = static_cast<std::int32_t>(block[i] * factor);
        block[i] = static_cast<std::int16_t>(std::clamp(truncated, -32768, 32767));
    }
}

} // namespace

void scaleAndClip(std::int16_t* block, std::uint32_t count, double factor) {
    if (std::fabs(factor) <= kExactFactorLimit) {
        scaleAndClipExact(block, count, factor);
        return;
    }
    for (std::uint32_t i = 0; i < count; ++i)
        block[i] = toSample(clipSample(block[i] * factor));
}

} // namespace sonarium
