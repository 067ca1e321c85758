// The main window's construction, command routing and enabling.
#include "frame/main_frame.h"

#include "frame/client_area.h"
#include "frame/command_icons.h"
#include "frame/control_bar.h"
#include "frame/lock_indicators.h"
#include "support/qt_text.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace sonarium {

namespace {

constexpr int kRecentFiles = 10;

} // namespace

CMainFrame::CMainFrame(const Options& options, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("sonarium"));
    mdi_ = new ClientArea(options.backgroundPicture, this);
    setCentralWidget(mdi_);

    buildMenus();
    buildToolbars(options);
    buildStatusBar();
    installFrameworkHandlers();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { updateMenus(); });
    setAcceptDrops(true);
    ShowActivity(QStringLiteral("Ready"));
    updateMenus();
}

QAction* CMainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::buildMenus() {
    // One action per command id; a command listed in two menus shares its action.
    for (const CommandSpec& command : commandTable()) {
        if (actions_.count(command.id) != 0)
            continue;
        auto* act = new QAction(qs(command.caption), this);
        act->setObjectName(QStringLiteral("command%1").arg(command.id));
        act->setData(command.id);
        QList<QKeySequence> keys;
        for (const QString& key : qs(command.shortcuts).split(QLatin1Char(';'), Qt::SkipEmptyParts))
            keys << QKeySequence(key);
        act->setShortcuts(keys);
        act->setShortcutContext(Qt::WindowShortcut);
        QString tip = qs(command.caption);
        tip.remove(QLatin1Char('&'));
        act->setToolTip(tip.isEmpty() ? QStringLiteral("(no command)") : tip);
        act->setStatusTip(act->toolTip());
        // The menu item and the toolbar button share the action, and so the icon.
        act->setIcon(commandIcon(command));
        connect(act, &QAction::triggered, this, [this, id = command.id] { runCommand(id); });
        addAction(act); // shortcuts work even for commands that are on no menu
        actions_[command.id] = act;
    }

    for (MenuId menuId : topMenus()) {
        QMenu* menu = menuBar()->addMenu(qs(menuTitle(menuId)));
        // A submenu is made where its first command falls in its menu's rows.
        std::map<MenuId, QMenu*> submenus;
        for (const CommandSpec& command : commandTable()) {
            QMenu* target = nullptr;
            if (command.menu == menuId) {
                target = menu;
            } else if (parentMenu(command.menu) == menuId) {
                QMenu*& submenu = submenus[command.menu];
                if (submenu == nullptr)
                    submenu = menu->addMenu(qs(menuTitle(command.menu)));
                target = submenu;
            }
            if (target == nullptr)
                continue;
            if (command.separatorBefore && !target->isEmpty())
                target->addSeparator();
            if (command.id == cmd::kRecentFile) {
                recentMenu_ = target->addMenu(qs(command.caption));
                recentMenu_->setObjectName(QStringLiteral("recentFiles"));
                continue;
            }
            target->addAction(actions_[command.id]);
        }
    }
    refreshRecentMenu();
}

QToolBar* CMainFrame::makeToolbar(const QString& title, const QString& name,
                                  std::span<const int> ids, int iconSize) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(name);
    bar->setIconSize(QSize(iconSize, iconSize));
    for (int id : ids) {
        if (id == cmd::kSeparator) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(actions_.at(id));
    }
    return bar;
}

void CMainFrame::buildToolbars(const Options& options) {
    tools_ =
        makeToolbar(QStringLiteral("Tools"), QStringLiteral("toolsToolbar"), toolsToolbar(), 16);
    effects_ = makeToolbar(QStringLiteral("Effects"), QStringLiteral("effectsToolbar"),
                           effectsToolbar(), 32);
    synthesis_ = makeToolbar(QStringLiteral("Synthesis and Interactions"),
                             QStringLiteral("synthesisToolbar"), synthesisToolbar(), 32);
    addToolBar(Qt::TopToolBarArea, tools_);
    addToolBar(Qt::TopToolBarArea, effects_);
    addToolBar(Qt::LeftToolBarArea, synthesis_);
    synthesis_->setOrientation(Qt::Vertical);

    // The control bar sits in its own row under the toolbars.
    addToolBarBreak(Qt::TopToolBarArea);
    auto* controlDock = new QToolBar(QStringLiteral("Control bar"), this);
    controlDock->setObjectName(QStringLiteral("controlBarDock"));
    controlDock->setMovable(false);
    controlBar_ = new ControlBar(controlDock);
    controlDock->addWidget(controlBar_);
    addToolBar(Qt::TopToolBarArea, controlDock);
    connect(controlBar_->addButton(), &QPushButton::clicked, this,
            [this] { runCommand(cmd::kAddButton); });

    if (!options.toolbars) {
        effects_->hide();
        synthesis_->hide();
    }
}

void CMainFrame::buildStatusBar() {
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->showMessage(QStringLiteral("Ready"));
    // Each indicator shows its name while its lock is on and is blank otherwise, or always
    // where the platform does not tell the lock states.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(statusBar());
        label->setObjectName(QStringLiteral("indicator") + QString::fromLatin1(indicator));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        statusBar()->addPermanentWidget(label);
        indicators_.push_back(label);
    }
    if (readLockStates()) {
        auto* poll = new QTimer(this);
        poll->setInterval(250);
        connect(poll, &QTimer::timeout, this, &CMainFrame::updateLockIndicators);
        poll->start();
        updateLockIndicators();
    }
}

