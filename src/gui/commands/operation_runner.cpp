// The operation command pattern.
#include "commands/operation_runner.h"

#include "dialogs/named_dialogs.h"
#include "display/child_frame.h"
#include "frame/command_table.h"
#include "frame/main_frame.h"
#include "frame/notices.h"
#include "operations/recorded_job.h"
#include "playback/completion_sound.h"
#include "playback/playback_controller.h"
#include "support/job_progress_dialog.h"
#include "support/qt_text.h"
#include "workspace/preferences.h"
#include "workspace/working_list.h"

#include <QApplication>
#include <QScopeGuard>
#include <algorithm>

namespace sonarium {

OperationRunner::OperationRunner(Session& session) : session_(session) {
    playCompletionSound = [](const QString& path) {
        SilentReporter quiet; // a completion sound that cannot play is not worth a message
        playSoundAndWait(quiet, path);
    };
    playSource = [this] { session_.player().Play(); };
    for (const OperationDecl* operation : allOperations())
        installCommand(*operation, commandOf(*operation));
}

OperationRunner::Command OperationRunner::commandOf(const OperationDecl& operation) {
    const CommandSpec* row = findCommand(operation.commandId);
    return {.keepsPlaying = row != nullptr && row->keepsPlaying,
            .afterOperation =
                row == nullptr || (row->afterOperation && row->pattern != CommandPattern::Plain)};
}

void OperationRunner::installCommand(const OperationDecl& operation, Command command) {
    session_.setHandler(operation.commandId, [this, &operation, command = std::move(command)] {
        run(operation, command);
    });
}

std::optional<JobInput> OperationRunner::gatherInput(const OperationDecl& operation) {
    JobInput input;
    if (operation.input == InputKind::None)
        return input;
    const WorkingList& list = session_.list();
    const auto source = list.slotPath(list.GetSourceIndex());
    if (!source) {
        showOperationInterrupted(session_.dialogParent());
        return std::nullopt;
    }
    input.source = *source;
    if (operation.input == InputKind::Two)
        input.aux = list.slotPath(list.GetAuxIndex()).value_or(std::string());
    if (operation.input == InputKind::OneWithSelection) {
        const CChildFrame* window = session_.activeWaveWindow();
        if (window == nullptr)
            return std::nullopt; // no waveform window: nothing to take the selection from
        // The selection commands with a dialog work on the Source file: a window showing another
        // file has no selection of it. Crop takes the window's own file.
        const std::string path = window->document().GetPathName().toStdString();
        if (operation.hasDialog() && path != *source)
            return std::nullopt;
        input.source = path;
        input.selection = window->view()->selectedFrames();
    }
    return input;
}

void OperationRunner::run(const OperationDecl& operation, Command command) {
    if (!command.keepsPlaying)
        session_.StopPlaying();
    std::optional<std::string> second;
    if (command.secondFile) {
        second = command.secondFile();
        if (!second)
            return;
    }
    auto input = gatherInput(operation);
    if (!input)
        return;
    if (second)
        input->aux = *second;
    bool ok = false;
    bool interrupted = false;
    if (operation.hasDialog()) {
        OperationServices services{session_.reporter(),
                                   session_.waveContext(),
                                   [this] { return session_.NextTempPath(); },
                                   *input,
                                   session_.helpLanguage(),
                                   sourceChannels()};
        services.setSelection = [this, source = input->source](const FrameSpan& frames) {
            setSelection(source, frames);
        };
        services.addToList = [this](const std::string& path, int channels) {
            session_.AddToList(path, channels);
        };
        services.recordDirectory = session_.list().outputDir;
        auto dialog =
            createOperationDialog(operation, std::move(services), session_.dialogParent());
        // Done only when OK's job completed: Cancel or Esc, a declined stereo warning and a
        // refused file (a 24-bit one, say) are not.
        ok = dialog->exec() == QDialog::Accepted && dialog->outcome() == JobOutcome::Completed;
        interrupted = dialog->interrupted();
    } else {
        const JobOutcome outcome = runJob(
            operation, *input, [this] { return session_.NextTempPath(); }, &interrupted);
        ok = outcome == JobOutcome::Completed;
    }
    // The completion text only when the operation was done; anything else (Cancel, Esc, a
    // refusal, a declined warning, a job the user stopped) says it was interrupted.
    const CommandSpec* row = findCommand(operation.commandId);
    const std::string_view completion =
        row != nullptr && !row->activity.empty() ? row->activity : operation.completion;
    if (interrupted || (!ok && !completion.empty()))
        session_.ShowActivity(QString::fromLatin1(kJobInterruptedActivity));
    else if (!completion.empty())
        session_.ShowActivity(qs(completion));
    if (command.afterOperation)
        AfterOperation(ok);
}

JobOutcome OperationRunner::runJob(const OperationDecl& operation, const JobInput& input,
                                   std::function<std::string()> destination, bool* interrupted) {
    JobProgressDialog progress(qs(operation.caption), session_.dialogParent());
    JobContext context{.wave = session_.waveContext(),
                       .progress = progress,
                       .input = input,
                       .destination = std::move(destination),
                       .result = ResultFile::Open,
                       .threads = session_.preferences().computeThreads};
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    // An error escaping the job is told and its result dropped; the session goes on.
    const JobOutcome outcome =
        runRecordedJob(operation, context, operation.defaults(),
                       {.record = true, .reportDirectory = session_.list().outputDir});
    if (interrupted != nullptr)
        *interrupted = outcome == JobOutcome::Cancelled && progress.cancelRequested();
    return outcome;
}

int OperationRunner::sourceChannels() const {
    const WorkingList& list = session_.list();
    if (!list.slotPath(list.GetSourceIndex()))
        return 0;
    return list.sourceIsStereo ? 2 : 1;
}

void OperationRunner::setSelection(const std::string& path, const FrameSpan& frames) {
    CChildFrame* window = session_.activeWaveWindow();
    if (window == nullptr || window->document().GetPathName().toStdString() != path)
        return;
    const std::uint64_t frameBytes =
        2 * static_cast<std::uint64_t>(std::max(window->document().channels, 1));
    const auto offset = [frameBytes](std::uint64_t frame) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(frame * frameBytes, UINT32_MAX));
    };
    window->view()->setSelection(offset(frames.first),
                                 offset(std::uint64_t{frames.first} + frames.count));
}

void OperationRunner::AfterOperation(bool ok) {
    const Preferences& preferences = session_.preferences();
    if (preferences.beep && ok && playCompletionSound)
        playCompletionSound(qs(preferences.beepPath));
    if (preferences.autoPlay && ok && playSource)
        playSource();
    if (preferences.activateWhenComputed) {
        CMainFrame& frame = session_.frame();
        frame.raise();
        frame.activateWindow();
        if (!frame.isActiveWindow())
            showCompleted(&frame);
    }
}

} // namespace sonarium
