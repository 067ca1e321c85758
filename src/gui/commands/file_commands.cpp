// The file commands.
#include "commands/file_commands.h"

#include "dialogs/workspace_dialogs.h"
#include "display/child_frame.h"
#include "frame/command_table.h"
#include "frame/notices.h"
#include "operations/editing/save_copy.h"
#include "playback/custom_file_dialog.h"
#include "support/bar_progress.h"
#include "support/qt_text.h"
#include "wavefile/riff_reader.h"
#include "wavefile/wave_check.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"
#include "workspace/rename_file.h"
#include "workspace/temp_directory.h"
#include "workspace/working_list.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QProgressBar>
#include <QVBoxLayout>
#include <filesystem>

namespace sonarium {

namespace {

const QString kWaveFilter = QStringLiteral("Wave Files (*.wav);;All Files (*)");

// The modal window of Save As's copy: a progress bar and Cancel. Cancel, Esc and closing the
// window stop the copy; the window goes when the copy has ended.
class SavingDialog final : public QDialog {
public:
    explicit SavingDialog(QWidget* parent) : QDialog(parent) {
        setObjectName(QStringLiteral("saving"));
        setWindowTitle(QStringLiteral("Saving..."));
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        layout->addWidget(bar);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::rejected, this, &SavingDialog::reject);
        layout->addWidget(buttons);
        resize(300, 60);
    }
    void reject() override {
        if (progress != nullptr)
            progress->requestCancel();
    }

    QProgressBar* bar;
    BarProgress* progress = nullptr;
};

} // namespace

void FileCommands::showActivityOf(int commandId) {
    host_.ShowActivity(qs(activityText(commandId)));
}

QStringList FileCommands::pickFiles(const QString& title) {
    if (chooseFilesToOpen)
        return chooseFilesToOpen(title);
    CCustomFileDialog dialog(host_.reporter(), title, host_.dialogParent());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString FileCommands::pickSaveName(const QString& title, const QString& suggested,
                                   bool confirmOverwrite) {
    if (chooseSaveName)
        return chooseSaveName(title, suggested);
    QFileDialog dialog(host_.dialogParent(), title, suggested, kWaveFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void FileCommands::open() {
    openFiles(pickFiles(QStringLiteral("Open Existing File")));
}

void FileCommands::add() {
    addFiles(pickFiles(QStringLiteral("Add file to list")));
}

void FileCommands::saveAsCommand() {
    host_.StopPlaying();
    WorkingList& list = host_.list();
    if (!list.saveAsAllowed())
        return;
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    // Whether an existing file may be replaced is the list's rule (listed files are refused),
    // not a question of the file dialog.
    const QString chosen = pickSaveName(QStringLiteral("Save %1 as...").arg(qs(*current)),
                                        qs(list.saveAsDefaultName()), false);
    if (!chosen.isEmpty())
        saveAs(chosen);
}

void FileCommands::renameCommand() {
    WorkingList& list = host_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const QString chosen =
        pickSaveName(QStringLiteral("Rename %1").arg(qs(*current)), qs(*current), true);
    if (!chosen.isEmpty())
        rename(chosen);
}

void FileCommands::SelectOutputPath() {
    WorkingList& list = host_.list();
    COutputPathnameDialog dialog(qs(list.outputDir), host_.reporter(),
                                 host_.preferences().helpLanguage, host_.dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string chosen = dialog.pathText().toStdString();
    if (!chosen.empty())
        list.SetOutputDir(chosen);
    else if (list.outputDir.empty())
        list.SetOutputDir(locationDirText(Location::TempSounds));
    host_.UpdateResourceReadouts();
}

void FileCommands::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (!IsWaveFileUsable(host_.reporter(), path.toStdString())) {
            host_.ShowActivity(QStringLiteral("Load file - aborted"));
            continue;
        }
        if (host_.preferences().newNumberOnOpen)
            host_.list().NextTempPath();
        if (host_.openDocument(path) != nullptr)
            showActivityOf(cmd::kOpen);
        else
            host_.ShowActivity(QStringLiteral("Load file - aborted"));
    }
}

void FileCommands::addFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (IsWaveFileUsable(host_.reporter(), path.toStdString())) {
            const WaveLayout layout = readWaveLayout(path.toStdString());
            host_.AddToList(path.toStdString(), layout.channels);
        }
    }
    showActivityOf(cmd::kAddToList);
}

