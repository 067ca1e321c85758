// The commands that show pages and folders: the help topics, the History dialog and the
// temporary folder.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace sonarium {

// What the help commands need from the main window.
class HelpCommandHost {
public:
    virtual ~HelpCommandHost() = default;

    virtual std::string helpLanguage() const = 0;
    // The working list's slots with their times and paths.
    virtual std::string historyText() const = 0;
    virtual void ShowActivity(const QString& text) = 0;
    virtual QWidget* dialogParent() = 0;
};

class HelpCommands {
public:
    explicit HelpCommands(HelpCommandHost& host) : host_(host) {}

    // The general help page in the interface language.
    void helpTopics();
    void showHistory();
    void openTemporaryFolder();

private:
    HelpCommandHost& host_;
};

} // namespace sonarium
