// The waveform windows of the session: opening a file in its own window, what a window asks of
// the main window, and the commands on windows: Select All, Duplicate Window, Print and Close
// All.
#pragma once

#include "commands/session.h"
#include "display/view_host.h"

#include <QObject>
#include <QString>

namespace sonarium {

class OperationRunner;

class WindowCommands final : public QObject, public ViewHost {
    Q_OBJECT

public:
    WindowCommands(Session& session, OperationRunner& operations);

    // Opens a file in its own waveform window, joined to the list and to the recent files;
    // nullptr when it cannot be displayed.
    CChildFrame* openDocument(const QString& path);
    void closeAll();
    // Whether a waveform window has been there since the list or the windows last changed (Close
    // All's enabling).
    bool waveWindowExists() const { return waveWindowExists_; }

    // ViewHost
    Reporter& reporter() override { return session_.reporter(); }
    ViewPreferences viewPreferences() const override;
    int tempCounter() const override;
    void StopPlaying() override { session_.StopPlaying(); }
    void AddToList(const std::string& path, int channels) override;
    void waveWindowFocused() override;
    int selectionState() const override;
    void OnSourceChanged() override;
    std::optional<double> playingFrame(const std::string& path) const override;
    std::string NextTempPath() override { return session_.NextTempPath(); }
    JobOutcome runOperation(const OperationDecl& operation, const JobInput& input,
                            const std::string& destination) override;

signals:
    void enablingChanged();
    void resultOpened(const QString& path);

private:
    void setWaveWindowExists(bool exists);

    Session& session_;
    OperationRunner& operations_;
    bool waveWindowExists_ = false;
};

} // namespace sonarium
