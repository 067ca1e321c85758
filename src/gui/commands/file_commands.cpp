// The file commands.
#include "commands/file_commands.h"

#include "commands/window_commands.h"
#include "display/child_frame.h"
#include "frame/command_table.h"
#include "frame/main_frame.h"
#include "frame/notices.h"
#include "operations/editing/save_copy.h"
#include "operations/exchange/audio_exchange.h"
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

FileCommands::FileCommands(Session& session, WindowCommands& windows)
    : session_(session), windows_(windows) {
    session_.setHandler(cmd::kOpen, [this] { open(); });
    session_.setHandler(cmd::kAddToList, [this] { add(); });
    session_.setHandler(cmd::kAddButton, [this] { add(); });
    session_.setHandler(cmd::kClearList, [this] { clearList(); });
    session_.setHandler(cmd::kClearTempDir, [this] { clearTemporaryDirectory(); });
    session_.setHandler(cmd::kSaveAs, [this] { saveAsCommand(); });
    session_.setHandler(cmd::kRename, [this] { renameCommand(); });
}

QStringList FileCommands::pickFiles(const QString& title) {
    if (chooseFilesToOpen)
        return chooseFilesToOpen(title);
    CCustomFileDialog dialog(session_.reporter(), title, session_.dialogParent());
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString FileCommands::pickSaveName(const QString& title, const QString& suggested,
                                   bool confirmOverwrite) {
    if (chooseSaveName)
        return chooseSaveName(title, suggested);
    QFileDialog dialog(session_.dialogParent(), title, suggested, kWaveFilter);
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
    session_.StopPlaying();
    WorkingList& list = session_.list();
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
    WorkingList& list = session_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    const QString chosen =
        pickSaveName(QStringLiteral("Rename %1").arg(qs(*current)), qs(*current), true);
    if (!chosen.isEmpty())
        rename(chosen);
}

bool FileCommands::offerImport(const std::string& path) {
    const AudioFileInfo info = describeAudioFile(path);
    if (!info.readable || info.workingFile)
        return false;
    const Answer answer = session_.reporter().report(
        "File " + path + "\nholds " + audioFileSummary(info) +
            ".\n\nOnly 16-bit mono and stereo wave files can be edited:\nimport it as a "
            "16-bit working file first.",
        MessageIcon::Question, MessageButtons::ImportCancel);
    if (answer == Answer::Ok && importAudio)
        importAudio(path);
    else
        session_.ShowActivity(QStringLiteral("Load file - aborted"));
    return true;
}

void FileCommands::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (offerImport(path.toStdString()))
            continue;
        if (!IsWaveFileUsable(session_.reporter(), path.toStdString())) {
            session_.ShowActivity(QStringLiteral("Load file - aborted"));
            continue;
        }
        if (session_.preferences().newNumberOnOpen)
            session_.list().NextTempPath();
        if (windows_.openDocument(path) != nullptr)
            session_.showActivityOf(cmd::kOpen);
        else
            session_.ShowActivity(QStringLiteral("Load file - aborted"));
    }
}

void FileCommands::addFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (IsWaveFileUsable(session_.reporter(), path.toStdString())) {
            const WaveLayout layout = readWaveLayout(path.toStdString());
            session_.AddToList(path.toStdString(), layout.channels);
        }
    }
    session_.showActivityOf(cmd::kAddToList);
}

void FileCommands::clearList() {
    session_.list().ClearList();
    if (CChildFrame* window = session_.activeWaveWindow())
        session_.AddToList(window->document().GetPathName().toStdString(),
                           window->document().channels);
    session_.showActivityOf(cmd::kClearList);
}

void FileCommands::clearTemporaryDirectory() {
    session_.StopPlaying();
    const std::filesystem::path folder = locationPath(Location::TempSounds);
    if (!askConfirmation(session_.dialogParent(), QStringLiteral("Confirm Deletion"),
                         clearTemporaryDirectoryQuestion(qs(folder.string()))))
        return;
    WorkingList& list = session_.list();
    if (list.source.hasSelection())
        list.RemoveFromListByPrefix(locationDirText(Location::TempSounds));
    const DeletionResult result = sonarium::clearTemporaryDirectory(folder);
    if (!result.failures.empty()) {
        std::string text = "Some files could not be deleted:";
        for (const std::string& failure : result.failures)
            text += "\n" + failure;
        session_.reporter().report(text, MessageIcon::Warning);
    }
    session_.UpdateResourceReadouts();
    session_.showActivityOf(cmd::kClearTempDir);
}

void FileCommands::saveAs(const QString& chosen) {
    const std::string target = chosen.toStdString();
    WorkingList& list = session_.list();
    const auto old = list.checkSaveAs(target);
    if (!old)
        return;
    // The copy first: the list and the windows take the new name only once it stands complete
    // on disk, so a failed or cancelled copy leaves them as they were.
    JobOutcome outcome = JobOutcome::EndedWithMessage;
    bool interrupted = false;
    {
        SavingDialog saving(session_.dialogParent());
        BarProgress progress(saving.bar);
        saving.progress = &progress;
        saving.show();
        JobContext context{.wave = session_.waveContext(),
                           .progress = progress,
                           .input = {.source = *old},
                           .destination = [target] { return target; },
                           .result = ResultFile::Finish};
        outcome = saveAsCopy(context);
        interrupted = outcome == JobOutcome::Cancelled && progress.cancelRequested();
        saving.progress = nullptr;
    }
    if (interrupted)
        session_.ShowActivity(QString::fromLatin1(kJobInterruptedActivity));
    if (outcome != JobOutcome::Completed)
        return;
    if (list.applySaveAs(*old, target))
        renameWindows(*old, target);
    // The copy opens in a window of its own, as every finished result does.
    windows_.openDocument(chosen);
}

void FileCommands::rename(const QString& chosen) {
    const std::string target = chosen.toStdString();
    WorkingList& list = session_.list();
    const auto current = list.slotPath(list.GetSourceIndex());
    if (!current)
        return;
    if (isSameFile(*current, target))
        return; // renaming a file onto itself changes nothing
    std::error_code error;
    if (renameFile(*current, target, error) == RenameResult::Failed) {
        // The file stays where it was, and so do its entry and every window.
        session_.reporter().report("File " + *current + "\ncould not be renamed to " + target +
                                       ": " + error.message(),
                                   MessageIcon::Error);
        return;
    }
    // Windows of files under the new name close, as their files were replaced.
    for (CChildFrame* window : session_.waveWindows())
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
    for (CChildFrame* window : session_.waveWindows())
        if (window->document().GetPathName() == qs(oldPath))
            windows << window;
    for (CChildFrame* window : windows) {
        window->document().SetPathName(qs(newPath));
        window->view()->update();
    }
    for (CChildFrame* window : windows)
        titleDocumentWindows(*session_.frame().mdiArea(), window->document());
}

} // namespace sonarium
