// The help, history, folder, launcher and About commands. Each opens its page, folder or
// program through the launcher; when nothing opens, the user is told so and no "done" is shown.
#include "commands/help_commands.h"

#include "dialogs/about_dialogs.h"
#include "dialogs/workspace_dialogs.h"
#include "frame/command_table.h"
#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"

#include <QFileInfo>

namespace sonarium {

namespace {

constexpr const char* kCalculators[] = {"gnome-calculator", "kcalc",      "qalculate-qt",
                                        "qalculate-gtk",    "galculator", "mate-calc",
                                        "speedcrunch",      "xcalc"};
constexpr const char* kMixers[] = {"pavucontrol",    "pavucontrol-qt",      "kmix",
                                   "xfce4-mixer",    "mate-volume-control", "qasmixer",
                                   "gnome-alsamixer"};

QString programList(std::span<const char* const> names) {
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list.join(QStringLiteral(", "));
}

} // namespace

std::span<const char* const> calculatorPrograms() {
    return kCalculators;
}

std::span<const char* const> mixerPrograms() {
    return kMixers;
}

void HelpCommands::helpTopics() {
    if (openHelpPage(host_.reporter(), "", host_.helpLanguage()))
        host_.ShowActivity(qs(activityText(cmd::kHelpTopics)));
}

void HelpCommands::showHistory() {
    CHistoryDialog dialog(qs(host_.historyText()), host_.reporter(), host_.helpLanguage(),
                          host_.dialogParent());
    dialog.exec();
    host_.ShowActivity(qs(activityText(cmd::kHistory)));
}

void HelpCommands::openTemporaryFolder() {
    openPathOrSay(host_.reporter(), qs(host_.outputDirectory()),
                  QStringLiteral("The temporary folder"));
}

void HelpCommands::calculator() {
    const QString program = findProgramOnPath(kCalculators);
    if (!program.isEmpty()) {
        if (!startProgram(program))
            host_.reporter().report("The calculator " + program.toStdString() +
                                        "\ncould not be started.",
                                    MessageIcon::Warning);
        return;
    }
    // No desktop calculator: the shipped page of the help language.
    const char* page = host_.helpLanguage() == "English" ? "ENCalc.html" : "FRCalc.html";
    openPathOrSay(host_.reporter(), qs(resourceFile(page).string()),
                  QStringLiteral("No calculator program was found (looked for: %1).\nThe "
                                 "calculator page")
                      .arg(programList(kCalculators)));
}

void HelpCommands::bpmCalculator() {
    const QString program = qs((locationPath(Location::Program) / "bpmcalc" / "BPMcalc").string());
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        host_.reporter().report("The BPM calculator\n" + program.toStdString() +
                                    "\nis not installed.",
                                MessageIcon::Warning);
        return;
    }
    if (!startProgram(program))
        host_.reporter().report("The BPM calculator\n" + program.toStdString() +
                                    "\ncould not be started.",
                                MessageIcon::Warning);
}

void HelpCommands::mixer() {
    const QString program = findProgramOnPath(kMixers);
    if (program.isEmpty()) {
        host_.reporter().report(
            "No mixer program was found (looked for: " + programList(kMixers).toStdString() + ").",
            MessageIcon::Warning);
        return;
    }
    if (!startProgram(program))
        host_.reporter().report("The mixer " + program.toStdString() + "\ncould not be started.",
                                MessageIcon::Warning);
}

void HelpCommands::webSite() {
    openUrlOrSay(host_.reporter(), QUrl(QString::fromLatin1(kWebSite)),
                 QStringLiteral("The web site"));
}

void HelpCommands::about() {
    int result = 0;
    {
        CAboutDialog box([this] { webSite(); }, host_.dialogParent());
        result = box.exec();
    }
    if (result == CAboutDialog::ReleaseInfo) {
        CReleaseInfoDialog release(host_.dialogParent());
        release.exec();
    } else if (result == CAboutDialog::Contact) {
        CContactDialog contact(host_.dialogParent());
        contact.exec();
    }
}

} // namespace sonarium
