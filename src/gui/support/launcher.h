// Opens files, folders and web addresses with the desktop's own programs, and starts external
// programs detached from an argument list (never through a shell).
#pragma once

#include "base/reporter.h"

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <span>
#include <string>

namespace sonarium {

// Asks the desktop to open the file or folder at path; false when it could not (no opener is
// installed, or the opener refused it).
bool launchPath(const QString& path);
bool launchUrl(const QUrl& url);

// The same, telling the user through the reporter when nothing opened: a missing file or
// folder, or no program to show it. what names the thing in the message ("The help page").
bool openPathOrSay(Reporter& reporter, const QString& path, const QString& what);
bool openUrlOrSay(Reporter& reporter, const QUrl& url, const QString& what);

// The help page of a dialog code (empty: the general page) in the help language, shown by the
// help viewer when one is set, else by the desktop. A missing page is said through the reporter.
bool openHelpPage(Reporter& reporter, const std::string& code, const std::string& language);
// The same for a dialog that has no reporter: a missing page shows nothing.
bool openHelpPage(const std::string& code, const std::string& language);

// What shows help pages inside the program (the session's help window); an empty one hands
// them to the desktop again.
using HelpViewer = std::function<void(const QString& path)>;
void setHelpViewer(HelpViewer viewer);

// Starts a program detached, with its arguments as given; false when it could not start.
bool startProgram(const QString& program, const QStringList& arguments = {});
// Replaces the process starter (tests record what would start); an empty one restores it.
using ProgramStarter = std::function<bool(const QString& program, const QStringList& arguments)>;
void setProgramStarter(ProgramStarter starter);

// The full path of the first of the names found as an executable on PATH; empty when none is.
QString findProgramOnPath(std::span<const char* const> names);

} // namespace sonarium
