// Play, Play Looped and Stop on the Source file, with looping restarted at each end of play.
#include "playback/playback_controller.h"

#include "wavefile/riff_reader.h"

namespace sonarium {

PlaybackController::PlaybackController(Reporter& reporter,
                                       std::function<std::optional<QString>()> sourcePath,
                                       std::function<bool()> hasSource, QObject* parent)
    : QObject(parent), reporter_(reporter), player_(reporter), sourcePath_(std::move(sourcePath)),
      hasSource_(std::move(hasSource)) {
    connect(&player_, &player::endOfPlay, this, &PlaybackController::onEndOfPlay);
    refreshEnabling();
}

void PlaybackController::setFlags(bool play, bool playLooped, bool playing) {
    const bool changed =
        play != playAllowed_ || playLooped != playLoopedAllowed_ || playing != playing_;
    playAllowed_ = play;
    playLoopedAllowed_ = playLooped;
    playing_ = playing;
    if (changed)
        emit enablingChanged();
}

void PlaybackController::refreshEnabling() {
    if (!playing_)
        setFlags(hasSource_(), hasSource_(), false);
}

void PlaybackController::Play() {
    start(false);
}

void PlaybackController::PlayLooped() {
    start(true);
}

void PlaybackController::start(bool loop) {
    Stop();
    looping_ = false;
    std::optional<QString> path = sourcePath_();
    if (!path)
        return;
    if (loop) {
        looping_ = true;
        loopPath_ = *path;
    }
    if (player_.PlayFile(*path) != player::kNoError) {
        looping_ = false;
        const std::string& problem = player_.fileProblem();
        reporter_.report(problem.empty() ? "Error while playing"
                                         : "Error while playing\n" + problem,
                         MessageIcon::Warning);
        return;
    }
    started(*path, 0);
}

void PlaybackController::started(const QString& path, qint64 firstByte) {
    const WaveLayout layout = readWaveLayout(path.toStdString());
    playPath_ = path;
    playFirstByte_ = firstByte;
    frameBytes_ = layout.blockAlign;
    playRate_ = static_cast<int>(layout.sampleRate);
    setFlags(false, false, true);
}

void PlaybackController::PlayRange(const QString& path, qint64 firstByte, qint64 byteCount) {
    Stop();
    looping_ = false;
    if (player_.PlayRange(path, firstByte, byteCount) != player::kNoError) {
        const std::string& problem = player_.fileProblem();
        reporter_.report(problem.empty() ? "Error while playing"
                                         : "Error while playing\n" + problem,
                         MessageIcon::Warning);
        return;
    }
    started(path, firstByte);
}

std::optional<double> PlaybackController::playingFrame(const QString& path) const {
    if (!playing_ || !player_.isPlaying() || path != playPath_ || frameBytes_ <= 0)
        return std::nullopt;
    return static_cast<double>(playFirstByte_ / frameBytes_) +
           static_cast<double>(player_.playedUSecs()) * playRate_ / 1e6;
}

void PlaybackController::Stop() {
    looping_ = false;
    if (player_.StopPlaying() != player::kNoError) {
        reporter_.report("Error while stopping MMIO device", MessageIcon::None);
        return;
    }
    setFlags(hasSource_(), hasSource_(), false);
}

void PlaybackController::onEndOfPlay() {
    if (!looping_) {
        Stop();
        return;
    }
    if (player_.StopPlaying() != player::kNoError)
        return;
    if (player_.PlayFile(loopPath_) != player::kNoError) {
        looping_ = false;
        setFlags(false, false, false);
    }
    playFirstByte_ = 0;
}

} // namespace sonarium
