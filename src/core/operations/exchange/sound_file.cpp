// The virtual I/O callbacks translate the library's calls into BinaryFile's; the names of
// formats are the short ones the messages and dialogs use.
#include "operations/exchange/sound_file.h"

#include <array>
#include <cerrno>
#include <cstdio>

namespace sonarium {

namespace {

BinaryFile& fileOf(void* user) {
    return *static_cast<SoundFile::Channel*>(user)->file;
}

sf_count_t lengthOf(void* user) {
    return static_cast<sf_count_t>(fileOf(user).size());
}

sf_count_t seekTo(sf_count_t offset, int whence, void* user) {
    BinaryFile& file = fileOf(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<sf_count_t>(file.tell());
    else if (whence == SEEK_END)
        base = static_cast<sf_count_t>(file.size());
    const sf_count_t target = base + offset;
    if (target < 0 || !file.seek(static_cast<std::uint64_t>(target)))
        return -1;
    return target;
}

sf_count_t readSome(void* bytes, sf_count_t count, void* user) {
    return count <= 0
               ? 0
               : static_cast<sf_count_t>(fileOf(user).read(bytes, static_cast<std::size_t>(count)));
}

sf_count_t writeSome(const void* bytes, sf_count_t count, void* user) {
    if (count <= 0)
        return 0;
    auto& channel = *static_cast<SoundFile::Channel*>(user);
    errno = 0;
    const std::size_t written = channel.file->writeSome(bytes, static_cast<std::size_t>(count));
    // The first failure is kept: the library may go on writing (and seeking) after it.
    if (written < static_cast<std::size_t>(count) && channel.writeErrno == 0)
        channel.writeErrno = errno != 0 ? errno : EIO;
    return static_cast<sf_count_t>(written);
}

sf_count_t positionOf(void* user) {
    return static_cast<sf_count_t>(fileOf(user).tell());
}

SF_VIRTUAL_IO virtualIo{lengthOf, seekTo, readSome, writeSome, positionOf};

} // namespace

bool SoundFile::openRead(const std::string& path) {
    close();
    if (!own_.open(path, BinaryFile::Mode::Read)) {
        error_ = own_.openError();
        return false;
    }
    channel_ = {&own_, 0};
    info_ = SF_INFO{};
    handle_ = sf_open_virtual(&virtualIo, SFM_READ, &info_, &channel_);
    if (handle_ == nullptr) {
        error_ = sf_strerror(nullptr);
        own_.close();
        return false;
    }
    return true;
}

bool SoundFile::openWrite(BinaryFile& file, const SF_INFO& info) {
    close();
    channel_ = {&file, 0};
    info_ = info;
    handle_ = sf_open_virtual(&virtualIo, SFM_WRITE, &info_, &channel_);
    if (handle_ == nullptr) {
        error_ = sf_strerror(nullptr);
        return false;
    }
    return true;
}

bool SoundFile::close() {
    bool closed = true;
    if (handle_ != nullptr) {
        const int status = sf_close(handle_);
        if (status != 0) {
            error_ = sf_error_number(status);
            closed = false;
        }
        handle_ = nullptr;
    }
    own_.close();
    channel_.file = nullptr;
    return closed;
}

std::string SoundFile::libraryError() const {
    if (handle_ == nullptr || sf_error(handle_) == SF_ERR_NO_ERROR)
        return {};
    return sf_strerror(handle_);
}

std::string containerName(int format) {
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
        return "WAV";
    case SF_FORMAT_RF64:
        return "RF64";
    case SF_FORMAT_W64:
        return "W64";
    case SF_FORMAT_AIFF:
        return "AIFF";
    case SF_FORMAT_FLAC:
        return "FLAC";
    case SF_FORMAT_OGG:
        return "Ogg";
    case SF_FORMAT_MPEG:
        return "MPEG";
    case SF_FORMAT_CAF:
        return "CAF";
    case SF_FORMAT_AU:
        return "AU";
    default:
        break;
    }
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name != nullptr)
        return info.name;
    return "unknown container";
}

std::string encodingName(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return "8-bit PCM";
    case SF_FORMAT_PCM_16:
        return "16-bit PCM";
    case SF_FORMAT_PCM_24:
        return "24-bit PCM";
    case SF_FORMAT_PCM_32:
        return "32-bit PCM";
    case SF_FORMAT_FLOAT:
        return "32-bit float";
    case SF_FORMAT_DOUBLE:
        return "64-bit float";
    case SF_FORMAT_VORBIS:
        return "Vorbis";
    case SF_FORMAT_OPUS:
        return "Opus";
    case SF_FORMAT_MPEG_LAYER_I:
        return "MPEG layer I";
    case SF_FORMAT_MPEG_LAYER_II:
        return "MPEG layer II";
    case SF_FORMAT_MPEG_LAYER_III:
        return "MP3";
    case SF_FORMAT_ULAW:
        return "u-law";
    case SF_FORMAT_ALAW:
        return "A-law";
    default:
        break;
    }
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_SUBMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name != nullptr)
        return info.name;
    return "unknown encoding";
}

bool isDeepEncoding(int format) {
    constexpr std::array kDeep = {
        SF_FORMAT_PCM_24,       SF_FORMAT_PCM_32,        SF_FORMAT_FLOAT,
        SF_FORMAT_DOUBLE,       SF_FORMAT_VORBIS,        SF_FORMAT_OPUS,
        SF_FORMAT_MPEG_LAYER_I, SF_FORMAT_MPEG_LAYER_II, SF_FORMAT_MPEG_LAYER_III,
        SF_FORMAT_ALAC_20,      SF_FORMAT_ALAC_24,       SF_FORMAT_ALAC_32,
        SF_FORMAT_DWVW_24,      SF_FORMAT_DWVW_N};
    const int encoding = format & SF_FORMAT_SUBMASK;
    for (const int deep : kDeep)
        if (encoding == deep)
            return true;
    return false;
}

bool hasEstimatedLength(int format) {
    const int container = format & SF_FORMAT_TYPEMASK;
    return container == SF_FORMAT_OGG || container == SF_FORMAT_MPEG;
}

} // namespace sonarium
