// The user's preferences and their 523-byte file: two paths of 256 bytes, two flag bytes, the
// MP3 rate code and the two dialog colours.
#pragma once

#include "base/reporter.h"
#include "wavefile/binary_file.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sonarium {

constexpr int kPreferencesFileSize = 523;

struct Preferences {
    std::string outputDir;
    std::string beepPath;
    // Flags of byte 512, bit 0 to bit 7.
    bool beep = false;
    bool autoPlay = false;
    bool noSplash = false;
    bool noBackgroundPicture = false;
    bool noToolbars = false;
    bool alwaysAskOutputPath = false;
    bool confirmOnQuit = false;
    bool deleteTempOnQuit = false;
    // Flags of byte 513, bit 0 to bit 7 (bit 4 is the help language; bit 7 is set when the
    // session is not to be restored, so that files written before it restore).
    bool greenWaveform = false;
    bool randomWaveColour = false;
    bool newNumberOnOpen = false;
    bool stopOnFocusLoss = false;
    std::string helpLanguage = "English"; // "English" or "Francais"
    bool activateWhenComputed = false;
    bool customDialogColour = false;
    bool restoreSession = true;   // the working list and its windows come back at the next start
    std::string mp3Option;        // "-b 128" ... "-b 320", or empty
    std::uint32_t textColour = 0; // 0x00BBGGRR
    std::uint32_t backgroundColour = 0xF0F0F0; // 0x00BBGGRR
    // The threads that compute a job's blocks, 0 for every core. It is not part of the 523-byte
    // file, whose layout other programs read: the editor keeps it in its own settings.
    int computeThreads = 0;

    // What the dialog's Default button sets: the temporary folder and the shipped beep under the
    // audio root, every flag clear but "Force file number change on open", "Stop playing while
    // loosing focus" and "Restore the session at start", English help, no MP3 option. The
    // colours are not touched.
    void setDefaults();
    static Preferences defaults();

    bool operator==(const Preferences&) const = default;
};

using PreferencesBytes = std::array<unsigned char, kPreferencesFileSize>;

// The most bytes (UTF-8) a path of the file holds: its 256-byte block keeps a final zero.
constexpr std::size_t kMaxPreferencesPath = 255;

// Why the preferences cannot be stored as they are (a path too long for its block), or nothing.
std::optional<std::string> preferencesProblem(const Preferences& preferences);

// The file image of the preferences. A path longer than kMaxPreferencesPath is left out (an
// empty block) rather than cut: check preferencesProblem first.
PreferencesBytes encodePreferences(const Preferences& preferences);
// Reads an image into the preferences. Paths stored relative are taken from the audio root; a
// rate code outside 3..8 leaves mp3Option as it was, except that codes above 8 mean "-b 128".
void decodePreferences(const PreferencesBytes& bytes, Preferences& preferences);

// Loads the file. A missing or short file loads the Default values instead and says so.
bool LoadPreferences(Reporter& reporter, const std::string& path, Preferences& preferences);
// The same from a file already opened for reading (or bytes in memory) that name stands for.
bool LoadPreferences(Reporter& reporter, BinaryFile& file, const std::string& name,
                     Preferences& preferences);
// Writes the file (always 523 bytes) through a temporary file, so a failed write leaves the old
// one intact. False, with the reason in error, when it could not be written or when
// preferencesProblem refuses the settings (the file is then not touched).
bool SavePreferences(const std::string& path, const Preferences& preferences, std::string& error);
bool SavePreferences(const std::string& path, const Preferences& preferences);

// What the application reads before the main window exists: the flag bytes and the colours.
struct StartupPreferences {
    bool noSplash = false;
    bool customDialogColour = false;
    std::uint32_t textColour = 0;
    std::uint32_t backgroundColour = 0xF0F0F0;
};
StartupPreferences readStartupPreferences(const std::string& path);

// The MP3 rate option of a rate code (3 → "-b 128" ... 8 → "-b 320", above 8 → "-b 128");
// current for any other code.
std::string mp3OptionFromCode(std::int8_t code, const std::string& current);
// The code of an option, 0 when it is not one of the six.
std::uint8_t codeFromMp3Option(const std::string& option);
// The dialog's list entries ("CBR 128k/s" ...) and the options they stand for; a text that is
// not one of the entries stands for itself.
std::string mp3OptionFromEntry(const std::string& entry);
// The entry of an option, empty when there is none.
std::string entryFromMp3Option(const std::string& option);

// The MP3 list's six entries, "CBR 128k/s" to "CBR 320k/s".
std::span<const char* const> mp3ListEntries();

// One check box of the Preferences dialog: its item, its label as printed, and the setting it
// shows (none for a box that is shown but never stored). Disabled boxes show the setting and
// cannot be changed.
struct PreferenceCheckBox {
    int item;
    std::string_view label;
    bool Preferences::*setting;
    bool enabled = true;
};
// Every check box, in the dialog's order.
std::span<const PreferenceCheckBox> preferenceCheckBoxes();

// "Select...": the chosen background colour and the text colour that goes with it.
void chooseDialogColours(Preferences& preferences, std::uint32_t background);

// A folder chosen with Browse, ending with the separator.
std::string withTrailingSeparator(const std::string& folder);

} // namespace sonarium
