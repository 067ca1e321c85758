// The main frame's playback commands: Play, Play Looped, Stop, and the end-of-play handling.
#pragma once

#include "playback/player.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace sonarium {

class PlaybackController final : public QObject {
    Q_OBJECT

public:
    // sourcePath: the path of the file the Source selection names (nullopt when nothing is
    // selected or no slot matches). hasSource: whether the Source selector has a selection.
    PlaybackController(Reporter& reporter, std::function<std::optional<QString>()> sourcePath,
                       std::function<bool()> hasSource, QObject* parent = nullptr);

    void Play();
    void PlayLooped();
    // Plays byteCount bytes of the data of the file at path from byte firstByte, once.
    void PlayRange(const QString& path, qint64 firstByte, qint64 byteCount);
    void Stop();

    // The frame of the file at path being heard now, while it plays.
    std::optional<double> playingFrame(const QString& path) const;

    // The three enabling flags of the playback commands.
    bool playAllowed() const { return playAllowed_; }
    bool playLoopedAllowed() const { return playLoopedAllowed_; }
    bool playing() const { return playing_; }
    bool looping() const { return looping_; }
    // Called when the Source selection changes while nothing plays.
    void refreshEnabling();

    player& audio() { return player_; }

signals:
    void enablingChanged();

private:
    void start(bool loop);
    void started(const QString& path, qint64 firstByte);
    void onEndOfPlay();
    void setFlags(bool play, bool playLooped, bool playing);

    Reporter& reporter_;
    player player_;
    std::function<std::optional<QString>()> sourcePath_;
    std::function<bool()> hasSource_;
    bool looping_ = false;
    QString loopPath_;
    QString playPath_;         // what plays
    qint64 playFirstByte_ = 0; // where in its data it started
    int frameBytes_ = 0;
    int playRate_ = 0;
    bool playAllowed_ = false;
    bool playLoopedAllowed_ = false;
    bool playing_ = false;
};

} // namespace sonarium
