// Block reading of any PCM wave file's data chunk; block writing with the fixed 44-byte header
// and 82-byte trailer.
#include "wavefile/sonio.h"

#include "wavefile/riff_reader.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace sonarium {

static_assert(std::endian::native == std::endian::little,
              "sample blocks are moved between file and memory without byte swapping");

namespace {

constexpr const char* kEmptyPathMessage = "An error occured in module sonIO::sonIO\npath is empty";

// Data bytes of count 16-bit values; -1 (refused by the writer) when that cannot be a size.
std::int64_t valueBytes(std::int64_t count) {
    return count < 0 || static_cast<std::uint64_t>(count) > kMaxDataBytes ? -1 : 2 * count;
}

} // namespace

sonIO::sonIO(const WaveContext& context, const std::string& path) : context_(context), path_(path) {
    if (path.empty()) {
        context_.reporter.report(kEmptyPathMessage, MessageIcon::Error);
        return;
    }
    file_.open(path, BinaryFile::Mode::Read);
    startReading();
}

sonIO::sonIO(const WaveContext& context, BinaryFile file, const std::string& name)
    : context_(context), path_(name), file_(std::move(file)) {
    startReading();
}

void sonIO::startReading() {
    const WaveLayout layout = readWaveLayout(file_);
    if (layout.status != WaveLayout::Status::Ok) {
        file_.close();
        context_.reporter.report(unreadableWaveMessage(path_, layout), MessageIcon::Error);
        return;
    }
    dataSize = layout.availableDataSize();
    sampleRate = static_cast<int>(std::min<std::uint32_t>(layout.sampleRate, 0x7FFFFFFF));
    channels = layout.channels;
    bitsPerSample = layout.bitsPerSample;
    fileLength_ = layout.fileLength;
    dataStart = layout.dataOffset;
    dataEnd_ = dataStart + dataSize;
    position_ = dataStart;
    file_.seek(position_);
}

sonIO::sonIO(const WaveContext& context, const std::string& path, int channelCount,
             std::int64_t count)
    : context_(context), path_(path) {
    channels = channelCount;
    createWriter(channelCount, kDefaultRate, 16, valueBytes(count));
}

sonIO::sonIO(const WaveContext& context, const std::string& path, int channelCount,
             std::int64_t count, int rate)
    : context_(context), path_(path) {
    channels = channelCount;
    createWriter(channelCount, rate, 16, valueBytes(count));
}

sonIO::sonIO(const WaveContext& context, const std::string& path, int channelCount,
             std::int64_t bytes, int rate, int bits)
    : context_(context), path_(path) {
    channels = channelCount;
    createWriter(channelCount, rate, bits, bytes);
}

sonIO::~sonIO() = default;

void sonIO::createWriter(int channelCount, int rate, int bits, std::int64_t dataBytes) {
    // Results are mono or stereo: a count read from a malformed header (0, 3, 1025) gives stereo,
    // as the jobs that read such a source treat it.
    const int headerChannels = channelCount == 1 ? 1 : 2;
    writer_ = true;
    bitsPerSample = bits;
    samplesWritten = 0;
    if (path_.empty()) {
        context_.reporter.report(kEmptyPathMessage, MessageIcon::Error);
        return;
    }
    // The RIFF size field counts data, header and trailer in 32 bits; a larger file cannot be
    // described honestly, so it is refused before anything is created.
    if (dataBytes < 0 || static_cast<std::uint64_t>(dataBytes) > kMaxDataBytes) {
        context_.reporter.report("File " + path_ +
                                     "\ncannot be written: a wave file holds at most 4 GB of data",
                                 MessageIcon::Error);
        return;
    }
    declaredBytes_ = static_cast<std::uint64_t>(dataBytes);
    if (context_.writtenBytes != nullptr)
        staged_.createInMemory(*context_.writtenBytes);
    else if (!staged_.create(path_, context_.nameTaken)) {
        context_.reporter.report(staged_.readOnly()
                                     ? "File " + path_ + " is read-only"
                                     : "File " + path_ + "\ncannot be created\n" + staged_.error(),
                                 MessageIcon::Error);
        return;
    }
    WaveHeader header =
        buildWaveHeader(headerChannels, rate, bits, static_cast<std::uint32_t>(declaredBytes_));
    // A failed header write (a full disk) fails the first block write, which the job reports.
    writeFailed_ = !staged_.file().write(header.data(), header.size());
    if (writeFailed_)
        writeErrno_ = errno != 0 ? errno : EIO;
}

int sonIO::ReadBlock(std::int16_t* buffer, int count) {
    const std::size_t values = count > 0 ? static_cast<std::size_t>(count) : 0;
    if (values == 0) // nothing asked: 1 unless the data has ended
        return writer_ || !file_.isOpen() || position_ >= dataEnd_ ? 0 : 1;
    return ReadValues(buffer, values) == values ? 1 : 0;
}

