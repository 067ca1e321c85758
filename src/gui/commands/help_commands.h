// The commands that show pages, folders and dialogs or start programs outside the editor: the
// help topics, the History dialog, the temporary folder, the calculators, the mixer, System
// Information, the web site and the About box.
#pragma once

#include "commands/session.h"
#include "support/help_window.h"

#include <QPointer>
#include <span>

namespace sonarium {

// The programs looked for on PATH, in order of preference.
std::span<const char* const> calculatorPrograms();
std::span<const char* const> mixerPrograms();

class HelpCommands {
public:
    // Installs the commands and makes the session's help window the viewer of every help page.
    explicit HelpCommands(Session& session);
    ~HelpCommands();
    HelpCommands(const HelpCommands&) = delete;
    HelpCommands& operator=(const HelpCommands&) = delete;

    // Shows a help file in the session's help window, made on first use.
    void showHelp(const QString& path);
    // The help window, nullptr until help was first shown.
    CHelpWindow* helpWindow() const { return window_; }

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
    void systemInformation();
    void webSite();
    void about();

private:
    Session& session_;
    QPointer<CHelpWindow> window_;
};

} // namespace sonarium
