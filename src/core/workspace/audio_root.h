// The audio root and every fixed location under it: resources, help pages, temporary results.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sonarium {

enum class Location {
    Root,       // the audio root itself
    Program,    // <root>/sonarium
    Resources,  // <root>/sonarium/res: suffix.rc2, prefs.snp, beep.rc2, atwork.rc2
    Help,       // <root>/sonarium/help
    TempSounds, // <root>/tempsnds: the default output directory
};

// $SONARIUM_ROOT when set and not empty, else the "audio" folder of the user's home.
std::filesystem::path audioRoot();

// Why there is no audio root (neither SONARIUM_ROOT nor HOME is set), in the words shown to the
// user; empty when there is one. Nothing is then created anywhere: the program says so instead.
std::string audioRootProblem();

// The directory of a fixed location under the audio root.
std::filesystem::path locationPath(Location location);

// The directory as text ending with the native separator, the form the working list keeps.
std::string locationDirText(Location location);

// A file in the resources directory, such as "suffix.rc2".
std::filesystem::path resourceFile(const std::string& name);

// The help page of a dialog: <CODE>_english.html, or <CODE>_francais.html unless the help language
// is "English". An empty code names the general page.
std::filesystem::path helpPage(const std::string& code, const std::string& helpLanguage);

// A path stored in a settings file: absolute paths stand as they are, relative ones are taken
// from the audio root (the shipped preferences name "tempsnds/" that way). A trailing separator
// is kept.
std::string resolveUnderRoot(const std::string& stored);

// The folder that holds the shipped res/ and help/ folders: $SONARIUM_DATA_DIR, else
// <exeDir>/../share/sonarium when it exists, else the build tree's share/sonarium (res/ from the
// sources, help/ written by the build) the program was built in.
std::filesystem::path findShippedData(const std::filesystem::path& exeDir);

struct InstallResult {
    int copied = 0;
    std::vector<std::string> failures; // files that could not be copied, with the reason
};

// Copies every shipped file of res/ and help/ that is missing under <root>/sonarium/, and makes
// sure <root>/tempsnds exists (a folder it creates is for the user alone; one already there keeps
// its permissions). Files already there are never overwritten. A folder that cannot be made is
// one failure, not one for each file it would have held; without an audio root nothing is made
// and the one failure says why.
InstallResult installMissingResources(const std::filesystem::path& shippedData);

} // namespace sonarium
