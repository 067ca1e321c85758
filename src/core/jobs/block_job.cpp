// The shared job skeleton.
#include "jobs/block_job.h"

#include <filesystem>
#include <system_error>

namespace sonarium {

std::unique_ptr<sonIO> openJobSource(JobContext& context, const std::string& path) {
    context.sources.push_back(path);
    auto source = std::make_unique<sonIO>(context.wave, path);
    if (!source->IsOpen())
        return nullptr; // the reader has said why
    if (source->channels == 0) {
        context.reporter().report("File " + path + "\ncannot be read as Wave Audio",
                                  MessageIcon::Error);
        return nullptr;
    }
    if (valueCount(*source) == 0) {
        context.reporter().report("File " + path +
                                      "\nholds no samples: there is nothing to process",
                                  MessageIcon::Warning);
        return nullptr;
    }
    return source;
}

std::unique_ptr<sonIO> reopenJobSource(JobContext& context, const std::string& path,
                                       std::uint32_t values) {
    auto source = std::make_unique<sonIO>(context.wave, path);
    if (!source->IsOpen())
        return nullptr; // the reader has said why
    if (source->channels == 0 || valueCount(*source) != values) {
        context.reporter().report("File " + path + "\nchanged while it was being processed",
                                  MessageIcon::Error);
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

std::unique_ptr<sonIO> createJobDestination(JobContext& context, int channels,
                                            std::int64_t values) {
    const std::string path = context.destination ? context.destination() : std::string();
    for (const std::string& source : context.sources) {
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
    auto destination = std::make_unique<sonIO>(context.wave, path, channels, values);
    if (!destination->IsOpen())
        return nullptr;
    return destination;
}

void writeValues(JobContext& context, sonIO& destination, const std::int16_t* values,
                 std::uint32_t count) {
    if (destination.WriteBlock(values, static_cast<int>(count)) == 0) {
        ++context.writeFailures;
        context.reporter().report(kWriteErrorText, MessageIcon::None);
    }
}

JobOutcome finishJob(JobContext& context, sonIO& source, sonIO& destination) {
    source.CloseRead();
    const int finished =
        context.openResult ? destination.FinishWriteAndOpen() : destination.FinishWrite();
    if (finished == 0) {
        ++context.writeFailures;
        return JobOutcome::EndedWithMessage;
    }
    return JobOutcome::Completed;
}

std::optional<SameLengthJob> startSameLengthJob(JobContext& context, const std::string& sourcePath,
                                                bool warnOnStereo, JobOutcome& outcome) {
    outcome = JobOutcome::EndedWithMessage;
    SameLengthJob job;
    job.source = openJobSource(context, sourcePath);
    if (!job.source)
        return std::nullopt;
    if (warnOnStereo && !acceptStereo(context, *job.source)) {
        job.source->CloseRead();
        outcome = JobOutcome::Cancelled;
        return std::nullopt;
    }
    job.total = valueCount(*job.source);
    job.destination = createJobDestination(context, job.source->channels, job.total);
    if (!job.destination)
        return std::nullopt;
    job.split = BlockSplit::of(job.total);
    return job;
}

JobOutcome runBlockJob(JobContext& context, const std::string& sourcePath, bool warnOnStereo,
                       const BlockTransform& transform) {
    JobOutcome outcome;
    auto job = startSameLengthJob(context, sourcePath, warnOnStereo, outcome);
    if (!job)
        return outcome;
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j <= job->split.n; ++j) {
        const std::uint32_t count = job->split.count(j);
        job->source->ReadBlock(buffer->data(), static_cast<int>(count));
        transform(buffer->data(), count);
        context.progress.setProgress(job->split.progress(j));
        writeValues(context, *job->destination, buffer->data(), count);
    }
    return finishJob(context, *job->source, *job->destination);
}

} // namespace sonarium
