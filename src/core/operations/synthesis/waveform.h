// The three wave shapes the oscillator syntheses draw, and the value of π they are computed with.
#pragma once

#include "jobs/sample_math.h"

#include <cmath>
#include <cstdint>

namespace sonarium {

// π to eleven decimals: the syntheses' angles and the triangle's divisor use this value, not the
// full double π, so that their results come out the same on every platform that computes in
// IEEE double precision.
constexpr double kSynthesisPi = 3.14159265359;

// In the order of the shape choices ("sine", "square", "triangle").
enum class Waveform { Sine, Square, Triangle };

// The 16-bit value of a shape at angle theta (radians, one turn per period):
// sine 32767 × sin θ, square +32767 where sin θ > 0 and −32768 elsewhere (so a period opens
// with −32768), triangle 65535 × asin(sin θ) / π, which spans −32767..+32767; each truncated.
inline std::int16_t waveValue(Waveform shape, double theta) {
    const double s = std::sin(theta);
    switch (shape) {
    case Waveform::Square:
        return s > 0 ? std::int16_t{32767} : std::int16_t{-32768};
    case Waveform::Triangle:
        return toSample(65535.0 * std::asin(s) / kSynthesisPi);
    case Waveform::Sine:
        break;
    }
    return toSample(32767.0 * s);
}

} // namespace sonarium
