// Entry point of the editor: installs missing resources under the audio root, reads the
// preferences, shows the splash and the main window, restores the last session and asks for the
// output folder when the preferences say so, and opens the files named on the command line.
#include "app/message_box_reporter.h"
#include "app/splash_screen.h"
#include "app/workbench.h"
#include "dialogs/preferences_dialog.h"
#include "frame/main_frame.h"
#include "wavefile/staged_file.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"

#include <QApplication>
#include <QDialog>
#include <cstdio>
#include <cstring>

namespace {

QColor fromColourRef(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before Qt starts, so that they work without a display.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("sonarium " SONARIUM_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::puts("usage: sonarium [FILE...]    start the editor and open the files\n"
                  "       sonarium --version    print the version\n"
                  "See sonarium(1).");
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sonarium"));
    QApplication::setOrganizationName(QStringLiteral("sonarium"));

    sonarium::MessageBoxReporter reporter;
    // Without an audio root there is nowhere to keep results: said, and nothing made.
    if (const std::string problem = sonarium::audioRootProblem(); !problem.empty()) {
        reporter.report(problem, sonarium::MessageIcon::Error);
        return 1;
    }
    auto installed = sonarium::installMissingResources(
        sonarium::findShippedData(QApplication::applicationDirPath().toStdString()));
    if (!installed.failures.empty()) {
        std::string text = "Some program files could not be installed under the audio folder:";
        for (const auto& failure : installed.failures)
            text += "\n" + failure;
        reporter.report(text, sonarium::MessageIcon::Warning);
    }

    const std::string prefsPath = sonarium::resourceFile("prefs.snp").string();
    const sonarium::StartupPreferences startup = sonarium::readStartupPreferences(prefsPath);
    if (!startup.noSplash) {
        sonarium::SplashScreen splash;
        splash.exec();
    }
    if (startup.customDialogColour) {
        app.setStyleSheet(QStringLiteral("QDialog { background-color: %1; color: %2; }")
                              .arg(fromColourRef(startup.backgroundColour).name(),
                                   fromColourRef(startup.textColour).name()));
    }

    sonarium::Preferences preferences;
    sonarium::LoadPreferences(reporter, prefsPath, preferences);
    preferences.computeThreads = sonarium::savedComputeThreads();
    sonarium::CMainFrame::Options options;
    options.backgroundPicture = !preferences.noBackgroundPicture;
    options.toolbars = !preferences.noToolbars;
    sonarium::CMainFrame frame(options);
    reporter.setParent(&frame);
    sonarium::Workbench workbench(frame, reporter, preferences);
    // What writers killed before their end left in the output folder goes now.
    sonarium::removeAbandonedStagedFiles(workbench.list().outputDir);
    frame.showMaximized();
    // The list and windows of the last run, when the preferences say so.
    workbench.restoreSession();
    if (preferences.alwaysAskOutputPath)
        workbench.options().SelectOutputPath();
    // Files named on the command line (a file manager's "Open with") open as Open opens them.
    if (const QStringList files = QApplication::arguments().mid(1); !files.isEmpty())
        workbench.files().openFiles(files);
    return QApplication::exec();
}
