// Commands of the main window carried out on the working list, the player and the windows.
#include "app/workbench.h"

#include "support/bar_progress.h"
#include "support/launcher.h"
#include "dialogs/operation_dialog.h"
#include "dialogs/workspace_dialogs.h"
#include "display/child_frame.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "operations/editing/extract_range.h"
#include "operations/editing/save_copy.h"
#include "playback/completion_sound.h"
#include "playback/custom_file_dialog.h"
#include "wavefile/riff_reader.h"
#include "wavefile/wave_check.h"
#include "workspace/audio_root.h"
#include "workspace/history.h"
#include "workspace/resource_readouts.h"
#include "workspace/temp_directory.h"

#include <QComboBox>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QVBoxLayout>
#include <filesystem>

namespace sonarium {

namespace {

const QString kWaveFilter = QStringLiteral("Wave Files (*.wav);;All Files (*)");

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

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

Workbench::Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences)
    : QObject(&frame), frame_(frame), reporter_(reporter), preferences_(std::move(preferences)),
      list_(reporter), wave_{reporter, resourceFile("suffix.rc2").string(), {}} {
    list_.SetOutputDir(preferences_.outputDir);
    wave_.openDocument = [this](const std::string& path) { openDocument(qs(path)); };
    playback_ = std::make_unique<PlaybackController>(
        reporter_, [this] { return sourcePlayPath(); },
        [this] { return list_.source.hasSelection(); }, this);
    connect(playback_.get(), &PlaybackController::enablingChanged, this,
            &Workbench::refreshEnabling);
    list_.changed = [this] {
        refreshSelectors();
        playback_->refreshEnabling();
        refreshEnabling();
    };
    connect(frame_.mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        waveWindowExists_ = !waveWindows().isEmpty();
        if (auto* child = qobject_cast<CChildFrame*>(window))
            child->view()->OnActivateView(true);
        refreshEnabling();
    });
    frame_.confirmQuit = [this] {
        return !preferences_.confirmOnQuit ||
               askConfirmation(&frame_, QStringLiteral("Confirm Exiting"),
                               QString::fromLatin1(kConfirmExitingText));
    };
    frame_.beforeQuit = [this] {
        StopPlaying();
        if (preferences_.deleteTempOnQuit)
            deleteSessionWaveFiles(locationPath(Location::TempSounds));
    };
    frame_.setRecentFileHandler([this](const QString& path) { openFiles({path}); });
    bindSelectors();
    installHandlers();
    UpdateResourceReadouts();
    refreshEnabling();
}

Workbench::~Workbench() {
    frame_.confirmQuit = nullptr;
    frame_.beforeQuit = nullptr;
    // The waveform windows call back into this object: they go first.
    for (CChildFrame* window : waveWindows())
        delete window;
}

ViewPreferences Workbench::viewPreferences() const {
    return {preferences_.randomWaveColour, preferences_.greenWaveform,
            preferences_.stopOnFocusLoss};
}

void Workbench::StopPlaying() {
    playback_->Stop();
}

void Workbench::AddToList(const std::string& path, int channels) {
    list_.AddToList(path, channels);
    UpdateResourceReadouts();
}

void Workbench::waveWindowFocused() {
    waveWindowExists_ = true;
    refreshEnabling();
}

int Workbench::runExtract(const std::string& source, const std::string& destination,
                          std::uint32_t selStart, std::uint32_t selEnd) {
    NullProgress progress;
    JobContext context{wave_, progress, [destination] { return destination; }, true};
    return extractRange(context, source, selStart, selEnd);
}

void Workbench::UpdateResourceReadouts() {
    const ResourceReadouts readouts = sonarium::UpdateResourceReadouts(list_.outputDir);
    frame_.controlBar()->setReadouts(qs(readouts.hdd), qs(readouts.ram));
}

void Workbench::bindSelectors() {
    QComboBox* source = frame_.controlBar()->sourceSelector();
    QComboBox* aux = frame_.controlBar()->auxSelector();
    connect(source, &QComboBox::activated, this, [this](int index) {
        list_.source.selectIndex(index);
        list_.OnSourceChanged();
    });
    connect(aux, &QComboBox::activated, this, [this](int index) {
        list_.aux.selectIndex(index);
        list_.OnAuxChanged();
    });
}

