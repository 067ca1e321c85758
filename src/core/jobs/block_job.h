// The pieces every job is made of: opening and checking a source, creating a result, moving
// blocks through a fixed buffer with progress, reporting write failures, finishing. The framework
// (jobs/kernels.h) puts them together for the operations.
#pragma once

#include "base/progress.h"
#include "base/reporter.h"
#include "jobs/block_split.h"
#include "jobs/job_input.h"
#include "wavefile/sonio.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sonarium {

// How a job ended.
enum class JobOutcome {
    Completed,        // the destination was written and finished
    EndedWithMessage, // the job stopped with a message; no destination
    Cancelled,        // the user declined (stereo warning) or stopped the job; no destination
};

// Why a running job stopped before its end.
enum class JobStop {
    None,
    Cancelled,     // the user asked it to stop
    WriteFailed,   // a write did not reach the disk (reported once)
    SourceChanged, // a source ended before its declared data (reported once)
};

// What becomes of a finished destination.
enum class ResultFile {
    Open,   // opened as a document in its own window (the editor)
    Finish, // only finished (the command line, the clipboard's exchange file, tests)
};

// Whether a job that treats both channels as one stream asks before working on a stereo file.
enum class StereoWarning { Ask, None };

struct JobContext {
    const WaveContext& wave;
    Progress& progress;
    // The files the job reads and the stretch it handles; the destination may be none of them.
    JobInput input;
    // Gives the destination path when the job is about to create it (the editor draws the next
    // temporary name only then); a job that writes two results asks once for each, in order. An
    // empty name means none was left; the namer has said so.
    std::function<std::string()> destination;
    ResultFile result = ResultFile::Open;
    // Number of writes that failed (the first one stops the job and is reported).
    int writeFailures = 0;
    // Set by the first failed write, truncated source or cancel request: the job's loops end
    // at the next block and its destination is abandoned.
    JobStop stop = JobStop::None;
    // The text a report job produced (File Information, File statistics).
    std::string report;
    // The threads that compute the job's blocks: 0 for every core the process may run on, 1 for
    // the job's own thread alone. Results are the same whatever the number.
    int threads = 0;

    Reporter& reporter() const { return wave.reporter; }
    bool stopped() const { return stop != JobStop::None; }
};

using SampleBuffer = std::array<std::int16_t, kBlockValues>;

inline constexpr const char* kStereoWarningText =
    "This effect cannot handle stereo files.\n\nPossible stereo errors.\n\nUse first \"Split "
    "stereo channels\"\nthen  \"Group to stereo\"\nto perform the effect normally.";
inline constexpr const char* kEmptyOutputText = "This operation outputs an empty file";

// What a job needs of the samples of its source.
enum class SampleAccess {
    Values16,  // it computes on 16-bit values: only 16-bit mono and stereo files will do
    AnyFormat, // it copies bytes in the source's own format
};

// Whether a source with no values is refused when it is opened, or left for the job to judge
// (a two-file job has values to write while one of its files has some).
enum class EmptySource { Refuse, Accept };

// "File PATH\nholds no samples: there is nothing to process".
std::string noSamplesMessage(const std::string& path);

// Opens a source for a job. Nothing (the user told why) when the file cannot be read as a wave
// file, holds no values (unless accepted), or holds samples the job cannot compute on.
std::unique_ptr<sonIO> openJobSource(JobContext& context, const std::string& path,
                                     SampleAccess access = SampleAccess::Values16,
                                     EmptySource empty = EmptySource::Refuse);
// N: the number of 16-bit values of the source.
inline std::uint32_t valueCount(const sonIO& source) {
    return source.dataSize / 2;
}

// Opens a source again for a second pass. Nothing (the user told why) when it cannot be read any
// more or no longer holds the values counted in the first pass.
std::unique_ptr<sonIO> reopenJobSource(JobContext& context, const std::string& path,
                                       std::uint32_t values);

