// The help, history and folder commands.
#include "commands/help_commands.h"

#include "dialogs/workspace_dialogs.h"
#include "frame/command_table.h"
#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"

namespace sonarium {

void HelpCommands::helpTopics() {
    launchPath(qs(helpPage("", host_.helpLanguage()).string()));
    host_.ShowActivity(qs(activityText(cmd::kHelpTopics)));
}

void HelpCommands::showHistory() {
    CHistoryDialog dialog(qs(host_.historyText()), host_.helpLanguage(), host_.dialogParent());
    dialog.exec();
    host_.ShowActivity(qs(activityText(cmd::kHistory)));
}

void HelpCommands::openTemporaryFolder() {
    launchPath(qs(locationPath(Location::TempSounds).string()));
}

} // namespace sonarium
