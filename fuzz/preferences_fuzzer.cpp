// The preferences file over any bytes and length: a short one loads the defaults, anything else
// decodes into settings that survive being stored and read again.
#include "base/reporter.h"
#include "fuzz_support.h"
#include "workspace/preferences.h"

#include <cstdint>

using namespace sonarium;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SilentReporter reporter;
    BinaryFile file = fuzz::memoryFile({data, size});
    Preferences loaded;
    const bool read = LoadPreferences(reporter, file, "prefs.snp", loaded);
    fuzz::check(read == (size >= kPreferencesFileSize), "a file of 523 bytes or more is read");
    if (!read) {
        fuzz::check(loaded == Preferences::defaults(), "a short file gives the defaults");
        return 0;
    }
    fuzz::check(loaded.helpLanguage == "English" || loaded.helpLanguage == "Francais",
                "the help language is one of two");
    fuzz::check(loaded.mp3Option.empty() || codeFromMp3Option(loaded.mp3Option) != 0,
                "the MP3 option is one of the list or none");
    // What can be stored is read back the same.
    if (!preferencesProblem(loaded)) {
        Preferences again;
        decodePreferences(encodePreferences(loaded), again);
        fuzz::check(again == loaded, "stored preferences read back the same");
    }
    return 0;
}
