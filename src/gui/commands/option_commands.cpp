// The output folder and the preferences dialog.
#include "commands/option_commands.h"

#include "dialogs/preferences_dialog.h"
#include "dialogs/workspace_dialogs.h"
#include "frame/command_table.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"
#include "workspace/working_list.h"

namespace sonarium {

OptionCommands::OptionCommands(Session& session) : session_(session) {
    session_.setHandler(cmd::kSelectOutputPath, [this] { SelectOutputPath(); });
    session_.setHandler(cmd::kPreferences, [this] { showPreferences(); });
}

void OptionCommands::SelectOutputPath() {
    WorkingList& list = session_.list();
    COutputPathnameDialog dialog(qs(list.outputDir), session_.reporter(),
                                 session_.preferences().helpLanguage, session_.dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::string chosen = dialog.pathText().toStdString();
    if (!chosen.empty())
        list.SetOutputDir(chosen);
    else if (list.outputDir.empty())
        list.SetOutputDir(locationDirText(Location::TempSounds));
    session_.UpdateResourceReadouts();
}

void OptionCommands::showPreferences() {
    Preferences& preferences = session_.preferences();
    WorkingList& list = session_.list();
    // The dialog shows the output folder in use, which Select Output Path may have changed.
    preferences.outputDir = list.outputDir;
    CPreferencesDialog dialog(preferences, resourceFile("prefs.snp").string(), session_.reporter(),
                              session_.dialogParent());
    // The output folder follows the settings.
    dialog.settingsChanged = [this, &preferences, &list] {
        if (preferences.outputDir != list.outputDir) {
            list.SetOutputDir(preferences.outputDir);
            session_.UpdateResourceReadouts();
        }
    };
    dialog.exec();
    session_.showActivityOf(cmd::kPreferences);
}

} // namespace sonarium