void Workbench::refreshSelectors() {
    const std::pair<QComboBox*, const SelectorModel*> bindings[] = {
        {frame_.controlBar()->sourceSelector(), &list_.source},
        {frame_.controlBar()->auxSelector(), &list_.aux}};
    for (auto [box, model] : bindings) {
        const QSignalBlocker block(box);
        QStringList items;
        for (const std::string& item : model->items())
            items << qs(item);
        QStringList current;
        for (int i = 0; i < box->count(); ++i)
            current << box->itemText(i);
        if (current != items) {
            box->clear();
            box->addItems(items);
        }
        box->setCurrentIndex(model->current());
    }
}

void Workbench::refreshEnabling() {
    EnablingState state;
    state.selectionState = list_.selectionState;
    state.sourceIsStereo = list_.sourceIsStereo;
    state.auxIsStereo = list_.auxIsStereo;
    state.playAllowed = playback_->playAllowed();
    state.playLoopedAllowed = playback_->playLoopedAllowed();
    state.playing = playback_->playing();
    state.waveformWindowExists = waveWindowExists_;
    frame_.setEnablingInputs(state);
}

QList<CChildFrame*> Workbench::waveWindows() const {
    QList<CChildFrame*> windows;
    for (QMdiSubWindow* window : frame_.mdiArea()->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window))
            windows << child;
    return windows;
}

CChildFrame* Workbench::activeWaveWindow() const {
    return qobject_cast<CChildFrame*>(frame_.mdiArea()->activeSubWindow());
}

std::optional<QString> Workbench::sourcePlayPath() const {
    if (!list_.source.hasSelection())
        return std::nullopt;
    const auto path = list_.slotPath(list_.findSlotForSelection(list_.source.currentText()));
    if (!path)
        return std::nullopt;
    return qs(*path);
}

CChildFrame* Workbench::openDocument(const QString& path) {
    CChildFrame* window = openWaveWindow(*frame_.mdiArea(), *this, path);
    if (window == nullptr)
        return nullptr;
    window->show();
    frame_.mdiArea()->setActiveSubWindow(window);
    window->view()->setFocus(Qt::OtherFocusReason);
    // Without keyboard focus (the main window is not active) the list is told directly, as the
    // view would on taking the focus.
    if (!window->view()->hasFocus()) {
        AddToList(path.toStdString(), window->document().channels);
        waveWindowFocused();
    }
    frame_.addRecentFile(path);
    emit resultOpened(path);
    return window;
}

void Workbench::runSourceOperation(const OperationDecl& operation) {
    if (operation.sources != SourceKind::None || operation.commandId != 32776)
        StopPlaying();
    OperationServices services{
        reporter_, wave_, [this] { return list_.NextTempPath(); }, {}, preferences_.helpLanguage};
    if (operation.sources != SourceKind::None) {
        const auto source = list_.slotPath(list_.GetSourceIndex());
        if (!source) {
            showOperationInterrupted(&frame_);
            return;
        }
        services.paths.source = *source;
        if (operation.sources == SourceKind::Two)
            services.paths.aux = list_.slotPath(list_.GetAuxIndex()).value_or(std::string());
    }
    auto dialog = createOperationDialog(operation, std::move(services), &frame_);
    const bool ok = dialog->exec() == QDialog::Accepted;
    ShowActivity(qs(operation.completion));
    AfterOperation(ok);
}

void Workbench::AfterOperation(bool ok) {
    if (preferences_.beep && ok) {
        SilentReporter quiet; // a completion sound that cannot play is not worth a message
        playSoundAndWait(quiet, qs(preferences_.beepPath));
    }
    if (preferences_.autoPlay && ok)
        playback_->Play();
    if (preferences_.activateWhenComputed) {
        frame_.raise();
        frame_.activateWindow();
        if (!frame_.isActiveWindow())
            showCompleted(&frame_);
    }
}

