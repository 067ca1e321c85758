// The commands that show pages, folders and dialogs or start programs outside the editor: the
// help topics, the History dialog, the temporary folder, the calculators, the mixer, the web
// site and the About box.
#pragma once

#include "base/reporter.h"

#include <QString>
#include <span>
#include <string>

class QWidget;

namespace sonarium {

// What the help commands need from the main window.
class HelpCommandHost {
public:
    virtual ~HelpCommandHost() = default;

    virtual std::string helpLanguage() const = 0;
    // The output folder of the session.
    virtual std::string outputDirectory() const = 0;
    // The working list's slots with their times and paths.
    virtual std::string historyText() const = 0;
    virtual void ShowActivity(const QString& text) = 0;
    virtual Reporter& reporter() = 0;
    virtual QWidget* dialogParent() = 0;
};

// The programs looked for on PATH, in order of preference.
std::span<const char* const> calculatorPrograms();
std::span<const char* const> mixerPrograms();

class HelpCommands {
public:
    explicit HelpCommands(HelpCommandHost& host) : host_(host) {}

    // The general help page in the help language; "Launch help - done" once it opened.
    void helpTopics();
    void showHistory();
    void openTemporaryFolder();
    // The first desktop calculator on PATH, else the shipped calculator page of the language.
    void calculator();
    // <root>/sonarium/bpmcalc/BPMcalc.
    void bpmCalculator();
    // The first mixer on PATH; without one, a message.
    void mixer();
    void webSite();
    void about();

private:
    HelpCommandHost& host_;
};

} // namespace sonarium
