// Pull-mode source for the audio sink: the data chunk of a wave file, read block by block.
#include "playback/wave_stream_device.h"

#include <algorithm>
#include <cstring>

namespace sonarium {

bool WaveStreamDevice::openWave(const QString& path, qint64 firstByte, qint64 byteCount) {
    close();
    problem_.clear();
    const std::string name = path.toStdString();
    layout_ = readWaveLayout(name);
    problem_ = layout_.problem;
    if (layout_.status != WaveLayout::Status::Ok)
        return false;
    if (layout_.sampleRate == 0 || (layout_.bitsPerSample != 8 && layout_.bitsPerSample != 16)) {
        problem_ = "only 8-bit and 16-bit files with a sampling rate can be played";
        return false;
    }
    firstByte = std::max<qint64>(firstByte, 0);
    firstByte -= firstByte % layout_.blockAlign;
    qint64 available = std::max<qint64>(qint64{layout_.availableDataSize()} - firstByte, 0);
    if (byteCount >= 0)
        available = std::min(available, byteCount);
    dataBytes_ = available - available % layout_.blockAlign;
    if (dataBytes_ <= 0) {
        problem_ = "it holds no sound data";
        return false;
    }
    if (!file_.open(name, BinaryFile::Mode::Read) ||
        !file_.seek(layout_.dataOffset + static_cast<std::uint64_t>(firstByte))) {
        problem_ = file_.openError();
        return false;
    }
    delivered_ = 0;
    return QIODevice::open(QIODevice::ReadOnly);
}

void WaveStreamDevice::close() {
    file_.close();
    dataBytes_ = 0;
    delivered_ = 0;
    if (isOpen())
        QIODevice::close();
}

qint64 WaveStreamDevice::durationUSecs() const {
    if (layout_.blockAlign == 0 || layout_.sampleRate == 0)
        return 0;
    const qint64 frames = dataBytes_ / layout_.blockAlign;
    return frames * 1000000 / layout_.sampleRate;
}

qint64 WaveStreamDevice::bytesAvailable() const {
    return (dataBytes_ - delivered_) + QIODevice::bytesAvailable();
}

qint64 WaveStreamDevice::readData(char* data, qint64 maxSize) {
    const qint64 wanted = std::min(maxSize, dataBytes_ - delivered_);
    if (wanted <= 0)
        return 0;
    std::size_t got = file_.read(data, static_cast<std::size_t>(wanted));
    if (got < static_cast<std::size_t>(wanted)) {
        // The file shrank under us: play silence for the rest rather than stop short.
        std::memset(data + got, layout_.bitsPerSample == 8 ? 0x80 : 0,
                    static_cast<std::size_t>(wanted) - got);
    }
    delivered_ += wanted;
    return wanted;
}

} // namespace sonarium