void Workbench::SelectOutputPath() {
    COutputPathnameDialog dialog(qs(list_.outputDir), preferences_.helpLanguage, &frame_);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string chosen = dialog.pathText().toStdString();
    if (!chosen.empty())
        list_.SetOutputDir(chosen);
    else if (list_.outputDir.empty())
        list_.SetOutputDir(locationDirText(Location::TempSounds));
    UpdateResourceReadouts();
}

void Workbench::openFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (!IsWaveFileUsable(reporter_, path.toStdString())) {
            ShowActivity(QStringLiteral("Load file - aborted"));
            continue;
        }
        if (preferences_.newNumberOnOpen)
            list_.NextTempPath();
        if (openDocument(path) != nullptr)
            ShowActivity(QStringLiteral("Load file - done"));
        else
            ShowActivity(QStringLiteral("Load file - aborted"));
    }
}

void Workbench::addFiles(const QStringList& paths) {
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (IsWaveFileUsable(reporter_, path.toStdString())) {
            const WaveLayout layout = readWaveLayout(path.toStdString());
            AddToList(path.toStdString(), layout.channels);
        }
    }
    ShowActivity(QStringLiteral("Add file - done"));
}

void Workbench::clearList() {
    list_.ClearList();
    if (CChildFrame* window = activeWaveWindow())
        AddToList(window->document().GetPathName().toStdString(), window->document().channels);
    ShowActivity(QStringLiteral("Clear list - done"));
}

void Workbench::clearTemporaryDirectory() {
    StopPlaying();
    const std::filesystem::path folder = locationPath(Location::TempSounds);
    if (!askConfirmation(&frame_, QStringLiteral("Confirm Deletion"),
                         clearTemporaryDirectoryQuestion(qs(folder.string()))))
        return;
    if (list_.source.hasSelection())
        list_.RemoveFromListByPrefix(locationDirText(Location::TempSounds));
    const DeletionResult result = sonarium::clearTemporaryDirectory(folder);
    if (!result.failures.empty()) {
        std::string text = "Some files could not be deleted:";
        for (const std::string& failure : result.failures)
            text += "\n" + failure;
        reporter_.report(text, MessageIcon::Warning);
    }
    UpdateResourceReadouts();
    ShowActivity(QStringLiteral("Clear temp dir - done"));
}

void Workbench::closeAll() {
    frame_.mdiArea()->closeAllSubWindows();
    waveWindowExists_ = !waveWindows().isEmpty();
    refreshEnabling();
    ShowActivity(QStringLiteral("Close all - done"));
}

void Workbench::saveAs(const QString& chosen) {
    const auto old = list_.acceptSaveAs(chosen.toStdString());
    if (!old)
        return;
    renameWindows(*old, chosen.toStdString());
    SavingDialog saving(&frame_);
    saving.show();
    BarProgress progress(saving.bar);
    JobContext context{wave_, progress, [chosen] { return chosen.toStdString(); }, true};
    saveAsCopy(context, *old);
}

void Workbench::rename(const QString& chosen) {
    const std::string target = chosen.toStdString();
    const auto current = list_.slotPath(list_.GetSourceIndex());
    if (!current)
        return;
    std::error_code same;
    if (*current == target ||
        std::filesystem::equivalent(nativePath(*current), nativePath(target), same))
        return; // renaming a file onto itself changes nothing
    // Windows of files under the new name close, as their files are about to be replaced.
    for (CChildFrame* window : waveWindows())
        if (window->document().GetPathName().startsWith(chosen) &&
            window->document().GetPathName() != qs(*current))
            window->close();
    std::error_code error;
    std::filesystem::rename(nativePath(*current), nativePath(target), error);
    if (error) {
        // Across file systems a move is a copy followed by a deletion.
        std::error_code copyError;
        std::filesystem::copy_file(nativePath(*current), nativePath(target),
                                   std::filesystem::copy_options::overwrite_existing, copyError);
        if (!copyError) {
            std::filesystem::remove(nativePath(*current), copyError);
            error.clear();
        }
    }
    if (error) {
        // The file stays where it was, and so does its entry.
        reporter_.report("File " + *current + "\ncould not be renamed to " + target + ": " +
                             error.message(),
                         MessageIcon::Error);
        return;
    }
    const auto old = list_.RenameSource(target);
    if (old)
        renameWindows(*old, target);
}

