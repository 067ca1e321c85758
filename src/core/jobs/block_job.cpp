// The shared job skeleton.
#include "jobs/block_job.h"

#include "jobs/block_pipeline.h"
#include "jobs/read_ahead.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <system_error>

namespace sonarium {

namespace {

// Why a file's samples cannot go through a job that computes on 16-bit values; empty when they
// can.
std::string sampleProblem(const sonIO& source) {
    if (source.bitsPerSample == 16 && source.channels <= 2)
        return {};
    if (source.bitsPerSample == 8)
        return "File " + source.Path() + "\nis an 8-bit file.\n\nUse -Import audio file- first.";
    return "File " + source.Path() + "\nholds " + std::to_string(source.bitsPerSample) +
           "-bit sound on " + std::to_string(source.channels) +
           " channels:\nonly 16-bit mono and stereo files can be processed.\n\nUse -Import "
           "audio file- first.";
}

} // namespace

std::string changedSourceMessage(const std::string& path) {
    return "File " + path + "\nchanged while it was being processed";
}

std::string noSamplesMessage(const std::string& path) {
    return "File " + path + "\nholds no samples: there is nothing to process";
}

std::unique_ptr<sonIO> openJobSource(JobContext& context, const std::string& path,
                                     SampleAccess access, EmptySource empty) {
    auto source = std::make_unique<sonIO>(context.wave, path);
    if (!source->IsOpen())
        return nullptr; // the reader has said why
    if (access == SampleAccess::Values16) {
        if (const std::string problem = sampleProblem(*source); !problem.empty()) {
            context.reporter().report(problem, MessageIcon::Error);
            return nullptr;
        }
    }
    if (valueCount(*source) == 0 && empty == EmptySource::Refuse) {
        context.reporter().report(noSamplesMessage(path), MessageIcon::Warning);
        return nullptr;
    }
    return source;
}

std::unique_ptr<sonIO> reopenJobSource(JobContext& context, const std::string& path,
                                       std::uint32_t values) {
    auto source = std::make_unique<sonIO>(context.wave, path);
    if (!source->IsOpen())
        return nullptr; // the reader has said why
    if (valueCount(*source) != values) {
        context.stop = JobStop::SourceChanged;
        context.reporter().report(changedSourceMessage(path), MessageIcon::Error);
        return nullptr;
    }
    return source;
}

bool acceptStereo(JobContext& context, const sonIO& source) {
    if (source.channels != 2)
        return true;
    return context.reporter().report(kStereoWarningText, MessageIcon::Warning,
                                     MessageButtons::OkCancel) == Answer::Ok;
}

std::unique_ptr<sonIO> createJobDestination(JobContext& context, const ResultFormat& format,
                                            std::int64_t values) {
    const std::string path = context.destination ? context.destination() : std::string();
    if (path.empty() && context.destination)
        return nullptr; // no name was left for the result: the namer has said so
    for (const std::string& source : context.input.files()) {
        std::error_code error;
        if (std::filesystem::equivalent(path, source, error)) {
            // Writing would truncate the very file the job reads.
            context.reporter().report("File " + path +
                                          "\nis a source of this operation: the result cannot be "
                                          "written over it",
                                      MessageIcon::Error);
            return nullptr;
        }
    }
    std::unique_ptr<sonIO> destination;
    if (format.bits != 16 || format.dataBytes)
        destination =
            std::make_unique<sonIO>(context.wave, path, format.channels,
                                    format.dataBytes ? *format.dataBytes : values * format.bits / 8,
                                    format.rate != 0 ? format.rate : kDefaultRate, format.bits);
    else if (format.rate != 0)
        destination =
            std::make_unique<sonIO>(context.wave, path, format.channels, values, format.rate);
    else
        destination = std::make_unique<sonIO>(context.wave, path, format.channels, values);
    if (!destination->IsOpen())
        return nullptr;
    return destination;
}

void sourceTruncated(JobContext& context, const sonIO& source) {
    if (context.stopped())
        return;
    context.stop = JobStop::SourceChanged;
    context.reporter().report(changedSourceMessage(source.Path()), MessageIcon::Error);
}

int readValues(JobContext& context, sonIO& source, std::int16_t* buffer, std::uint32_t count) {
    const int complete = source.ReadBlock(buffer, static_cast<int>(count));
    if (source.Truncated())
        sourceTruncated(context, source);
    return complete;
}

namespace {

// The operation's words, then the file and the system's reason ("No space left on device").
void writeFailed(JobContext& context, const sonIO& destination, MessageIcon icon,
                 const char* failureText) {
    ++context.writeFailures;
    context.stop = JobStop::WriteFailed;
    const std::string detail = destination.WriteFailure();
    context.reporter().report(detail.empty() ? std::string(failureText)
                                             : std::string(failureText) + "\n\n" + detail,
                              icon);
}

} // namespace

void writeValues(JobContext& context, sonIO& destination, const std::int16_t* values,
                 std::uint32_t count, MessageIcon icon, const char* failureText) {
    if (context.stopped())
        return;
    if (destination.WriteBlock(values, static_cast<int>(count)) == 0)
        writeFailed(context, destination, icon, failureText);
}

void writeBytes(JobContext& context, sonIO& destination, const void* bytes, std::size_t count,
                MessageIcon icon, const char* failureText) {
    if (context.stopped())
        return;
    if (destination.WriteBytes(bytes, count) == 0)
        writeFailed(context, destination, icon, failureText);
}

bool continueJob(JobContext& context) {
    if (!context.stopped() && context.progress.cancelRequested())
        context.stop = JobStop::Cancelled;
    return !context.stopped();
}

JobOutcome finishJob(JobContext& context, sonIO& destination) {
    if (context.stopped()) {
        destination.Abandon();
        return stoppedOutcome(context);
    }
    const int finished = context.result == ResultFile::Open ? destination.FinishWriteAndOpen()
                                                            : destination.FinishWrite();
    if (finished == 0) {
        ++context.writeFailures;
        context.stop = JobStop::WriteFailed;
        return JobOutcome::EndedWithMessage;
    }
    return JobOutcome::Completed;
}

JobOutcome finishJob(JobContext& context, sonIO& source, sonIO& destination) {
    // A source cut short after its last read was still read in full: only a truncation seen by
    // a read counts.
    source.CloseRead();
    return finishJob(context, destination);
}

void readBlocks(JobContext& context, sonIO& source, const BlockSplit& split, ProgressSpan progress,
                const BlockVisitor& visit) {
    ReadAhead ahead(source, split);
    bool wanted = true;
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        if (wanted) {
            const ReadAhead::Block block = ahead.next();
            if (block.truncated)
                sourceTruncated(context, source);
            if (context.stopped())
                return;
            wanted = visit(block.values, split.count(j));
        }
        context.progress.setProgress(split.progress(j, progress.span, progress.base));
    }
}

void transformBlocks(JobContext& context, sonIO& source, sonIO& destination,
                     const BlockSplit& split, ProgressSpan progress, MessageIcon writeIcon,
                     const BlockTransform& transform) {
    // The transform carries state from block to block: it takes the blocks one after the other,
    // beside the reading of the next ones and the writing of those before.
    runBlockPass(context, {.source = &source,
                           .destination = &destination,
                           .split = split,
                           .order = ComputeOrder::InOrder,
                           .compute = [&transform](std::int16_t* values, const std::int16_t*,
                                                   std::uint32_t count,
                                                   std::uint32_t) { transform(values, count); },
                           .writeIcon = writeIcon,
                           .span = progress});
}

} // namespace sonarium
