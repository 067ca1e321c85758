// The read plan of the display scan.
#include "display/read_plan.h"

#include <algorithm>

namespace sonarium {

ReadPlan makeReadPlan(std::uint32_t dataSize) {
    constexpr std::uint32_t kSpan = kDisplayColumns - 1;
    const std::uint32_t perColumn = dataSize / kSpan;
    std::uint32_t rest = dataSize % kSpan;
    const std::uint32_t unaligned = perColumn % 4;

    ReadPlan plan;
    plan.chunkSize = perColumn - unaligned;
    if (plan.chunkSize <= kMaxScanChunk) {
        rest += unaligned * kSpan;
    } else {
        const std::uint32_t coarse = perColumn % 32;
        plan.chunkSize = perColumn - coarse;
        if (plan.chunkSize > kMaxScanChunk) {
            std::uint32_t reads = plan.chunkSize / kMaxScanChunk + 1;
            while (plan.chunkSize % reads != 0)
                ++reads;
            plan.readsPerColumn = reads;
            plan.chunkSize /= reads;
        }
        // The bytes trimmed from every column are read by the last one, so the scan always
        // covers the whole data chunk.
        rest += coarse * kSpan;
    }
    plan.lastChunkSize = std::min(rest / plan.readsPerColumn, kMaxScanChunk);
    return plan;
}

} // namespace sonarium
