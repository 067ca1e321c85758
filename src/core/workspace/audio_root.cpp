// Mapping of the system's fixed locations under one audio root.
#include "workspace/audio_root.h"

#include "wavefile/staged_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace sonarium {

namespace fs = std::filesystem;

namespace {

fs::path fromUtf8(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string toUtf8(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

} // namespace

fs::path audioRoot() {
    std::string root = environment("SONARIUM_ROOT");
    if (!root.empty())
        return fromUtf8(root);
#ifdef _WIN32
    std::string home = environment("USERPROFILE");
#else
    std::string home = environment("HOME");
#endif
    if (home.empty())
        return fs::current_path() / "audio";
    return fromUtf8(home) / "audio";
}

std::string audioRootProblem() {
    if (!environment("SONARIUM_ROOT").empty())
        return {};
#ifdef _WIN32
    if (!environment("USERPROFILE").empty())
        return {};
    return "Neither SONARIUM_ROOT nor USERPROFILE is set: there is no audio folder to keep "
           "results and settings in.\nSet SONARIUM_ROOT to the folder to use.";
#else
    if (!environment("HOME").empty())
        return {};
    return "Neither SONARIUM_ROOT nor HOME is set: there is no audio folder to keep results and "
           "settings in.\nSet SONARIUM_ROOT to the folder to use.";
#endif
}

fs::path locationPath(Location location) {
    fs::path root = audioRoot();
    switch (location) {
    case Location::Root:
        return root;
    case Location::Program:
        return root / "sonarium";
    case Location::Resources:
        return root / "sonarium" / "res";
    case Location::Help:
        return root / "sonarium" / "help";
    case Location::TempSounds:
        return root / "tempsnds";
    }
    return root;
}

std::string locationDirText(Location location) {
    std::string text = toUtf8(locationPath(location));
    if (text.empty() || text.back() != static_cast<char>(fs::path::preferred_separator))
        text += static_cast<char>(fs::path::preferred_separator);
    return text;
}

fs::path resourceFile(const std::string& name) {
    return locationPath(Location::Resources) / fromUtf8(name);
}

fs::path helpPage(const std::string& code, const std::string& helpLanguage) {
    const char* suffix = helpLanguage == "English" ? "_english.html" : "_francais.html";
    return locationPath(Location::Help) / fromUtf8(code + suffix);
}

std::string resolveUnderRoot(const std::string& stored) {
    if (stored.empty())
        return stored;
    fs::path path = fromUtf8(stored);
    if (path.is_absolute())
        return stored;
    std::string resolved = toUtf8((audioRoot() / path).make_preferred());
    return resolved;
}

fs::path findShippedData(const fs::path& exeDir) {
    std::string overridden = environment("SONARIUM_DATA_DIR");
    if (!overridden.empty())
        return fromUtf8(overridden);
    std::error_code error;
    fs::path installed = exeDir / ".." / "share" / "sonarium";
    if (fs::is_directory(installed / "res", error))
        return installed.lexically_normal();
#ifdef SONARIUM_BUILD_DATA_DIR
    return fs::path(SONARIUM_BUILD_DATA_DIR);
#else
    return installed.lexically_normal();
#endif
}

namespace {

// Creates a folder of the user's own (read, write and enter for the user alone, whatever the
// umask) unless it is there; the folders above it are made as usual.
void createPrivateFolder(const fs::path& folder, std::error_code& error) {
    error.clear();
    if (fs::is_directory(folder, error))
        return;
    fs::create_directories(folder.parent_path(), error);
    if (error)
        return;
    if (!fs::create_directory(folder, error) || error)
        return;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
}

} // namespace

InstallResult installMissingResources(const fs::path& shippedData) {
    InstallResult result;
    if (const std::string problem = audioRootProblem(); !problem.empty()) {
        result.failures.push_back(problem);
        return result;
    }
    std::error_code error;
    // A root that cannot be made is the one failure to tell.
    const fs::path root = audioRoot();
    if (!fs::is_directory(root, error)) {
        fs::create_directories(root, error);
        if (error) {
            result.failures.push_back(toUtf8(root) + ": " + error.message());
            return result;
        }
    }
#ifndef _WIN32
    // A root where nothing can be made is told once, not for every folder and file.
    if ((!fs::is_directory(locationPath(Location::TempSounds), error) ||
         !fs::is_directory(locationPath(Location::Program), error)) &&
        ::access(toUtf8(root).c_str(), W_OK) != 0) {
        result.failures.push_back(toUtf8(root) + ": " + std::strerror(errno));
        return result;
    }
#endif
    bool programFolder = true;
    for (Location location : {Location::TempSounds, Location::Program}) {
        createPrivateFolder(locationPath(location), error);
        if (error) {
            result.failures.push_back(toUtf8(locationPath(location)) + ": " + error.message());
            programFolder = programFolder && location != Location::Program;
        }
    }
    if (!programFolder)
        return result; // nothing can be copied under a folder that could not be made
    const std::pair<const char*, Location> folders[] = {{"res", Location::Resources},
                                                        {"help", Location::Help}};
    for (const auto& [folder, location] : folders) {
        fs::path from = shippedData / folder;
        fs::path to = locationPath(location);
        if (!fs::is_directory(from, error)) {
            result.failures.push_back(toUtf8(from) + ": not found");
            continue;
        }
        // Folders that could not be made, each told once.
        std::set<fs::path> unmade;
        for (fs::recursive_directory_iterator it(from, error), end; !error && it != end;
             it.increment(error)) {
            if (!it->is_regular_file(error) || it->path().extension() == ".py")
                continue;
            fs::path target = to / it->path().lexically_relative(from);
            if (fs::exists(fs::symlink_status(target, error)))
                continue;
            // Staged, so that a full disk cannot leave a cut-off resource that later starts would
            // take as installed.
            if (unmade.count(target.parent_path()) != 0)
                continue;
            std::error_code folderError;
            fs::create_directories(target.parent_path(), folderError);
            if (folderError) {
                unmade.insert(target.parent_path());
                result.failures.push_back(toUtf8(target.parent_path()) + ": " +
                                          folderError.message());
                continue;
            }
            std::string copyError;
            copyFileAtomically(toUtf8(it->path()), toUtf8(target), copyError);
            if (!copyError.empty()) {
                // A folder where nothing can be written refuses every file alike: once is enough.
#ifndef _WIN32
                if (::access(toUtf8(target.parent_path()).c_str(), W_OK) != 0)
                    unmade.insert(target.parent_path());
#endif
                result.failures.push_back(toUtf8(target) + ": " + copyError);
                continue;
            }
            // The shipped scripts (the MP3 encoder's) keep their execute bits.
            std::error_code modeError;
            fs::permissions(target, it->status(modeError).permissions(), modeError);
            ++result.copied;
        }
        if (error)
            result.failures.push_back(toUtf8(from) + ": " + error.message());
    }
    return result;
}

} // namespace sonarium
