// player: plays one wave file at a time by path and tells its owner when the sound has ended.
#pragma once

#include "base/reporter.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class QAudioSink;

namespace sonarium {

class WaveStreamDevice;

class player final : public QObject {
    Q_OBJECT

public:
    // Result codes of PlayFile and StopPlaying; 0 is success.
    enum Error {
        kNoError = 0,
        kCannotOpenFile,  // not a playable 8/16-bit PCM wave file
        kNoOutputDevice,  // no audio output at all (no sound server)
        kDeviceOpenError, // the sink could not be opened or refused the format
        kDeviceIoError,
        kDeviceUnderrun,
        kDeviceFatalError,
        kUnknownError,
    };

    explicit player(Reporter& reporter, QObject* parent = nullptr);
    ~player() override;

    // Stops what plays, then plays the file. Errors are shown, with the context "Error while
    // opening MMIO element" (file) or "Error while playing" (sink), and returned.
    int PlayFile(const QString& path);
    // The same for byteCount bytes of the data from byte firstByte (whole frames).
    int PlayRange(const QString& path, qint64 firstByte, qint64 byteCount);
    // Stops playback when something plays. 0 when nothing plays.
    int StopPlaying();
    bool isPlaying() const { return sink_ != nullptr; }
    // How long the sink has been playing the current sound, in microseconds; 0 when silent.
    qint64 playedUSecs() const;
    // Why the last PlayFile could not open its file; empty when it could.
    const std::string& fileProblem() const { return fileProblem_; }

    // The text of an error code, empty when there is none.
    static QString errorText(int code);

signals:
    // Raised on the UI thread once the last sample has been heard.
    void endOfPlay();

private:
    void reportError(int code, const char* context);
    void checkFinished();

    Reporter& reporter_;
    std::unique_ptr<QAudioSink> sink_;
    std::unique_ptr<WaveStreamDevice> device_;
    QTimer finishPoll_;
    qint64 durationUSecs_ = 0;
    qint64 lastProcessed_ = -1;
    int stalledPolls_ = 0;
    std::string fileProblem_;
};

} // namespace sonarium
