// Every "open this with the desktop" goes through QDesktopServices, so tests can catch it with a
// URL handler; every program start goes through one starter, so tests can record it.
#include "support/launcher.h"

#include "support/qt_text.h"
#include "workspace/audio_root.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace sonarium {

namespace {

HelpViewer& helpViewer() {
    static HelpViewer current;
    return current;
}

bool showHelpFile(const QString& path) {
    if (!helpViewer())
        return launchPath(path);
    helpViewer()(path);
    return true;
}

ProgramStarter& starter() {
    static ProgramStarter current;
    return current;
}

QString noOpenerText(const QString& what, const QString& target) {
    return what + QStringLiteral("\n") + target +
           QStringLiteral("\ncould not be opened: no program to show it was found on this "
                          "system.\nInstalling xdg-utils (xdg-open) provides one.");
}

} // namespace

bool launchPath(const QString& path) {
    return launchUrl(QUrl::fromLocalFile(path));
}

bool launchUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool openPathOrSay(Reporter& reporter, const QString& path, const QString& what) {
    if (!QFileInfo::exists(path)) {
        reporter.report((what + QStringLiteral("\n") + path + QStringLiteral("\ndoes not exist."))
                            .toStdString(),
                        MessageIcon::Warning);
        return false;
    }
    if (launchPath(path))
        return true;
    reporter.report(noOpenerText(what, path).toStdString(), MessageIcon::Warning);
    return false;
}

bool openUrlOrSay(Reporter& reporter, const QUrl& url, const QString& what) {
    if (launchUrl(url))
        return true;
    reporter.report(noOpenerText(what, url.toString()).toStdString(), MessageIcon::Warning);
    return false;
}

bool openHelpPage(Reporter& reporter, const std::string& code, const std::string& language) {
    const QString path = qs(helpPage(code, language).string());
    if (!helpViewer() || !QFileInfo::exists(path))
        return openPathOrSay(reporter, path, QStringLiteral("The help page"));
    helpViewer()(path);
    return true;
}

bool openHelpPage(const std::string& code, const std::string& language) {
    const QString path = qs(helpPage(code, language).string());
    return QFileInfo::exists(path) && showHelpFile(path);
}

void setHelpViewer(HelpViewer viewer) {
    helpViewer() = std::move(viewer);
}

bool startProgram(const QString& program, const QStringList& arguments) {
    if (starter())
        return starter()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void setProgramStarter(ProgramStarter replacement) {
    starter() = std::move(replacement);
}

QString findProgramOnPath(std::span<const char* const> names) {
    for (const char* name : names) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace sonarium
