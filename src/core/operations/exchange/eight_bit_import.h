// Import 8 bit wave file: an 8-bit wave file converted to a 16-bit one.
#pragma once

#include "jobs/block_job.h"

#include <memory>
#include <string>

namespace sonarium {

inline constexpr const char* kNotEightBitText = "This file is not 8 bit";

// The result's path: outputDir followed by the source's file name with every ".wav" replaced by
// "_16bit.wav" ("_16bit.wav" appended to a name holding no ".wav").
std::string eightBitImportPath(const std::string& source, const std::string& outputDir);

// Converts the input's source. Each data byte b becomes the value (b − 128) × 256, in file order;
// an odd last byte is dropped. The result is 16 bits at the source's rate, mono for a one-channel
// source and stereo otherwise. Only the bytes the data chunk holds in the file are read.
JobOutcome importEightBit(JobContext& context);
// The same for a reader already opened on the source (or on its bytes in memory).
JobOutcome importEightBitFrom(JobContext& context, std::unique_ptr<sonIO> source);

} // namespace sonarium
