// The operation command pattern.
#include "commands/operation_runner.h"

#include "dialogs/named_dialogs.h"
#include "frame/command_table.h"
#include "frame/notices.h"
#include "support/job_progress_dialog.h"
#include "support/qt_text.h"

#include <QApplication>
#include <QScopeGuard>

namespace sonarium {

std::optional<JobInput> OperationRunner::gatherInput(const OperationDecl& operation) {
    JobInput input;
    if (operation.input == InputKind::None)
        return input;
    const auto source = host_.sourcePath();
    if (!source) {
        showOperationInterrupted(host_.dialogParent());
        return std::nullopt;
    }
    input.source = *source;
    if (operation.input == InputKind::Two)
        input.aux = host_.auxPath().value_or(std::string());
    if (operation.input == InputKind::OneWithSelection) {
        const auto selection = host_.activeSelection();
        if (!selection)
            return std::nullopt; // no waveform window: nothing to take the selection from
        // The selection commands with a dialog work on the Source file: a window showing another
        // file has no selection of it. Crop takes the window's own file.
        if (operation.hasDialog() && selection->path != *source)
            return std::nullopt;
        input.source = selection->path;
        input.selection = selection->frames;
    }
    return input;
}

void OperationRunner::run(const OperationDecl& operation, Command command) {
    if (!command.keepsPlaying)
        host_.StopPlaying();
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
        OperationServices services{
            host_.reporter(), host_.waveContext(),  [this] { return host_.NextTempPath(); },
            *input,           host_.helpLanguage(), host_.sourceChannels()};
        services.setSelection = [this, source = input->source](const FrameSpan& frames) {
            const auto window = host_.activeSelection();
            if (window && window->path == source)
                host_.setActiveSelection(frames);
        };
        services.addToList = [this](const std::string& path, int channels) {
            host_.AddToList(path, channels);
        };
        auto dialog = createOperationDialog(operation, std::move(services), host_.dialogParent());
        // Done only when OK's job completed: Cancel or Esc, a declined stereo warning and a
        // refused file (a 24-bit one, say) are not.
        ok = dialog->exec() == QDialog::Accepted && dialog->outcome() == JobOutcome::Completed;
        interrupted = dialog->interrupted();
    } else {
        const JobOutcome outcome = runJob(
            operation, *input, [this] { return host_.NextTempPath(); }, &interrupted);
        ok = outcome == JobOutcome::Completed;
    }
    // The completion text only when the operation was done; anything else (Cancel, Esc, a
    // refusal, a declined warning, a job the user stopped) says it was interrupted.
    const CommandSpec* row = findCommand(operation.commandId);
    const std::string_view completion =
        row != nullptr && !row->activity.empty() ? row->activity : operation.completion;
    if (interrupted || (!ok && !completion.empty()))
        host_.ShowActivity(QString::fromLatin1(kJobInterruptedActivity));
    else if (!completion.empty())
        host_.ShowActivity(qs(completion));
    if (command.afterOperation)
        host_.AfterOperation(ok);
}

JobOutcome OperationRunner::runJob(const OperationDecl& operation, const JobInput& input,
                                   std::function<std::string()> destination, bool* interrupted) {
    JobProgressDialog progress(qs(operation.caption), host_.dialogParent());
    JobContext context{.wave = host_.waveContext(),
                       .progress = progress,
                       .input = input,
                       .destination = std::move(destination),
                       .result = ResultFile::Open};
    QApplication::setOverrideCursor(Qt::BusyCursor);
    const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const JobOutcome outcome = operation.run(context, operation.defaults());
    if (interrupted != nullptr)
        *interrupted = outcome == JobOutcome::Cancelled && progress.cancelRequested();
    return outcome;
}

} // namespace sonarium