// "File PATH\nchanged while it was being processed".
std::string changedSourceMessage(const std::string& path);
// "File PATH\nholds no samples: there is nothing to process".
std::string noSamplesMessage(const std::string& path);

// The stereo warning of the effects that treat both channels as one stream: true to go on.
bool acceptStereo(JobContext& context, const sonIO& source);

// The layout of a job's result: 16-bit values unless bits says otherwise.
struct ResultFormat {
    int channels = 1;
    // 0: the Source's rate for a result created through JobFiles, 44100 Hz otherwise (a result
    // made from settings alone); mono when channels is 1 and stereo otherwise.
    int rate = 0;
    int bits = 16;
    // The data size in bytes, when the result copies another file's data whatever its sample
    // width; without it the destination holds `values` values of the format's width.
    std::optional<std::int64_t> dataBytes;
};

// Creates the destination through the context for `values` values of the format's width;
// nothing when it could not be created or would replace one of the job's input files (either
// reported).
std::unique_ptr<sonIO> createJobDestination(JobContext& context, const ResultFormat& format,
                                            std::int64_t values);

// A source found cut short stops the job with its message, once.
void sourceTruncated(JobContext& context, const sonIO& source);

// Reads count values into buffer (ReadBlock's result). A source found truncated stops the job
// with its message, once.
int readValues(JobContext& context, sonIO& source, std::int16_t* buffer, std::uint32_t count);

// Writes values unless the job has stopped. The first failed write is reported (with the given
// icon, in the operation's own words), counted, and stops the job.
void writeValues(JobContext& context, sonIO& destination, const std::int16_t* values,
                 std::uint32_t count, MessageIcon icon = MessageIcon::None,
                 const char* failureText = kWriteErrorText);
// The same for count bytes written as they are (8-bit samples).
void writeBytes(JobContext& context, sonIO& destination, const void* bytes, std::size_t count,
                MessageIcon icon = MessageIcon::None, const char* failureText = kWriteErrorText);

// How a stopped job ended: Cancelled after the user's request, EndedWithMessage otherwise.
inline JobOutcome stoppedOutcome(const JobContext& context) {
    return context.stop == JobStop::Cancelled ? JobOutcome::Cancelled
                                              : JobOutcome::EndedWithMessage;
}

// Between two blocks: false once the job must end (a failure, or the user's cancel request,
// which is taken up here).
bool continueJob(JobContext& context);

// Closes the source and finishes the destination (opened as a document when the context asks).
// A stopped job's destination is abandoned instead: nothing is left under its name.
JobOutcome finishJob(JobContext& context, sonIO& source, sonIO& destination);
// The same for a job with no source (syntheses) or whose sources are already closed.
JobOutcome finishJob(JobContext& context, sonIO& destination);

// The share of the progress bar one pass over the blocks covers: after block j it shows
// base + span × (j + 1) / (n + 1).
struct ProgressSpan {
    int span = 100;
    int base = 0;
};

// One pass that only reads: each block of the split is read (ahead of the job, on a thread of
// its own) and handed to visit(block, count), then the progress is set. Once visit returns false it
// needs no more values: the later blocks are not read, only counted in the progress. A stopped job
// ends the pass at once.
using BlockVisitor = std::function<bool(std::int16_t*, std::uint32_t)>;
void readBlocks(JobContext& context, sonIO& source, const BlockSplit& split, ProgressSpan progress,
                const BlockVisitor& visit);

// One pass that writes a value for every value it reads: each block is read (ahead, as above),
// changed in place by transform(block, count) and the progress set; the blocks are written a
// run at a time (a failed write reported with writeIcon). A stopped job ends the pass at once,
// leaving the blocks changed since the last run unwritten.
using BlockTransform = std::function<void(std::int16_t*, std::uint32_t)>;
void transformBlocks(JobContext& context, sonIO& source, sonIO& destination,
                     const BlockSplit& split, ProgressSpan progress, MessageIcon writeIcon,
                     const BlockTransform& transform);

} // namespace sonarium
