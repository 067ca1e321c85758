// The main window's owner of the session: the working list, the preferences and the player. It
// binds them to the control bar, serves the waveform windows and the command classes, and wires
// every command id to its handler.
#pragma once

#include "app/message_box_reporter.h"
#include "commands/clipboard_commands.h"
#include "commands/exchange_commands.h"
#include "commands/file_commands.h"
#include "commands/help_commands.h"
#include "commands/operation_runner.h"
#include "display/view_host.h"
#include "frame/main_frame.h"
#include "playback/playback_controller.h"
#include "workspace/preferences.h"
#include "workspace/working_list.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace sonarium {

class CChildFrame;

class Workbench final : public QObject,
                        public ViewHost,
                        public OperationRunnerHost,
                        public FileCommandHost,
                        public HelpCommandHost {
    Q_OBJECT

public:
    // reporter: where messages go (message boxes in the program, a recorder in tests).
    Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences);
    ~Workbench() override;

    CMainFrame& frame() { return frame_; }
    WorkingList& list() override { return list_; }
    Preferences& preferences() { return preferences_; }
    const Preferences& preferences() const override { return preferences_; }
    PlaybackController& playback() { return *playback_; }
    FileCommands& files() { return files_; }
    ExchangeCommands& exchange() { return exchange_; }
    ClipboardCommands& clipboard() { return clipboard_; }
    OperationRunner& operations() { return operations_; }

    // Shared by the hosts.
    Reporter& reporter() override { return reporter_; }
    void StopPlaying() override;
    void AddToList(const std::string& path, int channels) override;
    std::string NextTempPath() override { return list_.NextTempPath(); }
    void ShowActivity(const QString& text) override { frame_.ShowActivity(text); }
    QWidget* dialogParent() override { return &frame_; }
    const WaveContext& waveContext() const override { return wave_; }
    std::string helpLanguage() const override { return preferences_.helpLanguage; }

    // ViewHost
    ViewPreferences viewPreferences() const override;
    int tempCounter() const override { return list_.tempCounter; }
    void waveWindowFocused() override;
    int selectionState() const override { return list_.selectionState; }
    void OnSourceChanged() override { list_.OnSourceChanged(); }
    JobOutcome runOperation(const OperationDecl& operation, const JobInput& input,
                            const std::string& destination) override;

    // OperationRunnerHost
    std::optional<std::string> sourcePath() const override;
    int sourceChannels() const override;
    std::optional<std::string> auxPath() const override;
    std::optional<WindowSelection> activeSelection() const override;
    void setActiveSelection(const FrameSpan& frames) override;
    // Completion sound, automatic playback and bringing the window forward after an operation.
    void AfterOperation(bool ok) override;

    // FileCommandHost
    // Opens a file in its own waveform window; nullptr when it cannot be displayed.
    CChildFrame* openDocument(const QString& path) override;
    QList<CChildFrame*> waveWindows() const override;
    CChildFrame* activeWaveWindow() const override;
    void closeAllWindows() override;
    void UpdateResourceReadouts() override;

    // HelpCommandHost
    std::string historyText() const override;
    std::string outputDirectory() const override { return list_.outputDir; }
    HelpCommands& help() { return help_; }

    void SelectOutputPath() { files_.SelectOutputPath(); }
    // "Preferences 1.6", then "Prefs Definition - done".
    void showPreferences();

    // After an operation: how the completion sound is played and the Source played (tests
    // record them instead).
    std::function<void(const QString& path)> playCompletionSound;
    std::function<void()> playSource;

signals:
    void resultOpened(const QString& path);

private:
    void installHandlers();
    void bindSelectors();
    void refreshSelectors();
    void refreshEnabling();
    // The settings changed: the output folder follows them.
    void preferencesChanged();

    CMainFrame& frame_;
    Reporter& reporter_;
    Preferences preferences_;
    WorkingList list_;
    WaveContext wave_;
    std::unique_ptr<PlaybackController> playback_;
    FileCommands files_{*this};
    ExchangeCommands exchange_{*this};
    ClipboardCommands clipboard_{*this};
    OperationRunner operations_{*this};
    HelpCommands help_{*this};
    bool waveWindowExists_ = false;
};

} // namespace sonarium
