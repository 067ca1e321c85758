// The working list's slots, selectors and temporary numbering.
#include "workspace/working_list.h"

#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace sonarium {

namespace {

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string withoutExtension(const std::string& path) {
    return path.size() >= 4 ? path.substr(0, path.size() - 4) : std::string();
}

std::string fileNamePart(const std::string& path) {
    std::size_t i = path.size();
    while (i > 0 && !isSeparator(path[i - 1]))
        --i;
    return path.substr(i);
}

} // namespace

std::string directoryPart(const std::string& path) {
    std::size_t i = path.size();
    while (i > 0 && !isSeparator(path[i - 1]))
        --i;
    return path.substr(0, i);
}

std::string lowerCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

WorkingList::WorkingList(Reporter& reporter, Clock now)
    : reporter_(reporter), now_(now ? std::move(now) : Clock(&std::chrono::system_clock::now)) {}

void WorkingList::notify() {
    if (changed)
        changed();
}

std::string WorkingList::displayName(const std::string& path) {
    std::size_t last = std::string::npos;
    std::size_t previous = std::string::npos;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isSeparator(path[i])) {
            previous = last;
            last = i;
        }
    }
    std::size_t from = previous != std::string::npos ? previous
                       : last != std::string::npos   ? last
                                                     : 0;
    std::string tail = path.substr(from);
    return tail.size() >= 4 ? tail.substr(0, tail.size() - 4) : std::string();
}

int WorkingList::slotOfSelector(const SelectorModel& selector) const {
    if (!selector.hasSelection())
        return -1;
    const std::string wanted = selector.currentText() + ".wav";
    for (int i = 0; i < kSlots; ++i)
        if (!filePaths[static_cast<std::size_t>(i)].empty() &&
            endsWith(filePaths[static_cast<std::size_t>(i)], wanted))
            return i;
    return -1;
}

int WorkingList::GetSourceIndex() const {
    return slotOfSelector(source);
}

int WorkingList::GetAuxIndex() const {
    return slotOfSelector(aux);
}

std::optional<std::string> WorkingList::slotPath(int slot) const {
    if (slot < 0 || slot >= kSlots || filePaths[static_cast<std::size_t>(slot)].empty())
        return std::nullopt;
    return filePaths[static_cast<std::size_t>(slot)];
}

int WorkingList::findSlotForSelection(const std::string& text) const {
    for (int i = 0; i < kSlots; ++i) {
        const std::string& path = filePaths[static_cast<std::size_t>(i)];
        if (!path.empty() && endsWith(withoutExtension(path), text))
            return i;
    }
    return -1;
}

bool WorkingList::isSourceOrAux(const std::string& path) const {
    for (int slot : {GetSourceIndex(), GetAuxIndex()}) {
        const auto listed = slotPath(slot);
        if (!listed)
            continue;
        if (*listed == path)
            return true;
        std::error_code error;
        if (std::filesystem::equivalent(std::filesystem::path(*listed), std::filesystem::path(path),
                                        error))
            return true;
    }
    return false;
}

namespace {

// The number of a result name: "NNN.wav", or "NNN_NAME_.wav" as raw imports are named; -1 for
// any other name.
int resultNumber(const std::string& name) {
    if (name.size() < 7 || !std::isdigit(static_cast<unsigned char>(name[0])) ||
        !std::isdigit(static_cast<unsigned char>(name[1])) ||
        !std::isdigit(static_cast<unsigned char>(name[2])))
        return -1;
    const std::string rest = name.substr(3);
    if (rest != ".wav" && !(rest.size() > 6 && rest.front() == '_' && endsWith(rest, "_.wav")))
        return -1;
    return (name[0] - '0') * 100 + (name[1] - '0') * 10 + (name[2] - '0');
}

// The highest result number in the folder; -1 when it holds none (or cannot be read).
int highestResultNumber(const std::string& folder) {
    int highest = -1;
    std::error_code error;
    for (std::filesystem::directory_iterator it(nativePath(folder), error), end;
         !error && it != end; it.increment(error))
        highest = std::max(highest, resultNumber(it->path().filename().string()));
    return highest;
}

} // namespace

