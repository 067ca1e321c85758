// What the channel tools share: their messages, their split of the result into blocks of whole
// stereo frames, reads that leave an undelivered partner value silent, and their block loop.
#pragma once

#include "jobs/block_job.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace sonarium {

inline constexpr const char* kToolWriteErrorText = "An error occured\nwhile writing onto disk";
inline constexpr const char* kNotMonoText = "Source file is not mono";
inline constexpr const char* kNotStereoText = "Source file is not stereo";
inline constexpr const char* kNotBothMonoText = "Source files are not mono\nUse mix tool instead";

// The split of a result of `total` values into n + 1 blocks: every block but the last holds the
// same even count (whole stereo frames), the last 1 to that count. Starts from
// n = total / 64000 + 1 as the plain split does.
BlockSplit toolSplit(std::uint32_t total);

// A block of values read from one file, with room for one more: when a block ends inside a
// stereo frame, the partner value its reads did not deliver reads as 0 instead of whatever an
// earlier block left there.
struct PartnerBlock {
    std::array<std::int16_t, kBlockValues + 2> values;

    // Reads count values (at most kBlockValues) and clears the slot after them.
    void read(JobContext& context, sonIO& reader, std::uint32_t count);
    std::int16_t operator[](std::uint32_t i) const { return values[i]; }
};

// Fills out[0..count) for the next block of the result, reading what it needs.
using ToolBlock = std::function<void(std::int16_t* out, std::uint32_t count)>;

// The tools' block loop over a result of `total` values split by toolSplit: each block is made,
// the progress set, and the block written (a failure reported with the exclamation icon and the
// given text). Ends at once when the job stops.
void runToolBlocks(JobContext& context, sonIO& destination, std::uint32_t total,
                   const char* failureText, const ToolBlock& make);

// Shows the skeleton's no-samples message for the path and returns true when total is 0.
bool nothingToWrite(JobContext& context, std::uint64_t total, const std::string& path);

} // namespace sonarium
