// The session's ownership and wiring: list, preferences and player bound to the control bar, the
// windows and the quit; the command classes built in order.
#include "app/workbench.h"

#include "display/child_frame.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "support/dialog_watch.h"
#include "support/qt_text.h"
#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"
#include "workspace/temp_directory.h"

#include <QComboBox>
#include <filesystem>
#include <set>
#include <tuple>

namespace sonarium {

Workbench::Workbench(CMainFrame& frame, Reporter& reporter, Preferences preferences)
    : QObject(&frame), frame_(frame), reporter_(reporter), preferences_(std::move(preferences)),
      list_(reporter), wave_{reporter, resourceFile("suffix.rc2").string(), {}},
      playback_(makePlayer()), session_(frame, reporter, list_, preferences_, wave_, *playback_) {
    list_.SetOutputDir(preferences_.outputDir);
    wave_.openDocument = [this](const std::string& path) { windows_.openDocument(qs(path)); };
    wave_.nameTaken = [this](const std::string& taken) { return list_.redrawTakenName(taken); };
    connect(playback_.get(), &PlaybackController::enablingChanged, this,
            &Workbench::refreshEnabling);
    connect(&windows_, &WindowCommands::enablingChanged, this, &Workbench::refreshEnabling);
    list_.changed = [this] {
        refreshSelectors();
        playback_->refreshEnabling();
        refreshEnabling();
    };
    frame_.confirmQuit = [this] {
        // Results only the output folder holds are worth a question of their own, which stands
        // for the plain confirmation too.
        if (const QString question = unsavedResultsQuestion(); !question.isEmpty())
            return askConfirmation(&frame_, QStringLiteral("Unsaved Results"), question);
        return !preferences_.confirmOnQuit ||
               askConfirmation(&frame_, QStringLiteral("Confirm Exiting"),
                               QString::fromLatin1(kConfirmExitingText));
    };
    frame_.beforeQuit = [this] {
        session_.StopPlaying();
        if (preferences_.deleteTempOnQuit)
            deleteSessionWaveFiles(locationPath(Location::TempSounds));
        // After the deletion, so that the files it took are not kept as missing ones.
        if (preferences_.restoreSession)
            saveSession();
    };
    frame_.setRecentFileHandler([this](const QString& path) { files_.openFiles({path}); });
    frame_.openDroppedFiles = [this](const QStringList& paths) { files_.openFiles(paths); };
    frame_.liveEnabling = [this](EnablingState& state) {
        state.chainBack = provenance_.backTarget().has_value();
        state.chainForward = provenance_.forwardTarget().has_value();
    };
    files_.importAudio = [this](const std::string& path) { exchange_.importAudioFile(path); };
    new DialogWatch(this);
    bindSelectors();
    session_.UpdateResourceReadouts();
    refreshEnabling();
}

Workbench::~Workbench() {
    frame_.confirmQuit = nullptr;
    frame_.beforeQuit = nullptr;
    frame_.openDroppedFiles = nullptr;
    frame_.liveEnabling = nullptr;
    // The waveform windows call back into the parts: they go first.
    for (CChildFrame* window : session_.waveWindows())
        delete window;
}

QString Workbench::unsavedResultsQuestion() const {
    const std::vector<std::string> unsaved = list_.unsavedResults();
    if (unsaved.empty())
        return {};
    constexpr std::size_t kNamed = 6;
    QString text = unsaved.size() == 1
                       ? QStringLiteral("1 result of this session was never saved elsewhere:")
                       : QStringLiteral("%1 results of this session were never saved elsewhere:")
                             .arg(unsaved.size());
    for (std::size_t i = 0; i < unsaved.size() && i < kNamed; ++i)
        text += QStringLiteral("\n") + qs(unsaved[i]);
    if (unsaved.size() > kNamed)
        text += QStringLiteral("\n...");
    text += preferences_.deleteTempOnQuit
                ? QStringLiteral("\n\nThey will be deleted (Automatic session deletion).")
                : QStringLiteral("\n\nThey stay in the output folder only.");
    return text + QStringLiteral("\nQuit anyway?");
}

SavedSession Workbench::currentSession() const {
    SavedSession saved;
    auto exists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(nativePath(path), error);
    };
    for (const std::string& item : list_.source.items()) {
        const int slot = list_.findSlotForSelection(item);
        if (const auto path = list_.slotPath(slot); path && exists(*path))
            saved.files.push_back(
                {*path, list_.fileChannels[static_cast<std::size_t>(slot)] == 2 ? 2 : 1});
    }
    for (CChildFrame* window : session_.waveWindows())
        if (const std::string path = window->document().GetPathName().toStdString(); exists(path))
            saved.windows.push_back(path);
    if (list_.source.hasSelection())
        saved.source = list_.slotPath(list_.GetSourceIndex()).value_or("");
    if (list_.aux.hasSelection())
        saved.aux = list_.slotPath(list_.GetAuxIndex()).value_or("");
    return saved;
}

void Workbench::saveSession() {
    std::string error;
    if (!sonarium::saveSession(sessionFilePath(), currentSession(), error))
        reporter_.report("The session could not be kept for the next start:\n" + error,
                         MessageIcon::Warning);
}

void Workbench::restoreSession() {
    if (!preferences_.restoreSession)
        return;
    const std::optional<SavedSession> saved = loadSession(sessionFilePath());
    if (!saved || (saved->files.empty() && saved->windows.empty()))
        return;
    int missing = 0;
    std::set<std::string> counted;
    auto present = [&](const std::string& path) {
        std::error_code error;
        if (std::filesystem::is_regular_file(nativePath(path), error))
            return true;
        missing += counted.insert(path).second ? 1 : 0;
        return false;
    };
    for (const SavedSession::File& file : saved->files)
        if (present(file.path))
            session_.AddToList(file.path, file.channels);
    for (const std::string& path : saved->windows)
        if (present(path))
            windows_.openDocument(qs(path));
    // The selection as it was, where its files are still listed.
    for (auto [selector, path, changed] :
         {std::tuple{&list_.source, saved->source, &WorkingList::OnSourceChanged},
          std::tuple{&list_.aux, saved->aux, &WorkingList::OnAuxChanged}})
        if (!path.empty() && selector->select(WorkingList::displayName(path)))
            (list_.*changed)();
    session_.ShowActivity(missing == 0
                              ? QStringLiteral("Session restored")
                              : QStringLiteral("Session restored - %1 missing file%2 skipped")
                                    .arg(missing)
                                    .arg(missing == 1 ? "" : "s"));
}

std::unique_ptr<PlaybackController> Workbench::makePlayer() {
    return std::make_unique<PlaybackController>(
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
    state.waveformWindowExists = windows_.waveWindowExists();
    frame_.setEnablingInputs(state);
}

} // namespace sonarium
