// RIFF chunk walking bounded by the real file length.
#include "wavefile/riff_reader.h"

#include "wavefile/wave_format.h"

#include <algorithm>
#include <cstring>

namespace sonarium {

std::uint64_t RiffChunk::end(std::uint64_t fileLength) const {
    return std::min<std::uint64_t>(dataOffset + size, fileLength);
}

bool RiffReader::readHeader(std::uint64_t at, RiffChunk& chunk) {
    unsigned char header[8];
    if (at + 8 > length_ || !file_.seek(at) || file_.read(header, 8) != 8)
        return false;
    std::memcpy(chunk.id.data(), header, 4);
    chunk.size = readLe32(header + 4);
    chunk.dataOffset = at + 8;
    chunk.form = {};
    return true;
}

bool RiffReader::search(const FourCC& id, const FourCC* form, std::uint64_t limit,
                        RiffChunk& found) {
    std::uint64_t at = position_;
    for (int steps = 0; steps < kMaxChunksPerSearch; ++steps) {
        RiffChunk chunk;
        if (at + 8 > limit || !readHeader(at, chunk))
            break;
        bool wanted = chunk.id == id;
        if (wanted && form != nullptr) {
            if (chunk.dataOffset + 4 > length_ || file_.read(chunk.form.data(), 4) != 4)
                break;
            wanted = chunk.form == *form;
        }
        if (wanted) {
            found = chunk;
            position_ = chunk.dataOffset + (form != nullptr ? 4 : 0);
            return file_.seek(position_);
        }
        // Chunks are padded to an even size; 8 + size is always at least 8, so this advances.
        at = chunk.dataOffset + chunk.size + (chunk.size & 1U);
    }
    position_ = std::min(at, length_);
    return false;
}

bool RiffReader::findRiff(const FourCC& form, RiffChunk& found) {
    static constexpr FourCC riff = fourCC("RIFF");
    return isOpen() && search(riff, &form, length_, found);
}

bool RiffReader::findChunk(const FourCC& id, const RiffChunk* parent, RiffChunk& found) {
    if (!isOpen())
        return false;
    std::uint64_t limit = parent != nullptr ? parent->end(length_) : length_;
    return search(id, nullptr, limit, found);
}

bool RiffReader::ascend(const RiffChunk& chunk) {
    if (!isOpen())
        return false;
    std::uint64_t next = chunk.dataOffset + chunk.size + (chunk.size & 1U);
    position_ = std::min(next, length_);
    return file_.seek(position_);
}

std::size_t RiffReader::read(void* buffer, std::size_t n, const RiffChunk& chunk) {
    std::uint64_t end = chunk.end(length_);
    if (!isOpen() || position_ >= end)
        return 0;
    std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(n, end - position_));
    std::size_t got = file_.read(buffer, wanted);
    position_ += got;
    return got;
}

std::uint32_t WaveLayout::availableDataSize() const {
    if (fileLength <= dataOffset)
        return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(declaredDataSize, fileLength - dataOffset));
}

namespace {

constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID of the extensible format after its first two bytes (the format tag).
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The format tag a file's samples follow: the extensible format names it in its sub-format.
std::uint16_t effectiveFormatTag(RiffReader& reader, const RiffChunk& format, std::uint16_t tag) {
    if (tag != kFormatExtensible)
        return tag;
    // cbSize, valid bits, channel mask, then the 16-byte sub-format.
    unsigned char extension[24];
    if (format.size < 16 + sizeof extension ||
        reader.read(extension, sizeof extension, format) != sizeof extension)
        return tag;
    if (std::memcmp(extension + 10, kSubFormatTail, sizeof kSubFormatTail) != 0)
        return tag;
    return readLe16(extension + 8);
}

// Why the samples cannot be read, and the command that brings such a file to the working format.
std::string formatProblem(std::uint16_t tag) {
    constexpr const char* kImport = "\n\nUse -Import audio file- first.";
    if (tag == kFormatFloat)
        return std::string("its samples are floating-point numbers, not PCM") + kImport;
    if (tag == kFormatExtensible)
        return std::string("its extensible format names a sub-format that is not PCM") + kImport;
    return "its samples are not PCM (format " + std::to_string(tag) + ")" + kImport;
}

} // namespace

WaveLayout readWaveLayout(const std::string& path) {
    BinaryFile file(path, BinaryFile::Mode::Read);
    return readWaveLayout(file);
}

WaveLayout readWaveLayout(BinaryFile& file) {
    WaveLayout layout;
    if (!file.isOpen()) {
        layout.problem = file.openError();
        return layout;
    }
    RiffReader reader(file);
    layout.fileLength = reader.length();

    RiffChunk riff;
    RiffChunk format;
    bool inRiff = reader.findRiff(fourCC("WAVE"), riff);
    if (!reader.findChunk(fourCC("fmt "), inRiff ? &riff : nullptr, format)) {
        layout.problem = inRiff ? "it has no format chunk" : "it is not a RIFF WAVE file";
        return layout;
    }

    layout.status = WaveLayout::Status::BadFormat;
    unsigned char fields[16];
    if (format.size < sizeof fields ||
        reader.read(fields, sizeof fields, format) != sizeof fields) {
        layout.problem = "its format chunk is incomplete";
        return layout;
    }
    layout.channels = readLe16(fields + 2);
    layout.sampleRate = readLe32(fields + 4);
    layout.byteRate = readLe32(fields + 8);
    layout.blockAlign = readLe16(fields + 12);
    layout.bitsPerSample = readLe16(fields + 14);
    layout.formatTag = effectiveFormatTag(reader, format, readLe16(fields));
    if (layout.formatTag != kFormatPcm) {
        layout.problem = formatProblem(layout.formatTag);
        return layout;
    }
    if (layout.channels == 0 || layout.blockAlign == 0 || layout.bitsPerSample == 0) {
        layout.problem = "its format chunk declares no channels or no sample size";
        return layout;
    }

    layout.status = WaveLayout::Status::NoDataChunk;
    RiffChunk data;
    if (!reader.ascend(format) ||
        !reader.findChunk(fourCC("data"), inRiff ? &riff : nullptr, data)) {
        layout.problem = "it has no data chunk";
        return layout;
    }
    layout.declaredDataSize = data.size;
    layout.dataOffset = data.dataOffset;
    layout.status = WaveLayout::Status::Ok;
    return layout;
}

std::string unreadableWaveMessage(const std::string& path, const WaveLayout& layout) {
    std::string text = "File " + path + "\ncannot be read as Wave Audio";
    if (!layout.problem.empty())
        text += "\n" + layout.problem;
    return text;
}

} // namespace sonarium
