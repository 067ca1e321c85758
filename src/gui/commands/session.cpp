// The shared services over the main window, the working list and the player.
#include "commands/session.h"

#include "display/child_frame.h"
#include "frame/control_bar.h"
#include "frame/main_frame.h"
#include "playback/playback_controller.h"
#include "support/qt_text.h"
#include "workspace/preferences.h"
#include "workspace/resource_readouts.h"
#include "workspace/working_list.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace sonarium {

QWidget* Session::dialogParent() {
    return &frame_;
}

std::string Session::helpLanguage() const {
    return preferences_.helpLanguage;
}

void Session::StopPlaying() {
    player_.Stop();
}

void Session::ShowActivity(const QString& text) {
    frame_.ShowActivity(text);
}

void Session::showActivityOf(int commandId) {
    ShowActivity(qs(activityText(commandId)));
}

std::string Session::NextTempPath() {
    return list_.NextTempPath();
}

void Session::AddToList(const std::string& path, int channels) {
    list_.AddToList(path, channels);
    UpdateResourceReadouts();
}

void Session::UpdateResourceReadouts() {
    const ResourceReadouts readouts = sonarium::UpdateResourceReadouts(list_.outputDir);
    frame_.controlBar()->setReadouts(qs(readouts.hdd), qs(readouts.ram));
}

QList<CChildFrame*> Session::waveWindows() const {
    QList<CChildFrame*> windows;
    for (QMdiSubWindow* window : frame_.mdiArea()->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window))
            windows << child;
    return windows;
}

CChildFrame* Session::activeWaveWindow() const {
    return qobject_cast<CChildFrame*>(frame_.mdiArea()->activeSubWindow());
}

void Session::setHandler(int commandId, std::function<void()> handler) {
    frame_.setHandler(commandId, std::move(handler));
}

} // namespace sonarium
