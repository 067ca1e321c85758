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
#include <QFileDialog>
#include <QProgressBar>
#include <QVBoxLayout>
#include <filesystem>

namespace sonarium {

namespace {

const QString kWaveFilter = QStringLiteral("Wave Files (*.wav);;All Files (*)");

// A modal window with one progress bar, for the copy of Save As.
class SavingDialog final : public QDialog {
public:
    explicit SavingDialog(QWidget* parent) : QDialog(parent) {
        setWindowTitle(QStringLiteral("Saving..."));
        auto* layout = new QVBoxLayout(this);
        bar = new QProgressBar(this);
        bar->setRange(0, 100);
        bar->setValue(0);
        layout->addWidget(bar);
        resize(300, 60);
    }
    QProgressBar* bar;
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

QString FileCommands::pickSaveName(const QString& title, const QString& suggested) {
    if (chooseSaveName)
        return chooseSaveName(title, suggested);
    QFileDialog dialog(host_.dialogParent(), title, suggested, kWaveFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wav"));
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
    const QString chosen = pickSaveName(QStringLiteral("Save %1 as...").arg(qs(*current)),
                                        qs(list.saveAsDefaultName()));
    if (!chosen.isEmpty())
        saveAs(chosen);
}

void FileCommands::renameCommand() {
    WorkingList& list = host_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const QString chosen =
        pickSaveName(QStringLiteral("Rename %1").arg(qs(*current)), qs(*current));
    if (!chosen.isEmpty())
        rename(chosen);
}

void FileCommands::SelectOutputPath() {
    WorkingList& list = host_.list();
    COutputPathnameDialog dialog(qs(list.outputDir), host_.preferences().helpLanguage,
                                 host_.dialogParent());
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
    const auto old = host_.list().acceptSaveAs(chosen.toStdString());
    if (!old)
        return;
    renameWindows(*old, chosen.toStdString());
    SavingDialog saving(host_.dialogParent());
    saving.show();
    BarProgress progress(saving.bar);
    JobContext context{.wave = host_.waveContext(),
                       .progress = progress,
                       .input = {.source = *old},
                       .destination = [chosen] { return chosen.toStdString(); },
                       .result = ResultFile::Open};
    saveAsCopy(context);
}

void FileCommands::rename(const QString& chosen) {
    const std::string target = chosen.toStdString();
    WorkingList& list = host_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    if (isSameFile(*current, target))
        return; // renaming a file onto itself changes nothing
    // Windows of files under the new name close, as their files are about to be replaced.
    for (CChildFrame* window : host_.waveWindows())
        if (window->document().GetPathName().startsWith(chosen) &&
            window->document().GetPathName() != qs(*current))
            window->close();
    std::error_code error;
    if (renameFile(*current, target, error) == RenameResult::Failed) {
        // The file stays where it was, and so does its entry.
        host_.reporter().report("File " + *current + "\ncould not be renamed to " + target + ": " +
                                    error.message(),
                                MessageIcon::Error);
        return;
    }
    const auto old = list.RenameSource(target);
    if (old)
        renameWindows(*old, target);
}

void FileCommands::renameWindows(const std::string& oldPath, const std::string& newPath) {
    for (CChildFrame* window : host_.waveWindows()) {
        if (window->document().GetPathName() == qs(oldPath)) {
            window->document().SetPathName(qs(newPath));
            window->setWindowTitle(window->document().GetTitle());
            window->view()->update();
        }
    }
}

} // namespace sonarium
