// Import RAW file: any file's bytes taken two by two as little-endian 16-bit mono values.
#pragma once

#include "jobs/block_job.h"
#include "wavefile/binary_file.h"

#include <string>

namespace sonarium {

// The result's path: the temporary path without its last 4 characters, "_", the imported file's
// name (extension included) and "_.wav" (".../012.wav" and drums.raw give
// ".../012_drums.raw_.wav").
std::string rawImportPath(const std::string& temporaryPath, const std::string& source);

// Copies the input's source, a regular file of L bytes, into a 44100 Hz, 16-bit mono wave file
// of L / 2 values; an odd last byte is dropped. A FIFO, device or folder is refused (it may never
// end), and so is a file whose result would not fit a wave file's 32-bit sizes.
JobOutcome importRaw(JobContext& context);
// The same for the source already opened for reading (or its bytes in memory), which
// context.input.source names in messages.
JobOutcome importRawFrom(JobContext& context, BinaryFile source);

} // namespace sonarium
