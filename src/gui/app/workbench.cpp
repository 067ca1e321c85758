// The session's ownership and wiring: list, preferences and player bound to the control bar, the
// windows and the quit; the command classes built in order.
#include "app/workbench.h"

#include "display/child_frame.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "support/dialog_watch.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"
#include "workspace/temp_directory.h"

#include <QComboBox>

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
        return !preferences_.confirmOnQuit ||
               askConfirmation(&frame_, QStringLiteral("Confirm Exiting"),
                               QString::fromLatin1(kConfirmExitingText));
    };
    frame_.beforeQuit = [this] {
        session_.StopPlaying();
        if (preferences_.deleteTempOnQuit)
            deleteSessionWaveFiles(locationPath(Location::TempSounds));
    };
    frame_.setRecentFileHandler([this](const QString& path) { files_.openFiles({path}); });
    files_.importAudio = [this](const std::string& path) { exchange_.importAudioFile(path); };
    new DialogWatch(this);
    bindSelectors();
    session_.UpdateResourceReadouts();
    refreshEnabling();
}

Workbench::~Workbench() {
    frame_.confirmQuit = nullptr;
    frame_.beforeQuit = nullptr;
    // The waveform windows call back into the parts: they go first.
    for (CChildFrame* window : session_.waveWindows())
        delete window;
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
