// Runs declared operations the way the main window's commands do: playback stopped, the input
// gathered from the working list (and the active window's selection), the dialog or the job
// alone, the Activity text and the after-operation step.
#pragma once

#include "operations/operation.h"

#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace sonarium {

// The selection of the active waveform window.
struct WindowSelection {
    std::string path; // the window's document
    FrameSpan frames;
};

// What the runner needs from the main window.
class OperationRunnerHost {
public:
    virtual ~OperationRunnerHost() = default;

    virtual Reporter& reporter() = 0;
    virtual const WaveContext& waveContext() const = 0;
    virtual std::string NextTempPath() = 0;
    virtual std::string helpLanguage() const = 0;
    // The Source and Aux files of the working list.
    virtual std::optional<std::string> sourcePath() const = 0;
    virtual std::optional<std::string> auxPath() const = 0;
    // The channel count the working list holds for the Source file (0 when none is chosen).
    virtual int sourceChannels() const = 0;
    virtual std::optional<WindowSelection> activeSelection() const = 0;
    // Sets the active waveform window's selection, in frames of its document, and redraws it.
    virtual void setActiveSelection(const FrameSpan& frames) = 0;
    // Puts a file in the working list as the Source (the left result of a stereo split).
    virtual void AddToList(const std::string& path, int channels) = 0;
    virtual void StopPlaying() = 0;
    virtual void ShowActivity(const QString& text) = 0;
    virtual void AfterOperation(bool ok) = 0;
    virtual QWidget* dialogParent() = 0;
};

class OperationRunner {
public:
    explicit OperationRunner(OperationRunnerHost& host) : host_(host) {}

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

    // The job alone with the operation's defaults. A job that lasts shows a modal progress
    // window whose Cancel stops it; interrupted (when given) tells whether that happened.
    JobOutcome runJob(const OperationDecl& operation, const JobInput& input,
                      std::function<std::string()> destination, bool* interrupted = nullptr);

private:
    std::optional<JobInput> gatherInput(const OperationDecl& operation);

    OperationRunnerHost& host_;
};

} // namespace sonarium
