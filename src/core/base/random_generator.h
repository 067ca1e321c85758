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
    // Moves on as n draws would, in about log2(n) steps: the n-fold generator is itself
    // state * A + C, its A and C built from the one-step ones by doubling.
    void discard(std::uint64_t n) {
        std::uint32_t mul = 214013U;
        std::uint32_t add = 2531011U;
        std::uint32_t totalMul = 1;
        std::uint32_t totalAdd = 0;
        for (; n > 0; n >>= 1) {
            if ((n & 1) != 0) {
                totalMul *= mul;
                totalAdd = totalAdd * mul + add;
            }
            add *= mul + 1;
            mul *= mul;
        }
        state_ = state_ * totalMul + totalAdd;
    }

private:
    std::uint32_t state_;
};

} // namespace sonarium
