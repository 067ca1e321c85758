// The owner of the session: the working list, the preferences, the player and the command
// classes, each handed the session's shared services and installing its own commands. It binds
// the list to the control bar's selectors and the enabling of commands to the list, the player
// and the windows.
#pragma once

#include "commands/clipboard_commands.h"
#include "commands/exchange_commands.h"
#include "commands/file_commands.h"
#include "commands/help_commands.h"
#include "commands/operation_runner.h"
#include "commands/option_commands.h"
#include "commands/playback_commands.h"
#include "commands/provenance_commands.h"
#include "commands/session.h"
#include "commands/window_commands.h"
#include "frame/main_frame.h"
#include "playback/playback_controller.h"
#include "workspace/preferences.h"
#include "workspace/session_file.h"
#include "workspace/working_list.h"

#include <QObject>
#include <memory>

namespace sonarium {

class Workbench final : public QObject {
    Q_OBJECT

public:
    // reporter: where messages go (message boxes in the program, a recorder in tests).
    Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences);
    ~Workbench() override;

    CMainFrame& frame() { return frame_; }
    Session& session() { return session_; }
    WorkingList& list() { return list_; }
    Preferences& preferences() { return preferences_; }
    PlaybackController& playback() { return *playback_; }

    OperationRunner& operations() { return operations_; }
    WindowCommands& windows() { return windows_; }
    FileCommands& files() { return files_; }
    ExchangeCommands& exchange() { return exchange_; }
    ClipboardCommands& clipboard() { return clipboard_; }
    HelpCommands& help() { return help_; }
    OptionCommands& options() { return options_; }
    ProvenanceCommands& provenance() { return provenance_; }

    // The list, its selection and the open windows as the next start restores them.
    SavedSession currentSession() const;
    // Keeps the session in the resources folder (at quit, when the preference says so).
    void saveSession();
    // Brings back the kept session when the preference says so: files no longer there are left
    // out and counted in the Activity field.
    void restoreSession();
    // The question Quit asks when results were never saved elsewhere; empty when there are none.
    QString unsavedResultsQuestion() const;

private:
    std::unique_ptr<PlaybackController> makePlayer();
    void bindSelectors();
    void refreshSelectors();
    void refreshEnabling();

    CMainFrame& frame_;
    Reporter& reporter_;
    Preferences preferences_;
    WorkingList list_;
    WaveContext wave_;
    std::unique_ptr<PlaybackController> playback_;
    Session session_;
    // The parts, in the order their commands are installed: a later part may take over the
    // command of an earlier one (Insert Clipboard's from the operations).
    OperationRunner operations_{session_};
    WindowCommands windows_{session_, operations_};
    FileCommands files_{session_, windows_};
    ExchangeCommands exchange_{session_};
    ClipboardCommands clipboard_{session_, windows_, operations_};
    HelpCommands help_{session_};
    OptionCommands options_{session_};
    PlaybackCommands playbackCommands_{session_};
    ProvenanceCommands provenance_{session_, windows_};
};

} // namespace sonarium
