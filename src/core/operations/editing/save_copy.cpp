// Save As copies the file's bytes as they are: a copy made through a job's writer would give
// every file the working format and lose whatever else the file holds.
#include "operations/editing/save_copy.h"

#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace sonarium {

namespace {

constexpr std::size_t kPiece = std::size_t{1} << 20;

std::string systemReason() {
    return std::strerror(errno != 0 ? errno : EIO);
}

} // namespace

JobOutcome saveAsCopy(JobContext& context) {
    const std::string& sourcePath = context.input.source;
    BinaryFile in(sourcePath, BinaryFile::Mode::Read);
    if (!in.isOpen()) {
        context.reporter().report("File " + sourcePath + "\ncannot be read\n" + in.openError(),
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    const std::string path = context.destination ? context.destination() : std::string();
    if (path.empty())
        return JobOutcome::EndedWithMessage; // no name was left: the namer has said so
    std::error_code same;
    if (std::filesystem::equivalent(path, sourcePath, same))
        return JobOutcome::Completed; // the file is already there, as it is
    StagedFile out;
    if (!out.create(path)) {
        context.reporter().report(out.readOnly()
                                      ? "File " + path + " is read-only"
                                      : "File " + path + "\ncannot be created\n" + out.error(),
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    const std::uint64_t total = in.size();
    std::uint64_t copied = 0;
    std::vector<unsigned char> buffer;
    while (copied < total && continueJob(context)) {
        const auto piece =
            static_cast<std::size_t>(std::min<std::uint64_t>(total - copied, kPiece));
        errno = 0;
        // Inside the kernel where the system can; through the buffer otherwise.
        std::size_t moved = out.file().copyFrom(in, piece);
        if (moved == 0) {
            buffer.resize(kPiece);
            const std::size_t got = in.read(buffer.data(), piece);
            if (got == 0) {
                // The file is shorter than when it was opened: another program changed it.
                context.stop = JobStop::SourceChanged;
                context.reporter().report(changedSourceMessage(sourcePath), MessageIcon::Error);
                break;
            }
            if (!out.file().write(buffer.data(), got)) {
                context.stop = JobStop::WriteFailed;
                context.reporter().report(std::string(kWriteErrorText) + "\n\nFile " + path + "\n" +
                                              systemReason(),
                                          MessageIcon::Error);
                break;
            }
            moved = got;
        }
        copied += moved;
        context.progress.setProgress(static_cast<int>(100 * copied / total));
    }
    if (context.stopped()) {
        out.discard();
        return stoppedOutcome(context);
    }
    if (!out.commit()) {
        context.reporter().report(std::string(kWriteErrorText) + "\n\nFile " + path + "\n" +
                                      out.error(),
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    return JobOutcome::Completed;
}

} // namespace sonarium
