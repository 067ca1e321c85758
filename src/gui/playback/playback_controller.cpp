// Play, Play Looped and Stop on the Source file, with looping restarted at each end of play.
#include "playback/playback_controller.h"

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
    setFlags(false, false, true);
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
}

} // namespace sonarium
