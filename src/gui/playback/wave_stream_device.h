// Streams the sample data of a wave file to an audio sink, straight from the file.
#pragma once

#include "wavefile/binary_file.h"
#include "wavefile/riff_reader.h"

#include <QIODevice>
#include <QString>

namespace sonarium {

class WaveStreamDevice final : public QIODevice {
    Q_OBJECT

public:
    explicit WaveStreamDevice(QObject* parent = nullptr) : QIODevice(parent) {}

    // Opens the file and positions at its data chunk, or at byte firstByte of the data to play
    // byteCount bytes from there (to the end when negative). False when the file is not a PCM
    // wave file of 8 or 16 bits with at least one whole frame of data there.
    bool openWave(const QString& path, qint64 firstByte = 0, qint64 byteCount = -1);
    void close() override;

    const WaveLayout& layout() const { return layout_; }
    // Why the last openWave failed ("No such file or directory", ...); empty when it did not.
    const std::string& problem() const { return problem_; }
    // Whole frames of data, in bytes.
    qint64 dataBytes() const { return dataBytes_; }
    // How long the data lasts when played at its own rate, in microseconds.
    qint64 durationUSecs() const;

    bool isSequential() const override { return true; }
    bool atEnd() const override { return delivered_ >= dataBytes_; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    BinaryFile file_;
    WaveLayout layout_;
    std::string problem_;
    qint64 dataBytes_ = 0;
    qint64 delivered_ = 0;
};

} // namespace sonarium
