// The shape every operation's job shares: open the source, check it, create the destination,
// move blocks through a fixed buffer with progress, report write failures, finish.
#pragma once

#include "jobs/block_split.h"
#include "jobs/progress.h"
#include "jobs/reporter.h"
#include "wavefile/sonio.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

// How a job ended.
enum class JobOutcome {
    Completed,        // the destination was written and finished
    EndedWithMessage, // the job stopped with a message; no destination
    Cancelled,        // the user declined (stereo warning); no destination
};

struct JobContext {
    const WaveContext& wave;
    Progress& progress;
    // Gives the destination path when the job is about to create it (the GUI draws the next
    // temporary name only then).
    std::function<std::string()> destination;
    // Finished destinations are opened as documents (the GUI) or merely finished (command line).
    bool openResult = true;
    // Number of block writes that failed; each was reported.
    int writeFailures = 0;
    // The files the job reads; its destination may be none of them.
    std::vector<std::string> sources;

    Reporter& reporter() const { return wave.reporter; }
};

using SampleBuffer = std::array<std::int16_t, kBlockValues>;

inline constexpr const char* kWriteErrorText = "An Error Occured\nWhile Writing Onto Disk";
inline constexpr const char* kStereoWarningText =
    "This effect cannot handle stereo files.\n\nPossible stereo errors.\n\nUse first \"Split "
    "stereo channels\"\nthen  \"Group to stereo\"\nto perform the effect normally.";
inline constexpr const char* kEmptyOutputText = "This operation outputs an empty file";

// Opens a source for a job and records it among the context's sources. Nothing (the user told
// why) when the file cannot be read as a wave file or holds no values.
std::unique_ptr<sonIO> openJobSource(JobContext& context, const std::string& path);
// N: the number of 16-bit values of the source.
inline std::uint32_t valueCount(const sonIO& source) {
    return source.dataSize / 2;
}

// Opens a source again for a second pass. Nothing (the user told why) when it cannot be read any
// more or no longer holds the values counted in the first pass.
std::unique_ptr<sonIO> reopenJobSource(JobContext& context, const std::string& path,
                                       std::uint32_t values);

// The stereo warning of the effects that treat both channels as one stream: true to go on.
bool acceptStereo(JobContext& context, const sonIO& source);

// Creates the destination through the context; nothing when it could not be created or would
// replace one of the job's sources (either reported).
std::unique_ptr<sonIO> createJobDestination(JobContext& context, int channels, std::int64_t values);

// Writes values, reporting a failure once for this write and counting it.
void writeValues(JobContext& context, sonIO& destination, const std::int16_t* values,
                 std::uint32_t count);

// Closes the source and finishes the destination (opened as a document when the context asks).
JobOutcome finishJob(JobContext& context, sonIO& source, sonIO& destination);

// A source and a destination of the same length and channel layout, with the block split of
// its values: the start of every job that writes one value for each value it reads.
struct SameLengthJob {
    std::unique_ptr<sonIO> source;
    std::unique_ptr<sonIO> destination;
    std::uint32_t total = 0;
    BlockSplit split;
};
// Opens the source (asking first when warnOnStereo and it is stereo) and creates the
// destination. On failure `outcome` says how the job ended and nothing is returned.
std::optional<SameLengthJob> startSameLengthJob(JobContext& context, const std::string& sourcePath,
                                                bool warnOnStereo, JobOutcome& outcome);

// The one-pass job of most effects: every block of the source goes through transform(block,
// count, blockIndex) in place and is written to a destination of the same length and channel
// layout (44100 Hz, 16 bits).
using BlockTransform = std::function<void(std::int16_t*, std::uint32_t)>;
JobOutcome runBlockJob(JobContext& context, const std::string& sourcePath, bool warnOnStereo,
                       const BlockTransform& transform);

} // namespace sonarium
