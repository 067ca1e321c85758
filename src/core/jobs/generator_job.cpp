// The length of a generated result.
#include "jobs/generator_job.h"

namespace sonarium {

std::uint32_t valuesForDuration(double seconds) {
    const double product = seconds * 44100.0;
    if (!(product >= 1.0))
        return 0;
    if (product >= 4294967295.0)
        return 4294967295U;
    return static_cast<std::uint32_t>(product);
}

} // namespace sonarium