std::string WorkingList::NextTempPath() {
    // Numbering goes on after the highest result in the folder, so that results, of this run or
    // of an earlier one or of another editor on the same folder, stay in the order they were
    // made. Once 999 is taken the names cycle: every name that exists on disk, or is the Source
    // or Aux, is passed over.
    const int highest = highestResultNumber(outputDir);
    if (highest >= 0 && highest < 999) {
        const int at = ((tempCounter % 1000) + 1000) % 1000;
        if (at <= highest)
            tempCounter = static_cast<std::int16_t>(tempCounter + (highest + 1 - at));
    }
    bool warned = false;
    for (int drawn = 0; drawn < kSlots; ++drawn) {
        if (tempCounter == 998 && !warned) {
            warned = true;
            reporter_.report("The maximal amount of open files has been reached\nSave your "
                             "files and restart the application",
                             MessageIcon::Warning);
        }
        char name[16];
        std::snprintf(name, sizeof name, "%04d.wav", static_cast<int>(tempCounter));
        tempCounter = static_cast<std::int16_t>(tempCounter + 1);
        const std::string formatted(name);
        // Names cycle through 000.wav to 999.wav.
        std::string path = outputDir + formatted.substr(formatted.size() - 7);
        std::error_code error;
        const auto type = std::filesystem::symlink_status(nativePath(path), error).type();
        const bool exists = type != std::filesystem::file_type::not_found &&
                            type != std::filesystem::file_type::none;
        if (!exists && !isSourceOrAux(path)) {
            drawn_.insert(path);
            results_.push_back(path);
            return path;
        }
    }
    reporter_.report("Every result name from 000.wav to 999.wav is taken in\n" + outputDir +
                         "\n\nMove or delete some results, or choose another output folder.",
                     MessageIcon::Error);
    return {};
}

std::string WorkingList::redrawTakenName(const std::string& taken) {
    // The name itself, or one made from it (a raw import's "NNN_NAME_.wav"): the same made from
    // the next free number.
    for (const std::string& drawn : drawn_) {
        const std::string stem = withoutExtension(drawn);
        if (taken != drawn && !(taken.starts_with(stem + "_") && endsWith(taken, "_.wav")))
            continue;
        const std::string next = NextTempPath();
        if (next.empty())
            return {};
        return taken == drawn ? next : withoutExtension(next) + taken.substr(stem.size());
    }
    return {};
}

void WorkingList::SetOutputDir(const std::string& directory) {
    // Results always go into a folder: an empty choice means the default one, a relative one is
    // taken from the audio root like the paths of the preferences file, and the separator that
    // the temporary names are appended to is added when it was left out.
    if (directory.empty()) {
        outputDir = locationDirText(Location::TempSounds);
    } else {
        outputDir = resolveUnderRoot(directory);
        if (!isSeparator(outputDir.back()))
            outputDir += static_cast<char>(std::filesystem::path::preferred_separator);
    }
    tempCounter = 0;
    drawn_.clear();
}

std::vector<std::string> WorkingList::unsavedResults() const {
    std::vector<std::string> unsaved;
    std::set<std::string> seen;
    for (const std::string& result : results_) {
        std::error_code error;
        if (savedResults_.count(result) == 0 && seen.insert(result).second &&
            std::filesystem::is_regular_file(nativePath(result), error))
            unsaved.push_back(result);
    }
    return unsaved;
}

void WorkingList::store(int slot, const std::string& path, int channels) {
    const auto i = static_cast<std::size_t>(slot);
    filePaths[i] = path;
    fileTimes[i] = now_();
    fileChannels[i] = static_cast<std::uint8_t>(std::clamp(channels, 0, 255));
}