void Workbench::renameWindows(const std::string& oldPath, const std::string& newPath) {
    for (CChildFrame* window : waveWindows()) {
        if (window->document().GetPathName() == qs(oldPath)) {
            window->document().SetPathName(qs(newPath));
            window->setWindowTitle(window->document().GetTitle());
            window->view()->update();
        }
    }
}

void Workbench::installHandlers() {
    for (const OperationDecl* operation : allOperations())
        frame_.setHandler(operation->commandId,
                          [this, operation] { runSourceOperation(*operation); });
    frame_.setHandler(cmd::kPlay, [this] { playback_->Play(); });
    frame_.setHandler(cmd::kPlayLooped, [this] { playback_->PlayLooped(); });
    frame_.setHandler(cmd::kStop, [this] { playback_->Stop(); });

    auto pickFiles = [this](const QString& title) {
        if (chooseFilesToOpen)
            return chooseFilesToOpen(title);
        CCustomFileDialog dialog(reporter_, title, &frame_);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    frame_.setHandler(cmd::kOpen, [this, pickFiles] {
        openFiles(pickFiles(QStringLiteral("Open Existing File")));
    });
    auto add = [this, pickFiles] { addFiles(pickFiles(QStringLiteral("Add file to list"))); };
    frame_.setHandler(cmd::kAddToList, add);
    frame_.setHandler(cmd::kAddButton, add);
    frame_.setHandler(cmd::kClearList, [this] { clearList(); });
    frame_.setHandler(cmd::kClearTempDir, [this] { clearTemporaryDirectory(); });
    frame_.setHandler(cmd::kCloseAll, [this] { closeAll(); });

    auto pickSaveName = [this](const QString& title, const QString& suggested) {
        if (chooseSaveName)
            return chooseSaveName(title, suggested);
        QFileDialog dialog(&frame_, title, suggested, kWaveFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("wav"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    frame_.setHandler(cmd::kSaveAs, [this, pickSaveName] {
        StopPlaying();
        if (!list_.saveAsAllowed())
            return;
        const auto current = list_.slotPath(list_.GetSourceIndex());
        if (!current)
            return;
        const QString chosen = pickSaveName(QStringLiteral("Save %1 as...").arg(qs(*current)),
                                            qs(list_.saveAsDefaultName()));
        if (!chosen.isEmpty())
            saveAs(chosen);
    });
    frame_.setHandler(cmd::kRename, [this, pickSaveName] {
        const auto current = list_.slotPath(list_.GetSourceIndex());
        if (!current)
            return;
        const QString chosen =
            pickSaveName(QStringLiteral("Rename %1").arg(qs(*current)), qs(*current));
        if (!chosen.isEmpty())
            rename(chosen);
    });
    frame_.setHandler(cmd::kSelectOutputPath, [this] { SelectOutputPath(); });
    frame_.setHandler(cmd::kHistory, [this] {
        CHistoryDialog dialog(qs(historyText(list_)), preferences_.helpLanguage, &frame_);
        dialog.exec();
        ShowActivity(QStringLiteral("Show History - done"));
    });
    for (int id : {cmd::kHelpTopics, 57670, 57669, 57671, 33035}) {
        frame_.setHandler(id, [this] {
            launchPath(qs(helpPage("", preferences_.helpLanguage).string()));
            ShowActivity(QStringLiteral("Launch help - done"));
        });
    }
    frame_.setHandler(cmd::kSelectAll, [this] {
        if (CChildFrame* window = activeWaveWindow())
            window->view()->OnEditSelectAll();
    });
    frame_.setHandler(cmd::kPrint, [this] {
        if (CChildFrame* window = activeWaveWindow())
            window->view()->OnFilePrint();
    });
    frame_.setHandler(33059, [] { launchPath(qs(locationPath(Location::TempSounds).string())); });
}

} // namespace sonarium
