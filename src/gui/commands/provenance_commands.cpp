// The commands over provenance records.
#include "commands/provenance_commands.h"

#include "commands/window_commands.h"
#include "display/child_frame.h"
#include "display/sonarium_doc.h"
#include "frame/command_table.h"
#include "frame/main_frame.h"
#include "provenance/chain.h"
#include "provenance/shell_words.h"
#include "support/qt_text.h"
#include "workspace/working_list.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <filesystem>
#include <fstream>

namespace sonarium {

ProvenanceCommands::ProvenanceCommands(Session& session, WindowCommands& windows)
    : session_(session), windows_(windows) {
    chooseScriptName = [this](const QString& title, const QString& suggested) {
        return QFileDialog::getSaveFileName(session_.dialogParent(), title, suggested,
                                            QStringLiteral("Shell scripts (*.sh);;All files (*)"));
    };
    session_.setHandler(cmd::kCopyAsCommand, [this] { copyAsCommand(); });
    session_.setHandler(cmd::kExportChain, [this] { exportChain(); });
    session_.setHandler(cmd::kBackToTheSource, [this] { backToTheSource(); });
    session_.setHandler(cmd::kForwardToTheResult, [this] { forwardToTheResult(); });
    // Each waveform window's own menu offers the command too.
    connect(session_.frame().mdiArea(), &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* window) {
                auto* child = qobject_cast<CChildFrame*>(window);
                QAction* copy = session_.frame().action(cmd::kCopyAsCommand);
                if (child == nullptr || copy == nullptr || child->systemMenu() == nullptr ||
                    child->systemMenu()->actions().contains(copy))
                    return;
                child->systemMenu()->addSeparator();
                child->systemMenu()->addAction(copy);
            });
}

std::vector<std::string> ProvenanceCommands::folders() const {
    std::string folder = session_.list().outputDir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return {folder};
}

std::optional<std::string> ProvenanceCommands::sourcePath() const {
    const WorkingList& list = session_.list();
    return list.slotPath(list.GetSourceIndex());
}

QString ProvenanceCommands::activeCommand() const {
    const CChildFrame* window = session_.activeWaveWindow();
    if (window == nullptr)
        return {};
    RecordFinder finder(folders());
    const auto record = finder.recordOf(window->document().GetPathName().toStdString());
    return record ? qs(shellCommand(record->command())) : QString();
}

std::optional<std::string> ProvenanceCommands::backTarget() const {
    const auto source = sourcePath();
    if (!source)
        return std::nullopt;
    RecordFinder finder(folders());
    const auto record = finder.recordOf(*source);
    if (!record || record->inputs.empty() ||
        !std::filesystem::is_regular_file(record->inputs.front().path))
        return std::nullopt;
    return record->inputs.front().path;
}

std::optional<std::string> ProvenanceCommands::forwardTarget() const {
    const auto source = sourcePath();
    if (!source)
        return std::nullopt;
    RecordFinder finder(folders());
    const auto stamp = stampFile(*source);
    if (!stamp)
        return std::nullopt;
    // Back's way, as long as the result it left was made from the Source as it is now.
    if (!forward_.empty()) {
        const auto record = finder.recordOf(forward_.back());
        if (record && !record->inputs.empty() && record->inputs.front().sameContent(*stamp))
            return forward_.back();
    }
    const auto reader = finder.latestReaderOf(*source);
    if (!reader || !std::filesystem::is_regular_file(reader->outputs.front().path))
        return std::nullopt;
    return reader->outputs.front().path;
}

void ProvenanceCommands::copyAsCommand() {
    const QString command = activeCommand();
    if (command.isEmpty()) {
        session_.reporter().report("No record says what made this file: it was opened, not made "
                                   "by an operation, or it changed since.",
                                   MessageIcon::Information);
        return;
    }
    QGuiApplication::clipboard()->setText(command);
    session_.ShowActivity(QStringLiteral("Copy as command - done"));
}

void ProvenanceCommands::exportChain() {
    const auto source = sourcePath();
    if (!source)
        return;
    std::string problem;
    const auto chain = findChain(*source, folders(), problem);
    if (!chain) {
        session_.reporter().report("No chain to export:\n" + problem, MessageIcon::Information);
        return;
    }
    const QString suggested =
        QFileInfo(qs(*source)).completeBaseName() + QStringLiteral("-chain.sh");
    const QString chosen = chooseScriptName(QStringLiteral("Export chain"), suggested);
    if (chosen.isEmpty())
        return;
    const std::string script = chainScript(*chain);
    std::ofstream out(chosen.toStdString(), std::ios::binary | std::ios::trunc);
    out << script;
    out.close();
    if (!out) {
        session_.reporter().report("The chain could not be written to " + chosen.toStdString(),
                                   MessageIcon::Error);
        return;
    }
    std::error_code ignored;
    std::filesystem::permissions(chosen.toStdString(),
                                 std::filesystem::perms::owner_exec |
                                     std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, ignored);
    session_.ShowActivity(QStringLiteral("Export chain - done"));
}

void ProvenanceCommands::backToTheSource() {
    const auto source = sourcePath();
    const auto target = backTarget();
    if (!source || !target)
        return;
    if (forward_.empty() || forward_.back() != *source)
        forward_.push_back(*source);
    showFile(*target);
}

void ProvenanceCommands::forwardToTheResult() {
    const auto target = forwardTarget();
    if (!target)
        return;
    if (!forward_.empty() && forward_.back() == *target)
        forward_.pop_back();
    showFile(*target);
}

void ProvenanceCommands::showFile(const std::string& path) {
    for (CChildFrame* window : session_.waveWindows()) {
        if (window->document().GetPathName().toStdString() != path)
            continue;
        if (window->isMinimized())
            window->showNormal();
        session_.frame().mdiArea()->setActiveSubWindow(window);
        window->view()->setFocus(Qt::OtherFocusReason);
        // Without keyboard focus the list is told directly, as the view would on taking it.
        if (!window->view()->hasFocus()) {
            windows_.AddToList(path, window->document().channels);
            windows_.waveWindowFocused();
        }
        return;
    }
    windows_.openDocument(qs(path));
}

} // namespace sonarium
