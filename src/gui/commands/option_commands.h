// The Option menu's commands on the session's settings: Select Output Path and Preferences.
#pragma once

#include "commands/session.h"

namespace sonarium {

class OptionCommands {
public:
    // Installs the commands.
    explicit OptionCommands(Session& session);

    // The output folder dialog; the list's output folder becomes the path chosen.
    void SelectOutputPath();
    // "Preferences 1.6", then "Prefs Definition - done".
    void showPreferences();

private:
    Session& session_;
};

} // namespace sonarium
