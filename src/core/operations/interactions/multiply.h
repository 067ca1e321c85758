// What the Multiply dialog asks of the operation before its job runs.
#pragma once

#include "jobs/job_input.h"

namespace sonarium {

inline constexpr const char* kPanoramicRefusedText =
    "Function not available\non a single mono source file.";

// The panoramic mode needs an Aux other than the Source, or a stereo file when they are one.
bool panoramicAvailable(const JobInput& input);

} // namespace sonarium
