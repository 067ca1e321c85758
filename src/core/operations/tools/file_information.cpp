// File Information: the text and the operation that prints it.
#include "operations/tools/file_information.h"

#include "operations/operation.h"

#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarium {

namespace {

struct FileStatus {
    std::uint64_t size = 0;
    std::time_t created = 0;
    std::time_t modified = 0;
    std::time_t read = 0;
};

// The status of the file opened for reading; "created" is its birth time where the file system
// records one, else the time its status last changed.
std::optional<FileStatus> fileStatus(const std::string& path) {
    // Without blocking: a FIFO would otherwise wait for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct statx sx {};
    const int result = ::statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &sx);
    ::close(fd);
    if (result != 0)
        return std::nullopt;
    FileStatus status;
    status.size = sx.stx_size;
    status.created = (sx.stx_mask & STATX_BTIME) != 0 ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
    status.modified = sx.stx_mtime.tv_sec;
    status.read = sx.stx_atime.tv_sec;
    return status;
}

std::string formatted(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

} // namespace

std::string formatLength(double seconds) {
    const unsigned minutes = static_cast<unsigned>(std::trunc(seconds)) / 60;
    const float rest = static_cast<float>(seconds - 60.0 * minutes);
    // The seconds get their leading zero when they print below 10: 9.9996 prints as 10.000.
    const bool oneDigit = std::round(static_cast<double>(rest) * 1000) < 10000;
    const char* format = minutes < 10 ? (oneDigit ? "0%u:0%2.3f" : "0%u:%2.3f")
                                      : (oneDigit ? "%u:0%2.3f" : "%u:%2.3f");
    return formatted(format, minutes, static_cast<double>(rest));
}

std::string formatLongTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[128];
    std::strftime(text, sizeof text, "%A, %B %d, %Y %H:%M:%S", &local);
    return text;
}

std::optional<FileInformation> fileInformation(const WaveContext& wave, const std::string& path) {
    const auto status = fileStatus(path);
    if (!status)
        return std::nullopt;
    const sonIO reader(wave, path);
    const double dataSize = reader.dataSize;
    const int bytes = reader.bitsPerSample / 8;
    // A header with no channels, no rate or samples narrower than a byte describes no length.
    const bool measurable = reader.channels > 0 && reader.sampleRate > 0 && bytes > 0;
    const double length = measurable ? dataSize / reader.sampleRate / reader.channels / bytes : 0.0;
    const auto samples =
        measurable ? static_cast<unsigned>(std::trunc(dataSize / reader.channels / bytes)) : 0U;
    std::string text =
        "File Information for:\n" + path + "\n\nsize: " + std::to_string(status->size / 1024) +
        " kB\nlength: " + formatLength(length) + " s\nsamples: " + std::to_string(samples) +
        "\n\ncreated: " + formatLongTime(status->created) +
        "\nmodified: " + formatLongTime(status->modified) +
        "\nread: " + formatLongTime(status->read) +
        "\n\nchannels: " + std::to_string(static_cast<unsigned>(reader.channels)) +
        "\nbits per sample: " + std::to_string(static_cast<unsigned>(reader.bitsPerSample)) +
        "\nsamples per second: " + std::to_string(static_cast<unsigned>(reader.sampleRate));
    return FileInformation{std::move(text), reader.IsOpen()};
}

namespace {

Kernel prepareFileInformation(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        const auto information = fileInformation(context.wave, context.input.source);
        if (!information) {
            context.report = kNoFileInformationText;
            return JobOutcome::EndedWithMessage;
        }
        context.report = information->text + "\n";
        // A file that is no wave file is still described, after the reader's message.
        return information->waveRead ? JobOutcome::Completed : JobOutcome::EndedWithMessage;
    }};
}

} // namespace

const OperationDecl& fileInformationOperation() {
    static const OperationDecl decl{
        .name = "info",
        .caption = "File Information 1.1",
        .dialogClass = "CFileInformationDialog",
        .helpCode = "TOOFIN_1.1",
        .commandId = 32967,
        .output = OutputKind::TextReport,
        .helpItem = 1721,
        .notes = "Prints the file's path as given, its size in kB, its length (MM:SS.mmm), its "
                 "sample count (frames), its creation, modification and last access times in the "
                 "long local format, its channel count, bits per sample and sampling rate. "
                 "\"created\" is the birth time where the file system records it, else the time "
                 "the file's status last changed. A header with no channels, rate or bits gives "
                 "a length of 00:00.000 and 0 samples.",
        // Any file is described, a wave file or not: the kernel reads it itself.
        .sources = {.open = false},
        .prepare = prepareFileInformation,
    };
    return decl;
}

} // namespace sonarium
