// The vectorisable scale-and-clip kernel.
#include "jobs/sample_math.h"

namespace sonarium {

// On x86-64 the kernel is built twice and the wider AVX2 form is chosen at run time where the
// processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void scaleAndClip(std::int16_t* block, std::uint32_t count, double factor) {
    for (std::uint32_t i = 0; i < count; ++i) {
        double x = block[i] * factor;
        // Clipped values lie inside the 16-bit range, where truncation through 32 bits is exact.
        x = x > kSampleMax ? kSampleMax : x;
        x = x < kSampleMin ? kSampleMin : x;
        block[i] = static_cast<std::int16_t>(static_cast<std::int32_t>(x));
    }
}

} // namespace sonarium
