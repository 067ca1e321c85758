// Opens files, folders and web addresses with the desktop's own programs.
#pragma once

#include <QString>
#include <QUrl>

namespace sonarium {

// Asks the desktop to open the file or folder at path; false when it could not.
bool launchPath(const QString& path);
bool launchUrl(const QUrl& url);

} // namespace sonarium
