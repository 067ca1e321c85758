// The help, history, folder, launcher and About commands. Each opens its page, folder or
// program through the launcher; when nothing opens, the user is told so and no "done" is shown.
#include "commands/help_commands.h"

#include "dialogs/about_dialogs.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/workspace_dialogs.h"
#include "frame/command_table.h"
#include "frame/main_frame.h"
#include "provenance/chain.h"
#include "support/help_window.h"
#include "support/launcher.h"
#include "support/qt_text.h"
#include "workspace/audio_root.h"
#include "workspace/history.h"
#include "workspace/working_list.h"

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

HelpCommands::HelpCommands(Session& session) : session_(session) {
    for (int id :
         {cmd::kHelpTopics, cmd::kHelp, cmd::kContextHelp, cmd::kDefaultHelp, cmd::kHelpButton})
        session_.setHandler(id, [this] { helpTopics(); });
    session_.setHandler(cmd::kHistory, [this] { showHistory(); });
    session_.setHandler(cmd::kOpenTemporaryFolder, [this] { openTemporaryFolder(); });
    session_.setHandler(cmd::kCalculator, [this] { calculator(); });
    session_.setHandler(cmd::kBpmCalculator, [this] { bpmCalculator(); });
    session_.setHandler(cmd::kMixer, [this] { mixer(); });
    session_.setHandler(cmd::kSystemInformation, [this] { systemInformation(); });
    session_.setHandler(cmd::kWebSite, [this] { webSite(); });
    session_.setHandler(cmd::kAbout, [this] { about(); });
    setHelpViewer([this](const QString& path) { showHelp(path); });
}

HelpCommands::~HelpCommands() {
    setHelpViewer({});
    delete window_;
}

void HelpCommands::showHelp(const QString& path) {
    if (window_ == nullptr)
        window_ = new CHelpWindow(session_.reporter(), &session_.frame());
    window_->showPage(path);
}

void HelpCommands::helpTopics() {
    if (openHelpPage(session_.reporter(), "", session_.helpLanguage()))
        session_.showActivityOf(cmd::kHelpTopics);
}

void HelpCommands::showHistory() {
    std::string folder = session_.list().outputDir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    RecordFinder records({folder});
    CHistoryDialog dialog(qs(historyText(session_.list(), records)), session_.reporter(),
                          session_.helpLanguage(), session_.dialogParent());
    dialog.exec();
    session_.showActivityOf(cmd::kHistory);
}

void HelpCommands::openTemporaryFolder() {
    openPathOrSay(session_.reporter(), qs(session_.list().outputDir),
                  QStringLiteral("The temporary folder"));
}

void HelpCommands::calculator() {
    const QString program = findProgramOnPath(kCalculators);
    if (!program.isEmpty()) {
        if (!startProgram(program))
            session_.reporter().report("The calculator " + program.toStdString() +
                                           "\ncould not be started.",
                                       MessageIcon::Warning);
        return;
    }
    // No desktop calculator: the shipped page of the help language.
    const char* page = session_.helpLanguage() == "English" ? "ENCalc.html" : "FRCalc.html";
    openPathOrSay(session_.reporter(), qs(resourceFile(page).string()),
                  QStringLiteral("No calculator program was found (looked for: %1).\nThe "
                                 "calculator page")
                      .arg(programList(kCalculators)));
}

void HelpCommands::bpmCalculator() {
    const QString program = qs((locationPath(Location::Program) / "bpmcalc" / "BPMcalc").string());
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        session_.reporter().report("The BPM calculator\n" + program.toStdString() +
                                       "\nis not installed.",
                                   MessageIcon::Warning);
        return;
    }
    if (!startProgram(program))
        session_.reporter().report("The BPM calculator\n" + program.toStdString() +
                                       "\ncould not be started.",
                                   MessageIcon::Warning);
}

void HelpCommands::mixer() {
    const QString program = findProgramOnPath(kMixers);
    if (program.isEmpty()) {
        session_.reporter().report(
            "No mixer program was found (looked for: " + programList(kMixers).toStdString() + ").",
            MessageIcon::Warning);
        return;
    }
    if (!startProgram(program))
        session_.reporter().report("The mixer " + program.toStdString() + "\ncould not be started.",
                                   MessageIcon::Warning);
}

void HelpCommands::systemInformation() {
    CSystemInformationDialog dialog(SystemSources{}, session_.helpLanguage(),
                                    session_.dialogParent());
    dialog.exec();
    session_.showActivityOf(cmd::kSystemInformation);
}

void HelpCommands::webSite() {
    openUrlOrSay(session_.reporter(), QUrl(QString::fromLatin1(kWebSite)),
                 QStringLiteral("The web site"));
}

void HelpCommands::about() {
    int result = 0;
    {
        CAboutDialog box([this] { webSite(); }, session_.dialogParent());
        result = box.exec();
    }
    if (result == CAboutDialog::ReleaseInfo) {
        CReleaseInfoDialog release(session_.dialogParent());
        release.exec();
    } else if (result == CAboutDialog::Contact) {
        CContactDialog contact(session_.dialogParent());
        contact.exec();
    }
}

} // namespace sonarium
