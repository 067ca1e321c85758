// The waveform windows inside the main window's area.
#include "commands/window_commands.h"

#include "commands/operation_runner.h"
#include "display/child_frame.h"
#include "frame/main_frame.h"
#include "playback/playback_controller.h"
#include "workspace/preferences.h"
#include "workspace/working_list.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace sonarium {

WindowCommands::WindowCommands(Session& session, OperationRunner& operations)
    : session_(session), operations_(operations) {
    QMdiArea* area = session_.frame().mdiArea();
    connect(area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        waveWindowExists_ = !session_.waveWindows().isEmpty();
        if (auto* child = qobject_cast<CChildFrame*>(window))
            child->view()->OnActivateView(true);
        emit enablingChanged();
    });
    session_.setHandler(cmd::kCloseAll, [this] { closeAll(); });
    session_.setHandler(cmd::kSelectAll, [this] {
        if (CChildFrame* window = session_.activeWaveWindow())
            window->view()->OnEditSelectAll();
    });
    session_.setHandler(cmd::kDuplicateWindow, [this, area] {
        if (CChildFrame* window = session_.activeWaveWindow()) {
            CChildFrame* copy = duplicateWaveWindow(*area, *this, *window);
            area->setActiveSubWindow(copy);
            copy->view()->setFocus(Qt::OtherFocusReason);
        }
    });
    session_.setHandler(cmd::kPrint, [this] {
        if (CChildFrame* window = session_.activeWaveWindow())
            window->view()->OnFilePrint();
    });
    const std::pair<int, void (CSonariumView::*)()> zooms[] = {
        {cmd::kZoomIn, &CSonariumView::zoomIn},
        {cmd::kZoomOut, &CSonariumView::zoomOut},
        {cmd::kZoomToSelection, &CSonariumView::zoomToSelection},
        {cmd::kZoomFit, &CSonariumView::zoomFit}};
    for (const auto& entry : zooms)
        session_.setHandler(entry.first, [this, zoom = entry.second] {
            if (CChildFrame* window = session_.activeWaveWindow())
                (window->view()->*zoom)();
        });
}

std::optional<double> WindowCommands::playingFrame(const std::string& path) const {
    return session_.player().playingFrame(QString::fromStdString(path));
}

CChildFrame* WindowCommands::openDocument(const QString& path) {
    QMdiArea* area = session_.frame().mdiArea();
    CChildFrame* window = openWaveWindow(*area, *this, path);
    if (window == nullptr)
        return nullptr;
    window->show();
    area->setActiveSubWindow(window);
    window->view()->setFocus(Qt::OtherFocusReason);
    // Without keyboard focus (the main window is not active) the list is told directly, as the
    // view would on taking the focus.
    if (!window->view()->hasFocus()) {
        AddToList(path.toStdString(), window->document().channels);
        waveWindowFocused();
    }
    session_.frame().addRecentFile(path);
    emit resultOpened(path);
    return window;
}

void WindowCommands::closeAll() {
    session_.frame().mdiArea()->closeAllSubWindows();
    setWaveWindowExists(!session_.waveWindows().isEmpty());
    session_.showActivityOf(cmd::kCloseAll);
}

void WindowCommands::setWaveWindowExists(bool exists) {
    waveWindowExists_ = exists;
    emit enablingChanged();
}

ViewPreferences WindowCommands::viewPreferences() const {
    const Preferences& preferences = session_.preferences();
    return {preferences.randomWaveColour, preferences.greenWaveform, preferences.stopOnFocusLoss};
}

int WindowCommands::tempCounter() const {
    return session_.list().tempCounter;
}

int WindowCommands::selectionState() const {
    return session_.list().selectionState;
}

void WindowCommands::AddToList(const std::string& path, int channels) {
    session_.AddToList(path, channels);
}

void WindowCommands::waveWindowFocused() {
    setWaveWindowExists(true);
}

void WindowCommands::OnSourceChanged() {
    session_.list().OnSourceChanged();
}

JobOutcome WindowCommands::runOperation(const OperationDecl& operation, const JobInput& input,
                                        const std::string& destination) {
    return operations_.runJob(operation, input, [destination] { return destination; });
}

} // namespace sonarium
