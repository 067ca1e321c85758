// Every "open this with the desktop" goes through QDesktopServices, so tests can catch it with a
// URL handler; programs are started from argument lists through one starter tests can replace.
#include "support/launcher.h"

#include <QDesktopServices>
#include <QProcess>

namespace sonarium {

bool launchPath(const QString& path) {
    return launchUrl(QUrl::fromLocalFile(path));
}

bool launchUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

namespace {

ProgramStarter& programStarter() {
    static ProgramStarter starter;
    return starter;
}

} // namespace

bool startProgram(const QString& program, const QStringList& arguments) {
    if (programStarter())
        return programStarter()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void setProgramStarterForTesting(ProgramStarter starter) {
    programStarter() = std::move(starter);
}

} // namespace sonarium
