// The services every command class shares: where messages go, the Activity field, the player,
// the working list and preferences, the parent of dialogs, the waveform windows, and the main
// window on which each class installs the handlers of its own commands.
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace sonarium {

class CChildFrame;
class CMainFrame;
class PlaybackController;
class Reporter;
class WorkingList;
struct Preferences;
struct WaveContext;

class Session {
public:
    Session(CMainFrame& frame, Reporter& reporter, WorkingList& list, Preferences& preferences,
            const WaveContext& wave, PlaybackController& player)
        : frame_(frame), reporter_(reporter), list_(list), preferences_(preferences), wave_(wave),
          player_(player) {}

    Reporter& reporter() { return reporter_; }
    WorkingList& list() { return list_; }
    const WorkingList& list() const { return list_; }
    Preferences& preferences() { return preferences_; }
    const Preferences& preferences() const { return preferences_; }
    const WaveContext& waveContext() const { return wave_; }
    PlaybackController& player() { return player_; }
    CMainFrame& frame() { return frame_; }
    QWidget* dialogParent();
    std::string helpLanguage() const;

    void StopPlaying();
    void ShowActivity(const QString& text);
    // The completion text of a command that runs no declared operation ("Load file - done").
    void showActivityOf(int commandId);
    std::string NextTempPath();
    // Puts a file in the working list as the Source; the free-space readouts follow.
    void AddToList(const std::string& path, int channels);
    // The control bar's HDD and RAM readouts, for the output folder.
    void UpdateResourceReadouts();

    // The waveform windows of the main window, and the active one (nullptr when none is).
    QList<CChildFrame*> waveWindows() const;
    CChildFrame* activeWaveWindow() const;

    // Installs the handler of a command id (replacing any earlier one).
    void setHandler(int commandId, std::function<void()> handler);

private:
    CMainFrame& frame_;
    Reporter& reporter_;
    WorkingList& list_;
    Preferences& preferences_;
    const WaveContext& wave_;
    PlaybackController& player_;
};

} // namespace sonarium
