// The test every file passes before it may join the working list or serve as a sound.
#pragma once

#include "base/reporter.h"
#include "wavefile/binary_file.h"

#include <string>

namespace sonarium {

// True when the file is a RIFF "WAVE" with a complete PCM format chunk (one or two channels,
// non-zero block alignment and sample size) and a data chunk holding at least one byte.
// Otherwise "cannot be read as Wave Audio" is reported with the reason on a line of its own.
bool IsWaveFileUsable(Reporter& reporter, const std::string& path);
// The same for a file already opened for reading (or bytes in memory) that name stands for.
bool IsWaveFileUsable(Reporter& reporter, BinaryFile& file, const std::string& name);

} // namespace sonarium