bool WorkingList::AddToList(const std::string& path, int channels) {
    const std::string name = displayName(path);
    const bool listed = std::find(filePaths.begin(), filePaths.end(), path) != filePaths.end();
    const bool full = std::none_of(filePaths.begin(), filePaths.end(),
                                   [](const std::string& p) { return p.empty(); });
    // Every slot holds another file: nothing is overwritten and the selectors stay as they are.
    if (full && !listed) {
        reporter_.report("The working list is full: " + std::to_string(kSlots) +
                             " files are listed.\n" + path +
                             " was not added; save your files and restart the application",
                         MessageIcon::Warning);
        return false;
    }
    if (!aux.hasSelection())
        aux.select(name);

    bool stored = false;
    for (int i = 0; i < kSlots && !stored; ++i) {
        if (filePaths[static_cast<std::size_t>(i)] != path)
            continue;
        if (source.contains(name)) {
            if (source.hasSelection()) {
                const std::string current = source.currentText();
                if (current != name) {
                    aux.select(current);
                    source.select(name);
                    auxIsStereo = sourceIsStereo;
                    // Source and Aux now show different files.
                    selectionState = 2;
                }
                stored = true;
                break;
            }
            // No Source selection: look on for a later slot holding the path.
            selectionState = 0;
            continue;
        }
        // Listed before but no longer in the selectors (as after Clear List): reuse the slot.
        store(i, path, channels);
        source.append(name);
        aux.append(name);
        source.select(name);
        aux.select(name);
        selectionState = 1;
        stored = true;
    }

    if (!stored) {
        int slot = -1;
        for (int i = 0; i < kSlots; ++i) {
            if (filePaths[static_cast<std::size_t>(i)].empty()) {
                slot = i;
                break;
            }
        }
        if (slot < 0) {
            // Only reachable when the path was listed but had to be stored again (no Source
            // selection) and no slot is free: the listed slot is made the Source instead.
            slot = static_cast<int>(std::find(filePaths.begin(), filePaths.end(), path) -
                                    filePaths.begin());
        }
        store(slot, path, channels);
        const std::string current = source.currentText();
        const bool stereo = channels == 2;
        if (!source.contains(name)) {
            source.append(name);
            aux.append(name);
            if (!current.empty() && aux.select(current)) {
                selectionState = 2;
                auxIsStereo = sourceIsStereo;
            } else {
                aux.select(name);
                selectionState = 1;
                sourceIsStereo = auxIsStereo = stereo;
            }
        } else if (!source.hasSelection()) {
            aux.select(name);
            selectionState = 1;
            sourceIsStereo = auxIsStereo = stereo;
        } else {
            if (!aux.select(current)) {
                aux.append(name);
                aux.select(name);
            }
            selectionState = 2;
            auxIsStereo = sourceIsStereo;
        }
        source.select(name);
        if (!aux.hasSelection())
            aux.select(name);
    }
    sourceIsStereo = channels == 2;
    notify();
    return true;
}

