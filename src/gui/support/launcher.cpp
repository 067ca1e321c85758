// Every "open this with the desktop" goes through QDesktopServices, so tests can catch it with a
// URL handler.
#include "support/launcher.h"

#include <QDesktopServices>

namespace sonarium {

bool launchPath(const QString& path) {
    return launchUrl(QUrl::fromLocalFile(path));
}

bool launchUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace sonarium
