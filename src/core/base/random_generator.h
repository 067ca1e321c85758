// The 32-bit linear congruential generator behind waveform colours and the random syntheses.
#pragma once

#include <cstdint>

namespace sonarium {

// Each draw sets state = state * 214013 + 2531011 (mod 2^32) and returns bits 16..30 of the new
// state, a value from 0 to 32767. The same seed always gives the same sequence.
class RandomGenerator {
public:
    static constexpr int kMax = 32767;

    explicit RandomGenerator(std::uint32_t seed = 1) : state_(seed) {}
    void seed(std::uint32_t value) { state_ = value; }
    int next() {
        state_ = state_ * 214013U + 2531011U;
        return static_cast<int>((state_ >> 16) & 0x7FFFU);
    }
    std::uint32_t state() const { return state_; }

private:
    std::uint32_t state_;
};

} // namespace sonarium
