// The working list: 1000 slots of files with their Source and Aux selectors, the numbering of
// temporary results, and the list decisions of the file commands.
#pragma once

#include "base/reporter.h"
#include "workspace/selector_model.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sonarium {

class WorkingList {
public:
    static constexpr int kSlots = 1000;
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit WorkingList(Reporter& reporter, Clock now = {});

    // Slot index = file number; an empty path is a free slot.
    std::array<std::string, kSlots> filePaths;
    std::array<std::chrono::system_clock::time_point, kSlots> fileTimes{};
    std::array<std::uint8_t, kSlots> fileChannels{};
    std::int16_t tempCounter = 0;
    std::string outputDir; // ends with a separator
    std::string saveAsDir; // the folder last chosen in Save As
    // 0: no usable Source; 1: Source selected and Aux shows the same file; 2: another Aux file.
    int selectionState = 0;
    bool sourceIsStereo = false;
    bool auxIsStereo = false;
    SelectorModel source;
    SelectorModel aux;

    // Called after every change of the selectors or the flags, so that the window can redraw
    // its selectors, readouts and enabled commands.
    std::function<void()> changed;

    // The selector text of a path: from its next-to-last separator to the end, less the last 4
    // characters ("/audio/tempsnds/007.wav" shows as "/tempsnds/007").
    static std::string displayName(const std::string& path);

    // The first slot whose path ends with the Source (Aux) text followed by ".wav"; -1 if none.
    int GetSourceIndex() const;
    int GetAuxIndex() const;
    // The path of a slot, or nothing for -1 or a free slot.
    std::optional<std::string> slotPath(int slot) const;
    // The first slot whose path, less its last 4 characters, ends with the text; -1 if none.
    int findSlotForSelection(const std::string& text) const;

    // outputDir followed by the next of 000.wav ... 999.wav (warning once the counter reaches
    // 998); a name that is the Source or Aux file is passed over.
    std::string NextTempPath();
    // For a result whose drawn name (or one made from it) another program took before the result
    // was complete: the same made from the next free number, "" for a name this list never drew.
    std::string redrawTakenName(const std::string& taken);
    // An empty directory means the default temporary folder; a relative one is taken from the
    // audio root; a missing final separator is added. The numbering starts again at 000.
    void SetOutputDir(const std::string& directory);

    // Lists the file and makes it the Source, the previous Source becoming the Aux. False (with a
    // message) when every slot is taken.
    bool AddToList(const std::string& path, int channels);
    void RemoveFromListByPrefix(const std::string& prefix);
    void OnSourceChanged();
    void OnAuxChanged();
    // Empties both selectors; the slots keep their paths.
    void ClearList();

    // Rename: the Source slot takes the new path; entries under the new path leave the
    // selectors and the Source and Aux entries show the new name. Returns the old path; nothing
    // (and no change) without a Source or when the new path names the Source file itself.
    std::optional<std::string> RenameSource(const std::string& newPath);

    // Save As, before the file dialog: false (with its message) when Source and Aux show the same
    // text. Then the dialog's default name.
    bool saveAsAllowed();
    std::string saveAsDefaultName() const;
    // Save As, after the file dialog: records the chosen folder, then refuses a choice equal to
    // the Source's own path or to any listed path (letter case ignored) with its message.
    // Otherwise returns the Source's path. Nothing else changes before the copy is complete.
    std::optional<std::string> checkSaveAs(const std::string& chosen);
    // Save As, once the copy is complete: the Source slot, still holding oldPath, takes the
    // chosen path and the selector entries show its name. False (and no change) when the Source
    // slot no longer holds oldPath.
    bool applySaveAs(const std::string& oldPath, const std::string& chosen);

    // The results this list drew a name for since it was made (in any output folder) that are
    // on disk and were never copied elsewhere by a Save As, in the order drawn: what quitting
    // would leave only in the output folder.
    std::vector<std::string> unsavedResults() const;

private:
    // The slot whose path ends with the selector's text and ".wav"; -1 when none does.
    int slotOfSelector(const SelectorModel& selector) const;
    void store(int slot, const std::string& path, int channels);
    bool isSourceOrAux(const std::string& path) const;
    void notify();

    Reporter& reporter_;
    Clock now_;
    std::set<std::string> drawn_;        // the names NextTempPath gave in this output folder
    std::vector<std::string> results_;   // every name NextTempPath gave, in order
    std::set<std::string> savedResults_; // the ones a Save As copied
};

// Text up to and including the last separator ("/a/b/" for "/a/b/c.wav"); empty without one.
std::string directoryPart(const std::string& path);
std::string lowerCase(std::string text);

} // namespace sonarium