std::size_t sonIO::ReadValues(std::int16_t* buffer, std::size_t values) {
    auto zeroFrom = [&](std::size_t first) {
        if (first < values)
            std::memset(buffer + first, 0, (values - first) * sizeof(std::int16_t));
    };
    if (writer_ || !file_.isOpen() || position_ >= dataEnd_) {
        zeroFrom(0);
        return 0;
    }
    const std::uint64_t want = 2 * static_cast<std::uint64_t>(values);
    const std::uint64_t toRead = std::min(want, dataEnd_ - position_);
    const std::size_t got = file_.read(buffer, static_cast<std::size_t>(toRead));
    if (got == want) {
        position_ += got;
        return values;
    }
    // The bytes the file still had before the data chunk's end are the file's; anything
    // missing from there was cut off after the file was opened.
    truncated_ = truncated_ || got < toRead;
    if (got % 2 != 0) // half a value: the file ended inside it
        reinterpret_cast<unsigned char*>(buffer)[got - 1] = 0;
    zeroFrom(got / 2);
    position_ = dataEnd_;
    file_.seek(position_);
    return got / 2;
}

void sonIO::SeekData(std::uint32_t offset) {
    const std::uint64_t target = static_cast<std::uint64_t>(dataStart) + offset;
    if (target > fileLength_) {
        context_.reporter.report(
            "Attempt to seek outside of file bounds\nAsked: " + std::to_string(offset) + "l",
            MessageIcon::Error);
        return;
    }
    if (!writer_ && file_.seek(target))
        position_ = target;
}

void sonIO::CloseRead() {
    if (!writer_)
        file_.close();
}

int sonIO::WriteBlock(const std::int16_t* buffer, int count) {
    if (!writer_ || !staged_.isOpen() || count < 0 || writeFailed_)
        return 0;
    samplesWritten += count;
    return WriteBytes(buffer, 2 * static_cast<std::size_t>(count));
}

std::uint32_t sonIO::CopyValues(sonIO& reader, std::uint32_t count) {
    if (!writer_ || !staged_.isOpen() || writeFailed_ || reader.writer_ || !reader.file_.isOpen())
        return 0;
    const std::uint64_t bytes = 2ULL * count;
    if (reader.position_ >= reader.dataEnd_ || bytes > reader.dataEnd_ - reader.position_)
        return 0;
    const std::size_t copied =
        staged_.file().copyFrom(reader.file_, static_cast<std::size_t>(bytes), 2);
    reader.position_ += copied;
    bytesWritten_ += copied;
    const auto values = static_cast<std::uint32_t>(copied / 2);
    samplesWritten += static_cast<int>(values);
    return values;
}

int sonIO::WriteBytes(const void* bytes, std::size_t count) {
    if (!writer_ || !staged_.isOpen() || writeFailed_)
        return 0;
    errno = 0;
    const std::size_t written = staged_.file().writeSome(bytes, count);
    bytesWritten_ += written;
    writeFailed_ = written != count;
    if (writeFailed_)
        writeErrno_ = errno != 0 ? errno : EIO;
    return writeFailed_ ? 0 : 1;
}

int sonIO::FinishWrite() {
    if (!writer_ || !staged_.isOpen())
        return 0;
    BinaryFile& file = staged_.file();
    bool ok = !writeFailed_;
    // A job that wrote less than it declared still leaves a file whose header tells the truth:
    // the missing values are written as silence before the trailer.
    if (ok && bytesWritten_ < declaredBytes_) {
        std::vector<unsigned char> silence(static_cast<std::size_t>(
            std::min<std::uint64_t>(declaredBytes_ - bytesWritten_, 1 << 20)));
        while (ok && bytesWritten_ < declaredBytes_) {
            std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>(declaredBytes_ - bytesWritten_, silence.size()));
            ok = file.write(silence.data(), n);
            bytesWritten_ += n;
        }
    }
    if (!ok && writeErrno_ == 0)
        writeErrno_ = errno != 0 ? errno : EIO;
    if (ok) {
        WaveTrailer trailer = builtInTrailer();
        BinaryFile suffix(context_.trailerPath, BinaryFile::Mode::Read);
        WaveTrailer shipped{};
        if (suffix.isOpen() && suffix.read(shipped.data(), shipped.size()) == shipped.size())
            trailer = shipped;
        errno = 0;
        ok = file.write(trailer.data(), trailer.size());
        if (!ok)
            writeErrno_ = errno != 0 ? errno : EIO;
    }
    std::string reason = writeErrno_ != 0 ? std::strerror(writeErrno_) : std::string();
    if (ok && !staged_.commit()) {
        ok = false;
        reason = staged_.error();
    }
    if (!ok) {
        staged_.discard();
        writeFailed_ = true;
        context_.reporter.report(std::string(kWriteErrorText) + "\n\nFile " + path_ + "\n" + reason,
                                 MessageIcon::None);
        return 0;
    }
    // A drawn name taken meanwhile by another program's result: this result has another one.
    if (staged_.redrawn())
        path_ = staged_.finalPath();
    return 1;
}

std::string sonIO::WriteFailure() const {
    if (!writeFailed_ || writeErrno_ == 0)
        return {};
    return "File " + path_ + "\n" + std::strerror(writeErrno_);
}

void sonIO::Abandon() {
    if (writer_)
        staged_.discard();
}

int sonIO::FinishWriteAndOpen() {
    int ok = FinishWrite();
    if (ok && context_.openDocument)
        context_.openDocument(path_);
    return ok;
}

} // namespace sonarium
