// The main window's behaviour: it owns the working list, the preferences and the player, binds
// them to the control bar, serves the waveform windows, and carries out every command.
#pragma once

#include "app/message_box_reporter.h"
#include "display/view_host.h"
#include "frame/main_frame.h"
#include "operations/operation.h"
#include "playback/playback_controller.h"
#include "workspace/preferences.h"
#include "workspace/working_list.h"

#include <QObject>
#include <QString>
#include <memory>

namespace sonarium {

class CChildFrame;

class Workbench final : public QObject, public ViewHost {
    Q_OBJECT

public:
    // reporter: where messages go (message boxes in the program, a recorder in tests).
    Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences);
    ~Workbench() override;

    CMainFrame& frame() { return frame_; }
    WorkingList& list() { return list_; }
    Preferences& preferences() { return preferences_; }
    PlaybackController& playback() { return *playback_; }

    // ViewHost
    Reporter& reporter() override { return reporter_; }
    ViewPreferences viewPreferences() const override;
    int tempCounter() const override { return list_.tempCounter; }
    void StopPlaying() override;
    void AddToList(const std::string& path, int channels) override;
    void waveWindowFocused() override;
    int selectionState() const override { return list_.selectionState; }
    void OnSourceChanged() override { list_.OnSourceChanged(); }
    std::string NextTempPath() override { return list_.NextTempPath(); }
    int runExtract(const std::string& source, const std::string& destination,
                   std::uint32_t selStart, std::uint32_t selEnd) override;

    // Opens a file in its own waveform window; nullptr when it cannot be displayed.
    CChildFrame* openDocument(const QString& path);
    // The source-operation command pattern for a declared operation.
    void runSourceOperation(const OperationDecl& operation);
    // Completion sound, automatic playback and bringing the window forward after an operation.
    void AfterOperation(bool ok);
    void SelectOutputPath();
    void UpdateResourceReadouts();
    void ShowActivity(const QString& text) { frame_.ShowActivity(text); }

    // File commands.
    void openFiles(const QStringList& paths);
    void addFiles(const QStringList& paths);
    void clearList();
    void clearTemporaryDirectory();
    void closeAll();
    void saveAs(const QString& chosen);
    void rename(const QString& chosen);

    // For the tests: answers the file dialogs instead of the user.
    std::function<QStringList(const QString& title)> chooseFilesToOpen;
    std::function<QString(const QString& title, const QString& suggested)> chooseSaveName;

signals:
    void resultOpened(const QString& path);

private:
    void installHandlers();
    void bindSelectors();
    void refreshSelectors();
    void refreshEnabling();
    QList<CChildFrame*> waveWindows() const;
    CChildFrame* activeWaveWindow() const;
    std::optional<QString> sourcePlayPath() const;
    // Windows showing the old path now show the new one.
    void renameWindows(const std::string& oldPath, const std::string& newPath);

    CMainFrame& frame_;
    Reporter& reporter_;
    Preferences preferences_;
    WorkingList list_;
    WaveContext wave_;
    std::unique_ptr<PlaybackController> playback_;
    bool waveWindowExists_ = false;
    bool refreshing_ = false;
};

} // namespace sonarium
