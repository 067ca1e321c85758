// The File menu's commands on the working list, the files and their windows: Open, Add to List
// (and the control bar's Add button), Clear List, Clear Temporary Directory, Save As and Rename.
#pragma once

#include "commands/session.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

namespace sonarium {

class WindowCommands;

class FileCommands {
public:
    // Installs the commands.
    FileCommands(Session& session, WindowCommands& windows);

    // The commands as the menu runs them, file dialogs included.
    void open();
    void add();
    void saveAsCommand();
    void renameCommand();

    // The commands once the files are chosen.
    void openFiles(const QStringList& paths);
    void addFiles(const QStringList& paths);
    void clearList();
    void clearTemporaryDirectory();
    void saveAs(const QString& chosen);
    void rename(const QString& chosen);

    // Imports a file that cannot be edited as it is (24-bit, float, 8-bit, more than two
    // channels, another format) once the user agreed; set by the workbench.
    std::function<void(const std::string& path)> importAudio;

    // For the tests: answers the file dialogs instead of the user.
    std::function<QStringList(const QString& title)> chooseFilesToOpen;
    std::function<QString(const QString& title, const QString& suggested)> chooseSaveName;

private:
    // A file of another format than the working one: says what it holds and offers the import.
    // True when the file was handled so (imported or declined); false for a file to open as it
    // is, or one the sound file library cannot read either (the opening then says why).
    bool offerImport(const std::string& path);
    QStringList pickFiles(const QString& title);
    // confirmOverwrite: the file dialog asks before a name of an existing file is taken.
    QString pickSaveName(const QString& title, const QString& suggested, bool confirmOverwrite);
    // Windows showing the old path now show the new one.
    void renameWindows(const std::string& oldPath, const std::string& newPath);

    Session& session_;
    WindowCommands& windows_;
};

} // namespace sonarium
