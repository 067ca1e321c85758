// Opens files, folders and web addresses with the desktop's own programs.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace sonarium {

// Asks the desktop to open the file or folder at path; false when it could not.
bool launchPath(const QString& path);
bool launchUrl(const QUrl& url);

// Starts a program detached from the editor, with each argument passed as it is (no shell reads
// them); false when it could not be started.
bool startProgram(const QString& program, const QStringList& arguments);
// For the tests: programs are handed to the starter instead of being started; an empty one
// starts them again.
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
void setProgramStarterForTesting(ProgramStarter starter);

} // namespace sonarium
