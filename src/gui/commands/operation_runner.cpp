// The operation command pattern.
#include "commands/operation_runner.h"

#include "dialogs/named_dialogs.h"
#include "frame/notices.h"
#include "support/qt_text.h"

#include <QApplication>

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
        input.source = selection->path;
        input.selection = selection->frames;
    }
    return input;
}

void OperationRunner::run(const OperationDecl& operation, bool keepsPlaying) {
    if (!keepsPlaying)
        host_.StopPlaying();
    const auto input = gatherInput(operation);
    if (!input)
        return;
    bool ok = false;
    if (operation.hasDialog()) {
        OperationServices services{host_.reporter(), host_.waveContext(),
                                   [this] { return host_.NextTempPath(); }, *input,
                                   host_.helpLanguage()};
        auto dialog = createOperationDialog(operation, std::move(services), host_.dialogParent());
        ok = dialog->exec() == QDialog::Accepted;
    } else {
        ok = runJob(operation, *input, [this] { return host_.NextTempPath(); }) ==
             JobOutcome::Completed;
    }
    if (!operation.completion.empty())
        host_.ShowActivity(qs(operation.completion));
    host_.AfterOperation(ok);
}

JobOutcome OperationRunner::runJob(const OperationDecl& operation, const JobInput& input,
                                   std::function<std::string()> destination) {
    NullProgress progress;
    JobContext context{.wave = host_.waveContext(),
                       .progress = progress,
                       .input = input,
                       .destination = std::move(destination),
                       .result = ResultFile::Open};
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const JobOutcome outcome = operation.run(context, operation.defaults());
    QApplication::restoreOverrideCursor();
    return outcome;
}

} // namespace sonarium
