// The File menu's commands on the working list, the files and their windows: Open, Add to List,
// Clear List, Clear Temporary Directory, Close All, Save As, Rename and Select Output Path.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <string>

class QWidget;

namespace sonarium {

class CChildFrame;
class Reporter;
class WorkingList;
struct Preferences;
struct WaveContext;

// What the file commands need from the main window.
class FileCommandHost {
public:
    virtual ~FileCommandHost() = default;

    virtual Reporter& reporter() = 0;
    virtual WorkingList& list() = 0;
    virtual const Preferences& preferences() const = 0;
    virtual const WaveContext& waveContext() const = 0;
    // Opens a file in its own waveform window; nullptr when it cannot be displayed.
    virtual CChildFrame* openDocument(const QString& path) = 0;
    virtual void AddToList(const std::string& path, int channels) = 0;
    virtual QList<CChildFrame*> waveWindows() const = 0;
    virtual CChildFrame* activeWaveWindow() const = 0;
    virtual void closeAllWindows() = 0;
    virtual void StopPlaying() = 0;
    virtual void ShowActivity(const QString& text) = 0;
    virtual void UpdateResourceReadouts() = 0;
    virtual QWidget* dialogParent() = 0;
};

class FileCommands {
public:
    explicit FileCommands(FileCommandHost& host) : host_(host) {}

    // The commands as the menu runs them, file dialogs included.
    void open();
    void add();
    void saveAsCommand();
    void renameCommand();
    void SelectOutputPath();

    // The commands once the files are chosen.
    void openFiles(const QStringList& paths);
    void addFiles(const QStringList& paths);
    void clearList();
    void clearTemporaryDirectory();
    void closeAll();
    void saveAs(const QString& chosen);
    void rename(const QString& chosen);

    // For the tests: answers the file dialogs instead of the user.
    std::function<QStringList(const QString& title)> chooseFilesToOpen;
    std::function<QString(const QString& title, const QString& suggested)> chooseSaveName;

private:
    QStringList pickFiles(const QString& title);
    // confirmOverwrite: the file dialog asks before a name of an existing file is taken.
    QString pickSaveName(const QString& title, const QString& suggested, bool confirmOverwrite);
    // Windows showing the old path now show the new one.
    void renameWindows(const std::string& oldPath, const std::string& newPath);
    void showActivityOf(int commandId);

    FileCommandHost& host_;
};

} // namespace sonarium
