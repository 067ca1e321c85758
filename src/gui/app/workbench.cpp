// The session's ownership and wiring: list, preferences and player bound to the control bar and
// the windows; command ids bound to the command classes.
#include "app/workbench.h"

#include "dialogs/preferences_dialog.h"
#include "dialogs/system_information_dialog.h"
#include "display/child_frame.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "playback/completion_sound.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"
#include "workspace/history.h"
#include "workspace/resource_readouts.h"
#include "workspace/temp_directory.h"

#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <algorithm>

namespace sonarium {

Workbench::Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences)
    : QObject(&frame), frame_(frame), reporter_(reporter), preferences_(std::move(preferences)),
      list_(reporter), wave_{reporter, resourceFile("suffix.rc2").string(), {}} {
    list_.SetOutputDir(preferences_.outputDir);
    wave_.openDocument = [this](const std::string& path) { openDocument(qs(path)); };
    wave_.nameTaken = [this](const std::string& taken) { return list_.redrawTakenName(taken); };
    playback_ = std::make_unique<PlaybackController>(
        reporter_,
        [this]() -> std::optional<QString> {
            // The Source selector's file, found by its displayed name.
            if (!list_.source.hasSelection())
                return std::nullopt;
            const auto path =
                list_.slotPath(list_.findSlotForSelection(list_.source.currentText()));
            return path ? std::optional<QString>(qs(*path)) : std::nullopt;
        },
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
    playCompletionSound = [](const QString& path) {
        SilentReporter quiet; // a completion sound that cannot play is not worth a message
        playSoundAndWait(quiet, path);
    };
    playSource = [this] { playback_->Play(); };
    frame_.setRecentFileHandler([this](const QString& path) { files_.openFiles({path}); });
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

JobOutcome Workbench::runOperation(const OperationDecl& operation, const JobInput& input,
                                   const std::string& destination) {
    return operations_.runJob(operation, input, [destination] { return destination; });
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

int Workbench::sourceChannels() const {
    if (!sourcePath())
        return 0;
    return list_.sourceIsStereo ? 2 : 1;
}

std::optional<std::string> Workbench::sourcePath() const {
    return list_.slotPath(list_.GetSourceIndex());
}

std::optional<std::string> Workbench::auxPath() const {
    return list_.slotPath(list_.GetAuxIndex());
}

std::optional<WindowSelection> Workbench::activeSelection() const {
    CChildFrame* window = activeWaveWindow();
    if (window == nullptr)
        return std::nullopt;
    return WindowSelection{window->document().GetPathName().toStdString(),
                           window->view()->selectedFrames()};
}

void Workbench::setActiveSelection(const FrameSpan& frames) {
    CChildFrame* window = activeWaveWindow();
    if (window == nullptr)
        return;
    const std::uint64_t frameBytes =
        2 * static_cast<std::uint64_t>(std::max(window->document().channels, 1));
    const auto offset = [frameBytes](std::uint64_t frame) {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(frame * frameBytes, UINT32_MAX));
    };
    window->view()->setSelection(offset(frames.first),
                                 offset(std::uint64_t{frames.first} + frames.count));
}

std::string Workbench::historyText() const {
    return sonarium::historyText(list_);
}

void Workbench::closeAllWindows() {
    frame_.mdiArea()->closeAllSubWindows();
    waveWindowExists_ = !waveWindows().isEmpty();
    refreshEnabling();
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

void Workbench::AfterOperation(bool ok) {
    if (preferences_.beep && ok && playCompletionSound)
        playCompletionSound(qs(preferences_.beepPath));
    if (preferences_.autoPlay && ok && playSource)
        playSource();
    if (preferences_.activateWhenComputed) {
        frame_.raise();
        frame_.activateWindow();
        if (!frame_.isActiveWindow())
            showCompleted(&frame_);
    }
}

void Workbench::showPreferences() {
    // The dialog shows the output folder in use, which Select Output Path may have changed.
    preferences_.outputDir = list_.outputDir;
    CPreferencesDialog dialog(preferences_, resourceFile("prefs.snp").string(), reporter_, &frame_);
    dialog.settingsChanged = [this] { preferencesChanged(); };
    dialog.exec();
    ShowActivity(qs(activityText(cmd::kPreferences)));
}

void Workbench::preferencesChanged() {
    if (preferences_.outputDir != list_.outputDir) {
        list_.SetOutputDir(preferences_.outputDir);
        UpdateResourceReadouts();
    }
}

void Workbench::installHandlers() {
    for (const OperationDecl* operation : allOperations()) {
        const CommandSpec* command = findCommand(operation->commandId);
        // A Plain row (File statistics) and a row that says so leave out the after-operation step.
        OperationRunner::Command how{.keepsPlaying = command != nullptr && command->keepsPlaying,
                                     .afterOperation = command == nullptr ||
                                                       (command->afterOperation &&
                                                        command->pattern != CommandPattern::Plain)};
        if (operation->commandId == cmd::kInsertClipboard) {
            // The clipboard's wave file is copied out before the dialog opens.
            how.secondFile = [this]() -> std::optional<std::string> {
                const ClipboardCommands::Paste paste = clipboard_.ClipboardToFile(false);
                if (!paste.ok)
                    return std::nullopt;
                return paste.path;
            };
        }
        frame_.setHandler(operation->commandId,
                          [this, operation, how] { operations_.run(*operation, how); });
    }
    frame_.setHandler(cmd::kSystemInformation, [this] {
        CSystemInformationDialog dialog(SystemSources{}, helpLanguage(), &frame_);
        dialog.exec();
        frame_.ShowActivity(qs(activityText(cmd::kSystemInformation)));
    });
    frame_.setHandler(cmd::kPlay, [this] { playback_->Play(); });
    frame_.setHandler(cmd::kPlayLooped, [this] { playback_->PlayLooped(); });
    frame_.setHandler(cmd::kStop, [this] { playback_->Stop(); });
    frame_.setHandler(cmd::kCopyToClipboard, [this] { clipboard_.CopyToClipboard(); });
    frame_.setHandler(cmd::kPasteClipboard, [this] { clipboard_.PasteClipboardToFile(); });
    frame_.setHandler(cmd::kPlayClipboardLooped, [this] {
        clipboard_.playClipboardLooped([this] { playback_->PlayLooped(); });
    });

    frame_.setHandler(cmd::kOpen, [this] { files_.open(); });
    frame_.setHandler(cmd::kAddToList, [this] { files_.add(); });
    frame_.setHandler(cmd::kAddButton, [this] { files_.add(); });
    frame_.setHandler(cmd::kClearList, [this] { files_.clearList(); });
    frame_.setHandler(cmd::kClearTempDir, [this] { files_.clearTemporaryDirectory(); });
    frame_.setHandler(cmd::kCloseAll, [this] { files_.closeAll(); });
    frame_.setHandler(cmd::kSaveAs, [this] { files_.saveAsCommand(); });
    frame_.setHandler(cmd::kRename, [this] { files_.renameCommand(); });
    frame_.setHandler(cmd::kSelectOutputPath, [this] { files_.SelectOutputPath(); });
    frame_.setHandler(cmd::kImportRaw, [this] { exchange_.importRaw(); });
    frame_.setHandler(cmd::kImportEightBit, [this] { exchange_.importEightBit(); });
    frame_.setHandler(cmd::kExportEightBit, [this] { exchange_.exportEightBit(); });
    frame_.setHandler(cmd::kExportSourceToMp3, [this] { exchange_.exportSourceToMp3(); });
    frame_.setHandler(cmd::kExportAllToMp3, [this] { exchange_.exportAllToMp3(); });
    frame_.setHandler(cmd::kPreferences, [this] { showPreferences(); });

    frame_.setHandler(cmd::kHistory, [this] { help_.showHistory(); });
    for (int id :
         {cmd::kHelpTopics, cmd::kHelp, cmd::kContextHelp, cmd::kDefaultHelp, cmd::kHelpButton})
        frame_.setHandler(id, [this] { help_.helpTopics(); });
    frame_.setHandler(cmd::kOpenTemporaryFolder, [this] { help_.openTemporaryFolder(); });
    frame_.setHandler(cmd::kCalculator, [this] { help_.calculator(); });
    frame_.setHandler(cmd::kBpmCalculator, [this] { help_.bpmCalculator(); });
    frame_.setHandler(cmd::kMixer, [this] { help_.mixer(); });
    frame_.setHandler(cmd::kWebSite, [this] { help_.webSite(); });
    frame_.setHandler(cmd::kAbout, [this] { help_.about(); });

    frame_.setHandler(cmd::kSelectAll, [this] {
        if (CChildFrame* window = activeWaveWindow())
            window->view()->OnEditSelectAll();
    });
    frame_.setHandler(cmd::kDuplicateWindow, [this] {
        if (CChildFrame* window = activeWaveWindow()) {
            CChildFrame* copy = duplicateWaveWindow(*frame_.mdiArea(), *this, *window);
            frame_.mdiArea()->setActiveSubWindow(copy);
            copy->view()->setFocus(Qt::OtherFocusReason);
        }
    });
    frame_.setHandler(cmd::kPrint, [this] {
        if (CChildFrame* window = activeWaveWindow())
            window->view()->OnFilePrint();
    });
}

} // namespace sonarium
