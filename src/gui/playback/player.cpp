// Playback through a pull-mode QAudioSink fed from the file by our own reader.
#include "playback/player.h"

#include "playback/wave_stream_device.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>

namespace sonarium {

namespace {

constexpr int kPollMs = 10;
// When the sink's clock stops moving this long after the data ran out, the sound is over.
constexpr int kStalledPollsLimit = 3000 / kPollMs;

int codeOf(QAudio::Error error) {
    switch (error) {
    case QAudio::NoError:
        return player::kNoError;
    case QAudio::OpenError:
        return player::kDeviceOpenError;
    case QAudio::IOError:
        return player::kDeviceIoError;
    case QAudio::UnderrunError:
        return player::kDeviceUnderrun;
    case QAudio::FatalError:
        return player::kDeviceFatalError;
    }
    return player::kUnknownError;
}

// The sound server's thread may still report on a sink for a moment after it was stopped (a
// state change arriving after stop()); deleting the sink at once lets that report land on freed
// memory. Stopped sinks and their sources are therefore deleted a little later, or with the
// application should it end first.
void retire(std::unique_ptr<QAudioSink> sink, std::unique_ptr<WaveStreamDevice> device) {
    QCoreApplication* application = QCoreApplication::instance();
    QAudioSink* s = sink.release();
    WaveStreamDevice* d = device.release();
    if (application == nullptr)
        return;      // the process is ending, its sound system with it: nothing is deleted now
    d->setParent(s); // deleted with its sink, after it
    s->setParent(application);
    QTimer::singleShot(2000, s, [s] { delete s; });
}

} // namespace

player::player(Reporter& reporter, QObject* parent) : QObject(parent), reporter_(reporter) {
    finishPoll_.setInterval(kPollMs);
    connect(&finishPoll_, &QTimer::timeout, this, &player::checkFinished);
}

player::~player() {
    StopPlaying();
}

QString player::errorText(int code) {
    switch (code) {
    case kCannotOpenFile:
        return QStringLiteral("The file is not a playable wave file");
    case kNoOutputDevice:
        return QStringLiteral("No audio output device is available");
    case kDeviceOpenError:
        return QStringLiteral("The audio device could not be opened");
    case kDeviceIoError:
        return QStringLiteral("An input/output error occurred on the audio device");
    case kDeviceUnderrun:
        return QStringLiteral("The audio device ran out of data");
    case kDeviceFatalError:
        return QStringLiteral("A fatal error occurred on the audio device");
    default:
        return {};
    }
}

void player::reportError(int code, const char* context) {
    const QString text = errorText(code);
    const std::string message = text.isEmpty() ? std::string("Unknown MMIO error") + context
                                               : text.toStdString() + " - " + context;
    reporter_.report(message, MessageIcon::None);
}

int player::PlayFile(const QString& path) {
    return PlayRange(path, 0, -1);
}

qint64 player::playedUSecs() const {
    return sink_ ? std::min(sink_->processedUSecs(), durationUSecs_) : 0;
}

int player::PlayRange(const QString& path, qint64 firstByte, qint64 byteCount) {
    StopPlaying();
    auto device = std::make_unique<WaveStreamDevice>();
    fileProblem_.clear();
    if (!device->openWave(path, firstByte, byteCount)) {
        fileProblem_ = device->problem();
        reportError(kCannotOpenFile, "Error while opening MMIO element");
        return kCannotOpenFile;
    }
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) {
        reportError(kNoOutputDevice, "Error while playing");
        return kNoOutputDevice;
    }
    QAudioFormat format;
    format.setSampleRate(static_cast<int>(device->layout().sampleRate));
    format.setChannelCount(device->layout().channels);
    format.setSampleFormat(device->layout().bitsPerSample == 8 ? QAudioFormat::UInt8
                                                               : QAudioFormat::Int16);
    if (!output.isFormatSupported(format)) {
        reportError(kDeviceOpenError, "Error while playing");
        return kDeviceOpenError;
    }
    auto sink = std::make_unique<QAudioSink>(output, format);
    sink->start(device.get());
    if (int code = codeOf(sink->error());
        code != kNoError || sink->state() == QAudio::StoppedState) {
        code = code != kNoError ? code : kUnknownError;
        reportError(code, "Error while playing");
        return code;
    }
    durationUSecs_ = device->durationUSecs();
    lastProcessed_ = -1;
    stalledPolls_ = 0;
    device_ = std::move(device);
    sink_ = std::move(sink);
    finishPoll_.start();
    return kNoError;
}

int player::StopPlaying() {
    finishPoll_.stop();
    if (sink_) {
        sink_->stop();
        retire(std::move(sink_), std::move(device_));
    }
    device_.reset();
    return kNoError;
}

void player::checkFinished() {
    if (!sink_)
        return;
    const bool failed = sink_->state() == QAudio::StoppedState;
    if (!failed) {
        if (!device_->atEnd())
            return;
        // The sink goes idle while its last samples are still on their way to the speakers;
        // the sound is over only when the sink's clock has played the whole duration.
        const qint64 processed = sink_->processedUSecs();
        stalledPolls_ = processed == lastProcessed_ ? stalledPolls_ + 1 : 0;
        lastProcessed_ = processed;
        if (processed < durationUSecs_ && stalledPolls_ < kStalledPollsLimit)
            return;
    }
    StopPlaying();
    emit endOfPlay();
}

} // namespace sonarium
