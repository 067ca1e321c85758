// The block split rule.
#include "jobs/block_split.h"

namespace sonarium {

BlockSplit BlockSplit::of(std::uint32_t total) {
    BlockSplit s;
    s.n = total / kBlockValues + 1;
    s.per = total / s.n;
    s.rem = static_cast<std::int32_t>(total - s.per * s.n);
    if (s.rem < 1) {
        s.rem += static_cast<std::int32_t>(s.per);
        s.n -= 1;
    }
    return s;
}

} // namespace sonarium
