// The split of N values into n + 1 blocks of at most 64000 values.
#pragma once

#include <cstdint>

namespace sonarium {

constexpr std::uint32_t kBlockValues = 64000;

struct BlockSplit {
    std::uint32_t n = 0;   // index of the last block
    std::uint32_t per = 0; // values in each block but the last
    std::int32_t rem = 0;  // values in the last block

    // n = N / 64000 + 1, per = N / n, rem = N − per × n; a remainder below 1 takes a full
    // block and the count drops by one. N must be at least 1.
    static BlockSplit of(std::uint32_t total);
    std::uint32_t blocks() const { return n + 1; }
    std::uint32_t count(std::uint32_t j) const {
        return j == n ? static_cast<std::uint32_t>(rem) : per;
    }
    // Progress after block j of a pass spread over [base, base + span]: span × (j + 1) / (n + 1)
    // in unsigned integer division, plus base.
    int progress(std::uint32_t j, int span = 100, int base = 0) const {
        return base + static_cast<int>(static_cast<std::uint64_t>(span) * (j + 1) / (n + 1));
    }
};

} // namespace sonarium
