// Entry point of the editor: installs missing resources under the audio root and opens the
// main window.
#include "app/message_box_reporter.h"
#include "frame/main_frame.h"
#include "workspace/audio_root.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sonarium"));
    QApplication::setOrganizationName(QStringLiteral("sonarium"));

    sonarium::MessageBoxReporter reporter;
    auto installed = sonarium::installMissingResources(
        sonarium::findShippedData(QApplication::applicationDirPath().toStdString()));
    if (!installed.failures.empty()) {
        std::string text = "Some program files could not be installed under the audio folder:";
        for (const auto& failure : installed.failures)
            text += "\n" + failure;
        reporter.report(text, sonarium::MessageIcon::Warning);
    }

    sonarium::CMainFrame frame(sonarium::CMainFrame::Options{});
    reporter.setParent(&frame);
    frame.showMaximized();
    return QApplication::exec();
}