void CMainFrame::updateLockIndicators() {
    const std::optional<LockStates> states = readLockStates();
    const bool on[] = {states && states->capsLock, states && states->numLock,
                       states && states->scrollLock};
    const char* names[] = {"CAP", "NUM", "SCRL"};
    for (std::size_t i = 0; i < indicators_.size(); ++i)
        indicators_[i]->setText(on[i] ? QString::fromLatin1(names[i]) : QString());
}

void CMainFrame::installFrameworkHandlers() {
    setHandler(cmd::kCascade, [this] { mdi_->cascadeSubWindows(); });
    setHandler(cmd::kTile, [this] { mdi_->tileSubWindows(); });
    setHandler(cmd::kArrangeIcons, [this] {
        // Minimised windows line up along the bottom, as cascading them would hide them.
        for (QMdiSubWindow* window : mdi_->subWindowList())
            if (window->isMinimized())
                window->showMinimized();
    });
    setHandler(cmd::kClose, [this] { mdi_->closeActiveSubWindow(); });
    setHandler(cmd::kQuit, [this] { close(); });
    setHandler(cmd::kToolbar, [this] {
        const bool show = !tools_->isVisible();
        tools_->setVisible(show);
        action(cmd::kToolbar)->setChecked(show);
    });
    setHandler(cmd::kStatusBar, [this] {
        const bool show = !statusBar()->isVisible();
        statusBar()->setVisible(show);
        action(cmd::kStatusBar)->setChecked(show);
    });
    for (int id : {cmd::kToolbar, cmd::kStatusBar}) {
        action(id)->setCheckable(true);
        action(id)->setChecked(true);
    }
    setHandler(cmd::kSpecialToolbars, [this] {
        QDialog dialog(this);
        dialog.setWindowTitle(QStringLiteral("Special Toolbars"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* effectBox = new QCheckBox(QStringLiteral("&Effect"), &dialog);
        auto* synthesisBox = new QCheckBox(QStringLiteral("&Synthesis"), &dialog);
        effectBox->setObjectName(QStringLiteral("effectBox"));
        synthesisBox->setObjectName(QStringLiteral("synthesisBox"));
        effectBox->setChecked(effects_->isVisible());
        synthesisBox->setChecked(synthesis_->isVisible());
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(effectBox);
        layout->addWidget(synthesisBox);
        layout->addWidget(buttons);
        if (dialog.exec() == QDialog::Accepted)
            showSpecialToolbars(effectBox->isChecked(), synthesisBox->isChecked());
    });
}

void CMainFrame::showSpecialToolbars(bool effects, bool synthesis) {
    if (effects != effects_->isVisible())
        effects_->setVisible(effects);
    if (synthesis != synthesis_->isVisible())
        synthesis_->setVisible(synthesis);
}

void CMainFrame::ShowActivity(const QString& activity) {
    controlBar_->ShowActivity(activity);
}

void CMainFrame::setHandler(int id, std::function<void()> handler) {
    handlers_[id] = std::move(handler);
    updateMenus();
}

void CMainFrame::runCommand(int id) {
    updateMenus();
    QAction* act = action(id);
    if (act == nullptr || !act->isEnabled())
        return;
    auto it = handlers_.find(id);
    if (it != handlers_.end() && it->second)
        it->second();
    updateMenus();
}

void CMainFrame::setEnablingInputs(const EnablingState& inputs) {
    inputs_ = inputs;
    updateMenus();
}

EnablingState CMainFrame::enablingState() const {
    EnablingState state = inputs_;
    state.activeView = mdi_ != nullptr && mdi_->activeSubWindow() != nullptr;
    if (liveEnabling)
        liveEnabling(state);
    return state;
}

void CMainFrame::updateMenus() {
    const EnablingState state = enablingState();
    for (const CommandSpec& command : commandTable()) {
        QAction* act = action(command.id);
        if (act == nullptr)
            continue;
        // A command is usable when its rule allows it and something handles it.
        act->setEnabled(hasHandler(command.id) && isCommandEnabled(command, state));
    }
}

QStringList CMainFrame::recentFiles() const {
    QSettings settings(QStringLiteral("sonarium"), QStringLiteral("sonarium"));
    return settings.value(QStringLiteral("Recent File List/files")).toStringList();
}

void CMainFrame::addRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kRecentFiles)
        files.removeLast();
    QSettings settings(QStringLiteral("sonarium"), QStringLiteral("sonarium"));
    settings.setValue(QStringLiteral("Recent File List/files"), files);
    refreshRecentMenu();
}

void CMainFrame::setRecentFileHandler(std::function<void(const QString&)> handler) {
    openRecent_ = std::move(handler);
    refreshRecentMenu();
}

void CMainFrame::refreshRecentMenu() {
    if (recentMenu_ == nullptr)
        return;
    recentMenu_->clear();
    const QStringList files = recentFiles();
    int number = 1;
    for (const QString& file : files) {
        QAction* entry = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(file));
        connect(entry, &QAction::triggered, this, [this, file] {
            if (openRecent_)
                openRecent_(file);
        });
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

QStringList CMainFrame::droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files << url.toLocalFile();
    return files;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop has returned: the source application is not kept waiting while
    // the files are scanned and their questions are answered.
    QTimer::singleShot(0, this, [this, files] {
        if (openDroppedFiles)
            openDroppedFiles(files);
    });
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    QSettings settings(QStringLiteral("sonarium"), QStringLiteral("sonarium"));
    settings.setValue(QStringLiteral("Settings/Dock1/Dock1"), saveState());
    if (confirmQuit && !confirmQuit()) {
        event->ignore();
        return;
    }
    if (beforeQuit)
        beforeQuit();
    mdi_->closeAllSubWindows();
    event->accept();
}

} // namespace sonarium