void WorkingList::RemoveFromListByPrefix(const std::string& prefix) {
    for (const std::string& path : filePaths) {
        if (path.empty() || path.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string name = displayName(path);
        if (int i = source.find(name); i >= 0)
            source.removeAt(i);
        if (int i = aux.find(name); i >= 0)
            aux.removeAt(i);
    }
    notify();
}

void WorkingList::OnSourceChanged() {
    if (!source.hasSelection()) {
        selectionState = 0;
        sourceIsStereo = false;
        notify();
        return;
    }
    const int slot = findSlotForSelection(source.currentText());
    if (slot < 0) {
        selectionState = 0;
    } else {
        sourceIsStereo = fileChannels[static_cast<std::size_t>(slot)] != 1;
        selectionState = aux.current() == source.current() ? 1 : 2;
    }
    notify();
}

void WorkingList::OnAuxChanged() {
    if (!aux.hasSelection())
        return;
    const int slot = findSlotForSelection(aux.currentText());
    if (slot < 0) {
        selectionState = 0;
        notify();
        reporter_.report("Invalid selection", MessageIcon::Error);
        return;
    }
    if (source.current() == aux.current()) {
        selectionState = 1;
    } else {
        auxIsStereo = fileChannels[static_cast<std::size_t>(slot)] == 2;
        // An Aux alone is no usable selection: the commands that need a Source stay disabled.
        selectionState = source.hasSelection() ? 2 : 0;
    }
    notify();
}

void WorkingList::ClearList() {
    source.clear();
    aux.clear();
    selectionState = 0;
    notify();
}

std::optional<std::string> WorkingList::RenameSource(const std::string& newPath) {
    const int slot = GetSourceIndex();
    if (slot < 0 || newPath.empty())
        return std::nullopt;
    std::string oldPath = filePaths[static_cast<std::size_t>(slot)];
    // Renaming a file onto itself would delete it before moving it: nothing to do.
    std::error_code error;
    if (newPath == oldPath || std::filesystem::equivalent(std::filesystem::path(oldPath),
                                                          std::filesystem::path(newPath), error))
        return std::nullopt;
    const std::string oldName = source.currentText();
    filePaths[static_cast<std::size_t>(slot)] = newPath;
    const std::string newName = displayName(newPath);
    // Entries of files at the new path are dropped (their windows close); the renamed entry is
    // then shown under its new name.
    for (const std::string& path : filePaths) {
        if (path.empty() || path.compare(0, newPath.size(), newPath) != 0)
            continue;
        const std::string name = displayName(path);
        if (name == oldName)
            continue;
        if (int i = source.find(name); i >= 0)
            source.removeAt(i);
        if (int i = aux.find(name); i >= 0)
            aux.removeAt(i);
    }
    if (int i = source.find(oldName); i >= 0) {
        source.replaceAt(i, newName);
        source.selectIndex(i);
    }
    if (int i = aux.find(oldName); i >= 0)
        aux.replaceAt(i, newName);
    aux.selectIndex(0);
    OnSourceChanged();
    return oldPath;
}

bool WorkingList::saveAsAllowed() {
    if (source.currentText() == aux.currentText()) {
        reporter_.report("The file could not be saved\nplease use file/rename instead",
                         MessageIcon::Warning);
        return false;
    }
    return true;
}

std::string WorkingList::saveAsDefaultName() const {
    const auto current = slotPath(GetSourceIndex());
    if (!current)
        return {};
    return saveAsDir.empty() ? *current : saveAsDir + fileNamePart(*current);
}

std::optional<std::string> WorkingList::checkSaveAs(const std::string& chosen) {
    const int slot = GetSourceIndex();
    // An empty choice would free the Source slot.
    if (slot < 0 || chosen.empty())
        return std::nullopt;
    const std::string oldPath = filePaths[static_cast<std::size_t>(slot)];
    const std::string wanted = lowerCase(chosen);
    saveAsDir = directoryPart(chosen);
    if (wanted == lowerCase(oldPath)) {
        reporter_.report(
            "This file already exists in the same directory,\nplease choose another name",
            MessageIcon::Warning);
        return std::nullopt;
    }
    for (const std::string& path : filePaths) {
        if (!path.empty() && lowerCase(path) == wanted) {
            reporter_.report("This file is already listed,\nplease choose another name",
                             MessageIcon::Warning);
            return std::nullopt;
        }
    }
    return oldPath;
}

bool WorkingList::applySaveAs(const std::string& oldPath, const std::string& chosen) {
    const int slot = GetSourceIndex();
    if (slot < 0 || chosen.empty() || filePaths[static_cast<std::size_t>(slot)] != oldPath)
        return false;
    filePaths[static_cast<std::size_t>(slot)] = chosen;
    savedResults_.insert(oldPath);
    const std::string oldName = displayName(oldPath);
    const std::string newName = displayName(chosen);
    if (int i = source.find(oldName); i >= 0) {
        source.replaceAt(i, newName);
        source.selectIndex(i);
    }
    if (int i = aux.find(oldName); i >= 0)
        aux.replaceAt(i, newName);
    notify();
    return true;
}

} // namespace sonarium