void FileCommands::clearList() {
    host_.list().ClearList();
    if (CChildFrame* window = host_.activeWaveWindow())
        host_.AddToList(window->document().GetPathName().toStdString(),
                        window->document().channels);
    showActivityOf(cmd::kClearList);
}

void FileCommands::clearTemporaryDirectory() {
    host_.StopPlaying();
    const std::filesystem::path folder = locationPath(Location::TempSounds);
    if (!askConfirmation(host_.dialogParent(), QStringLiteral("Confirm Deletion"),
                         clearTemporaryDirectoryQuestion(qs(folder.string()))))
        return;
    WorkingList& list = host_.list();
    if (list.source.hasSelection())
        list.RemoveFromListByPrefix(locationDirText(Location::TempSounds));
    const DeletionResult result = sonarium::clearTemporaryDirectory(folder);
    if (!result.failures.empty()) {
        std::string text = "Some files could not be deleted:";
        for (const std::string& failure : result.failures)
            text += "\n" + failure;
        host_.reporter().report(text, MessageIcon::Warning);
    }
    host_.UpdateResourceReadouts();
    showActivityOf(cmd::kClearTempDir);
}

void FileCommands::closeAll() {
    host_.closeAllWindows();
    showActivityOf(cmd::kCloseAll);
}

void FileCommands::saveAs(const QString& chosen) {
    const std::string target = chosen.toStdString();
    WorkingList& list = host_.list();
    const auto old = list.checkSaveAs(target);
    if (!old)
        return;
    // The copy first: the list and the windows take the new name only once it stands complete
    // on disk, so a failed or cancelled copy leaves them as they were.
    JobOutcome outcome = JobOutcome::EndedWithMessage;
    bool interrupted = false;
    {
        SavingDialog saving(host_.dialogParent());
        BarProgress progress(saving.bar);
        saving.progress = &progress;
        saving.show();
        JobContext context{.wave = host_.waveContext(),
                           .progress = progress,
                           .input = {.source = *old},
                           .destination = [target] { return target; },
                           .result = ResultFile::Finish};
        outcome = saveAsCopy(context);
        interrupted = outcome == JobOutcome::Cancelled && progress.cancelRequested();
        saving.progress = nullptr;
    }
    if (interrupted)
        host_.ShowActivity(QString::fromLatin1(kJobInterruptedActivity));
    if (outcome != JobOutcome::Completed)
        return;
    if (list.applySaveAs(*old, target))
        renameWindows(*old, target);
    // The copy opens in a window of its own, as every finished result does.
    host_.openDocument(chosen);
}

void FileCommands::rename(const QString& chosen) {
    const std::string target = chosen.toStdString();
    WorkingList& list = host_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    if (isSameFile(*current, target))
        return; // renaming a file onto itself changes nothing
    std::error_code error;
    if (renameFile(*current, target, error) == RenameResult::Failed) {
        // The file stays where it was, and so do its entry and every window.
        host_.reporter().report("File " + *current + "\ncould not be renamed to " + target + ": " +
                                    error.message(),
                                MessageIcon::Error);
        return;
    }
    // Windows of files under the new name close, as their files were replaced.
    for (CChildFrame* window : host_.waveWindows())
        if (window->document().GetPathName().startsWith(chosen) &&
            window->document().GetPathName() != qs(*current))
            window->close();
    const auto old = list.RenameSource(target);
    if (old)
        renameWindows(*old, target);
}

void FileCommands::renameWindows(const std::string& oldPath, const std::string& newPath) {
    // Every window of the file first: duplicated windows share one document, so renaming it
    // through the first would hide the others from the comparison.
    QList<CChildFrame*> windows;
    for (CChildFrame* window : host_.waveWindows())
        if (window->document().GetPathName() == qs(oldPath))
            windows << window;
    for (CChildFrame* window : windows) {
        window->document().SetPathName(qs(newPath));
        window->setWindowTitle(window->document().GetTitle());
        window->view()->update();
    }
}

} // namespace sonarium
