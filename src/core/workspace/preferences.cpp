// Reading and writing the preferences file.
#include "workspace/preferences.h"

#include "wavefile/binary_file.h"
#include "wavefile/staged_file.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

namespace sonarium {

namespace {

constexpr int kPathBlock = 256;
constexpr const char* kOptions[] = {"-b 128", "-b 160", "-b 192", "-b 224", "-b 256", "-b 320"};
constexpr const char* kEntries[] = {"CBR 128k/s", "CBR 160k/s", "CBR 192k/s",
                                    "CBR 224k/s", "CBR 256k/s", "CBR 320k/s"};

void putPath(unsigned char* block, const std::string& path) {
    if (path.size() <= kMaxPreferencesPath)
        std::memcpy(block, path.data(), path.size());
}

std::string getPath(const unsigned char* block) {
    const auto* text = reinterpret_cast<const char*>(block);
    return std::string(text, strnlen(text, kPathBlock));
}

unsigned char bits(std::initializer_list<bool> flags) {
    unsigned value = 0;
    unsigned bit = 1;
    for (bool flag : flags) {
        if (flag)
            value |= bit;
        bit <<= 1;
    }
    return static_cast<unsigned char>(value);
}

bool readImage(BinaryFile& file, PreferencesBytes& bytes) {
    return file.isOpen() && file.read(bytes.data(), bytes.size()) == bytes.size();
}

} // namespace

void Preferences::setDefaults() {
    outputDir = locationDirText(Location::TempSounds);
    beepPath = resourceFile("beep.rc2").string();
    beep = autoPlay = noSplash = noBackgroundPicture = noToolbars = false;
    alwaysAskOutputPath = confirmOnQuit = deleteTempOnQuit = false;
    greenWaveform = randomWaveColour = activateWhenComputed = customDialogColour = false;
    newNumberOnOpen = true;
    stopOnFocusLoss = true;
    restoreSession = true;
    helpLanguage = "English";
    // The Default button looks for an entry the list does not hold, so nothing is chosen.
    mp3Option.clear();
}

Preferences Preferences::defaults() {
    Preferences p;
    p.setDefaults();
    return p;
}

std::optional<std::string> preferencesProblem(const Preferences& p) {
    const std::pair<const char*, const std::string*> paths[] = {{"Default path", &p.outputDir},
                                                                {"Beep path", &p.beepPath}};
    for (auto [name, path] : paths)
        if (path->size() > kMaxPreferencesPath)
            return std::string("The ") + name + " is " + std::to_string(path->size()) +
                   " bytes long; the preferences file holds at most " +
                   std::to_string(kMaxPreferencesPath) +
                   " bytes per path.\nPlease choose a shorter path.";
    return std::nullopt;
}

PreferencesBytes encodePreferences(const Preferences& p) {
    PreferencesBytes bytes{};
    putPath(bytes.data(), p.outputDir);
    putPath(bytes.data() + kPathBlock, p.beepPath);
    bytes[512] = bits({p.beep, p.autoPlay, p.noSplash, p.noBackgroundPicture, p.noToolbars,
                       p.alwaysAskOutputPath, p.confirmOnQuit, p.deleteTempOnQuit});
    bytes[513] = bits({p.greenWaveform, p.randomWaveColour, p.newNumberOnOpen, p.stopOnFocusLoss,
                       p.helpLanguage == "Francais", p.activateWhenComputed, p.customDialogColour,
                       !p.restoreSession});
    bytes[514] = codeFromMp3Option(p.mp3Option);
    writeLe32(bytes.data() + 515, p.textColour);
    writeLe32(bytes.data() + 519, p.backgroundColour);
    return bytes;
}

void decodePreferences(const PreferencesBytes& bytes, Preferences& p) {
    p.outputDir = resolveUnderRoot(getPath(bytes.data()));
    p.beepPath = resolveUnderRoot(getPath(bytes.data() + kPathBlock));
    auto bit = [&](int byte, int n) { return (bytes[static_cast<std::size_t>(byte)] >> n) & 1; };
    p.beep = bit(512, 0);
    p.autoPlay = bit(512, 1);
    p.noSplash = bit(512, 2);
    p.noBackgroundPicture = bit(512, 3);
    p.noToolbars = bit(512, 4);
    p.alwaysAskOutputPath = bit(512, 5);
    p.confirmOnQuit = bit(512, 6);
    p.deleteTempOnQuit = bit(512, 7);
    p.greenWaveform = bit(513, 0);
    p.randomWaveColour = bit(513, 1);
    p.newNumberOnOpen = bit(513, 2);
    p.stopOnFocusLoss = bit(513, 3);
    p.helpLanguage = bit(513, 4) ? "Francais" : "English";
    p.activateWhenComputed = bit(513, 5);
    p.customDialogColour = bit(513, 6);
    p.restoreSession = !bit(513, 7);
    p.mp3Option = mp3OptionFromCode(static_cast<std::int8_t>(bytes[514]), p.mp3Option);
    p.textColour = readLe32(bytes.data() + 515);
    p.backgroundColour = readLe32(bytes.data() + 519);
}

bool LoadPreferences(Reporter& reporter, const std::string& path, Preferences& preferences) {
    BinaryFile file(path, BinaryFile::Mode::Read);
    return LoadPreferences(reporter, file, path, preferences);
}

bool LoadPreferences(Reporter& reporter, BinaryFile& file, const std::string& path,
                     Preferences& preferences) {
    PreferencesBytes bytes{};
    if (!readImage(file, bytes)) {
        // Every setting, colours and rate option included, takes the value the shipped file holds.
        preferences = Preferences::defaults();
        reporter.report("The preferences file " + path +
                            "\nis missing or damaged: the default preferences are used",
                        MessageIcon::Warning);
        return false;
    }
    decodePreferences(bytes, preferences);
    return true;
}

bool SavePreferences(const std::string& path, const Preferences& preferences, std::string& error) {
    if (auto problem = preferencesProblem(preferences)) {
        error = *problem;
        return false;
    }
    const PreferencesBytes bytes = encodePreferences(preferences);
    return writeFileAtomically(path, bytes.data(), bytes.size(), error);
}

bool SavePreferences(const std::string& path, const Preferences& preferences) {
    std::string error;
    return SavePreferences(path, preferences, error);
}

StartupPreferences readStartupPreferences(const std::string& path) {
    StartupPreferences startup;
    PreferencesBytes bytes{};
    BinaryFile file(path, BinaryFile::Mode::Read);
    if (!readImage(file, bytes))
        return startup;
    startup.noSplash = (bytes[512] >> 2) & 1;
    startup.customDialogColour = (bytes[513] >> 6) & 1;
    startup.textColour = readLe32(bytes.data() + 515);
    startup.backgroundColour = readLe32(bytes.data() + 519);
    return startup;
}

std::string mp3OptionFromCode(std::int8_t code, const std::string& current) {
    if (code >= 3 && code <= 8)
        return kOptions[code - 3];
    if (code > 8)
        return kOptions[0];
    return current;
}

std::uint8_t codeFromMp3Option(const std::string& option) {
    for (int i = 0; i < 6; ++i)
        if (option == kOptions[i])
            return static_cast<std::uint8_t>(i + 3);
    return 0;
}

std::string mp3OptionFromEntry(const std::string& entry) {
    for (int i = 0; i < 6; ++i)
        if (entry == kEntries[i])
            return kOptions[i];
    return entry;
}

std::string entryFromMp3Option(const std::string& option) {
    for (int i = 0; i < 6; ++i)
        if (option == kOptions[i])
            return kEntries[i];
    return {};
}

std::span<const char* const> mp3ListEntries() {
    return kEntries;
}

std::span<const PreferenceCheckBox> preferenceCheckBoxes() {
    using P = Preferences;
    static const PreferenceCheckBox boxes[] = {
        {1133, "Beep when computed", &P::beep},
        {1145, "Auto Play when computed", &P::autoPlay},
        {1146, "Activate app when computed", &P::activateWhenComputed},
        {1170, "No splash screen", &P::noSplash},
        {1172, "No background picture", &P::noBackgroundPicture},
        {1171, "No toolbars", &P::noToolbars},
        {1131, "Always ask for session pathname", &P::alwaysAskOutputPath},
        {1137, "Confirm on quit", &P::confirmOnQuit},
        {1135, "Automatic session deletion", &P::deleteTempOnQuit},
        {1144, "Green waveform (default is blue)", &P::greenWaveform},
        {1177, "Random waveform color", &P::randomWaveColour},
        {1227, "Force file number change on open", &P::newNumberOnOpen, false},
        {1134, "Stop playing while loosing focus (recommended)", &P::stopOnFocusLoss},
        {1165, "Show stereo difference", nullptr, false},
        {1299, "Custom dialog background color", &P::customDialogColour},
        {1401, "Restore the session at start", &P::restoreSession},
    };
    return boxes;
}

void chooseDialogColours(Preferences& preferences, std::uint32_t background) {
    preferences.backgroundColour = background;
    preferences.textColour = background == 0 ? 0xFFFFFFU : 0U;
}

std::string withTrailingSeparator(const std::string& folder) {
    const char separator = static_cast<char>(std::filesystem::path::preferred_separator);
    if (folder.empty() || folder.back() == separator || folder.back() == '/')
        return folder;
    return folder + separator;
}

} // namespace sonarium
