// The commands that show pages, folders and dialogs or start programs outside the editor: the
// help topics, the History dialog, the temporary folder, the calculators, the mixer, System
// Information, the web site and the About box.
#pragma once

#include "commands/session.h"

#include <span>

namespace sonarium {

// The programs looked for on PATH, in order of preference.
std::span<const char* const> calculatorPrograms();
std::span<const char* const> mixerPrograms();

class HelpCommands {
public:
    // Installs the commands.
    explicit HelpCommands(Session& session);

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
};

} // namespace sonarium
