// Sample arithmetic shared by every effect: values are computed as doubles and come back to 16
// bits by truncation toward zero, after clipping or folding where the effect asks for it.
#pragma once

#include <cstdint>

namespace sonarium {

constexpr double kSampleMax = 32767.0;
constexpr double kSampleMin = -32768.0;

// Upper bound tested first; values inside pass unchanged.
inline double clipSample(double x) {
    if (x > kSampleMax)
        return kSampleMax;
    if (x < kSampleMin)
        return kSampleMin;
    return x;
}

// "Reverted overload": reflects x at the bounds until it lies inside. Each pair of reflections
// brings x 131070 closer, so the loop ends for every finite x.
inline double foldSample(double x) {
    while (x > kSampleMax || x < kSampleMin)
        x = x > 0 ? 65534.0 - x : -65536.0 - x;
    return x;
}

// Truncation toward zero keeping the low 16 bits (two's complement wrap). Values far outside
// the 32-bit range, which no effect produces after clipping or folding, are wrapped from their
// 64-bit truncation so the conversion stays defined.
inline std::int16_t toSample(double x) {
    if (x > -2147483648.0 && x < 2147483648.0)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(
            static_cast<std::uint32_t>(static_cast<std::int32_t>(x)) & 0xFFFFU));
    if (!(x == x) || x >= 9.2e18 || x <= -9.2e18)
        return 0;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(
        static_cast<std::uint64_t>(static_cast<std::int64_t>(x)) & 0xFFFFU));
}

// block[i] = truncate(clip(block[i] × factor)) for every value: the same arithmetic as the
// functions above, written so that the compiler can do several values at a time.
void scaleAndClip(std::int16_t* block, std::uint32_t count, double factor);

} // namespace sonarium
