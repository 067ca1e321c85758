// The test every file passes before it may join the working list or serve as a sound.
#pragma once

#include "base/reporter.h"

#include <string>

namespace sonarium {

// True when the file is a RIFF "WAVE" with a complete PCM format chunk (non-zero channels,
// block alignment and sample size) and a data chunk holding at least one byte. A file without a
// format chunk is reported as unreadable; every other refusal is silent.
bool IsWaveFileUsable(Reporter& reporter, const std::string& path);

} // namespace sonarium
