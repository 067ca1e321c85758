// The raw import copies pieces of 64000 bytes, then the rest, through the job buffer.
#include "operations/exchange/raw_import.h"

#include "operations/exchange/exchange_job.h"
#include "wavefile/binary_file.h"
#include "wavefile/wave_format.h"
#include "workspace/working_list.h"

#include <algorithm>

namespace sonarium {

namespace {

constexpr std::uint64_t kPieceBytes = 64000;

} // namespace

std::string rawImportPath(const std::string& temporaryPath, const std::string& source) {
    const std::string stem = temporaryPath.substr(
        0, temporaryPath.size() - std::min<std::size_t>(4, temporaryPath.size()));
    return stem + "_" + source.substr(directoryPart(source).size()) + "_.wav";
}

JobOutcome importRaw(JobContext& context) {
    return importRawFrom(context, BinaryFile(context.input.source, BinaryFile::Mode::Read));
}

JobOutcome importRawFrom(JobContext& context, BinaryFile file) {
    const std::string& path = context.input.source;
    if (!file.isOpen()) {
        context.reporter().report("File " + path + "\ncannot be imported: " + file.openError(),
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint64_t length = file.size();
    const std::uint64_t values = length / 2;
    if (values == 0) {
        context.reporter().report(noSamplesMessage(path), MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (2 * values > kMaxDataBytes) {
        context.reporter().report("File " + path +
                                      "\ncannot be imported: a wave file holds at most 4 GB "
                                      "of data",
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    if (!claimDestination(context))
        return JobOutcome::EndedWithMessage;
    auto destination =
        createJobDestination(context, {.channels = 1}, static_cast<std::int64_t>(values));
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const std::uint64_t fullPieces = length / kPieceBytes;
    const std::uint64_t restValues = (length % kPieceBytes) / 2;
    const std::uint64_t pieces = fullPieces + (restValues > 0 ? 1 : 0);
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint64_t p = 0; p < pieces && continueJob(context); ++p) {
        const std::uint64_t count = p < fullPieces ? kPieceBytes / 2 : restValues;
        const std::size_t bytes = static_cast<std::size_t>(2 * count);
        if (file.read(buffer->data(), bytes) != bytes) {
            context.stop = JobStop::SourceChanged;
            context.reporter().report(changedSourceMessage(path), MessageIcon::Error);
            break;
        }
        context.progress.setProgress(static_cast<int>(100 * (p + 1) / pieces));
        writeValues(context, *destination, buffer->data(), static_cast<std::uint32_t>(count));
    }
    file.close();
    return finishJob(context, *destination);
}

} // namespace sonarium
