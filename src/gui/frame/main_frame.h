// CMainFrame: the main window. Menus, toolbars and shortcuts come from the command table; one
// function decides what is enabled; each command id is routed to its handler.
#pragma once

#include "frame/command_table.h"

#include <QMainWindow>
#include <functional>
#include <map>
#include <vector>

class QLabel;
class QMimeData;
class QMdiArea;
class QMenu;
class QToolBar;

namespace sonarium {

class ControlBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    struct Options {
        bool backgroundPicture = true; // the picture behind the waveform windows
        bool toolbars = true;          // the Effects and Synthesis and Interactions toolbars
    };

    explicit CMainFrame(const Options& options, QWidget* parent = nullptr);

    QAction* action(int id) const;
    QMdiArea* mdiArea() const { return mdi_; }
    ControlBar* controlBar() const { return controlBar_; }
    QToolBar* toolsBar() const { return tools_; }
    QToolBar* effectsBar() const { return effects_; }
    QToolBar* synthesisBar() const { return synthesis_; }

    // Writes a command's completion text into the Activity field.
    void ShowActivity(const QString& text);

    // Installs the handler of a command id (replacing any earlier one).
    void setHandler(int id, std::function<void()> handler);
    bool hasHandler(int id) const { return handlers_.count(id) != 0; }
    // Runs a command as the menu would: nothing when it is disabled.
    void runCommand(int id);

    // The part of the enabling state that the working list and playback decide.
    void setEnablingInputs(const EnablingState& inputs);
    // Re-evaluates every command's enabled state (menus, toolbar buttons and shortcuts alike).
    void updateMenus();
    EnablingState enablingState() const;

    // The recent-file list of the File menu (10 entries, kept in the settings).
    void addRecentFile(const QString& path);
    QStringList recentFiles() const;
    void setRecentFileHandler(std::function<void(const QString&)> handler);

    // Shows CAP, NUM and SCRL for the locks that are on (blank where the platform cannot tell).
    void updateLockIndicators();

    // Shows or hides the Effects and Synthesis toolbars, as the Special Toolbars dialog does.
    void showSpecialToolbars(bool effects, bool synthesis);

    // The local files a drag carries, in order; empty when it carries none.
    static QStringList droppedFiles(const QMimeData* data);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildToolbars(const Options& options);
    void buildStatusBar();
    void installFrameworkHandlers();
    void refreshRecentMenu();
    QToolBar* makeToolbar(const QString& title, const QString& name, std::span<const int> ids,
                          int iconSize);

    QMdiArea* mdi_ = nullptr;
    ControlBar* controlBar_ = nullptr;
    QToolBar* tools_ = nullptr;
    QToolBar* effects_ = nullptr;
    QToolBar* synthesis_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    std::map<int, QAction*> actions_;
    std::vector<QLabel*> indicators_; // CAP, NUM, SCRL
    std::map<int, std::function<void()>> handlers_;
    std::function<void(const QString&)> openRecent_;
    EnablingState inputs_;

public:
    // Hooks the application sets: asked before quitting (false keeps the program running), and
    // run once the quit is confirmed.
    std::function<bool()> confirmQuit;
    std::function<void()> beforeQuit;
    // Opens the files dropped on the window.
    std::function<void(const QStringList&)> openDroppedFiles;
    // Fills the parts of the enabling state that are read afresh each time the commands are
    // enabled (what the recorded chain says of the Source, which a finished job changes).
    std::function<void(EnablingState&)> liveEnabling;
};

} // namespace sonarium
