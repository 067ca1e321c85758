// Runs declared operations the way the main window's commands do: playback stopped, the input
// gathered from the working list (and the active window's selection), the dialog or the job
// alone, the Activity text and the after-operation step. Installs the command of every declared
// operation.
#pragma once

#include "commands/session.h"
#include "operations/operation.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

namespace sonarium {

class OperationRunner {
public:
    // Installs the command of every declared operation, as its command row says.
    explicit OperationRunner(Session& session);

    struct Command {
        bool keepsPlaying = false;  // playback goes on while it works
        bool afterOperation = true; // the after-operation step follows
        // The second file of a two-file operation when it is not the Aux selector's (Insert
        // Clipboard: the clipboard's copy, empty when it held no wave data). Asked once playback
        // has stopped; nothing ends the command there.
        std::function<std::optional<std::string>()> secondFile;
    };

    // The command of an operation. It stops playback unless it keeps playing; an operation that
    // reads files shows "Operation Interrupted" when there is no Source file, and one on a
    // selection does nothing without an active waveform window, nor, when it has a dialog, when
    // that window shows another file than the Source. Then its dialog (or, without one, its job
    // with the defaults), its completion text ("Operation Interrupted" when the user stopped the
    // job) and, unless the command says otherwise, the after-operation step.
    void run(const OperationDecl& operation, Command command);
    void run(const OperationDecl& operation) { run(operation, Command{}); }

    // How the command row of an operation runs it (File statistics' plain row, and the rows that
    // say so, leave out the after-operation step).
    static Command commandOf(const OperationDecl& operation);
    // Installs the command of an operation that runs in its own way.
    void installCommand(const OperationDecl& operation, Command command);

    // The job alone with the operation's defaults. A job that lasts shows a modal progress
    // window whose Cancel stops it; interrupted (when given) tells whether that happened.
    JobOutcome runJob(const OperationDecl& operation, const JobInput& input,
                      std::function<std::string()> destination, bool* interrupted = nullptr);

    // Completion sound, automatic playback and bringing the main window forward.
    void AfterOperation(bool ok);
    // How the completion sound is played and the Source played (tests record them instead).
    std::function<void(const QString& path)> playCompletionSound;
    std::function<void()> playSource;

private:
    std::optional<JobInput> gatherInput(const OperationDecl& operation);
    int sourceChannels() const;
    // Sets the active waveform window's selection, in frames of its document, when that window
    // shows the file, and redraws it.
    void setSelection(const std::string& path, const FrameSpan& frames);

    Session& session_;
};

} // namespace sonarium
