// The preferences file: round trips, rate codes, defaults, missing files and colours.
#include "test_support.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

class PreferencesTest : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::RecordingReporter reporter;
    std::string file = (root.path() / "prefs.snp").string();
};

TEST_F(PreferencesTest, SaveThenLoadGivesTheSameSettings) {
    struct Case {
        const char* name;
        void (*edit)(Preferences&);
    };
    const Case cases[] = {
        {"defaults", [](Preferences&) {}},
        {"every flag",
         [](Preferences& p) {
             p.beep = p.autoPlay = p.noSplash = p.noBackgroundPicture = p.noToolbars = true;
             p.alwaysAskOutputPath = p.confirmOnQuit = p.deleteTempOnQuit = true;
             p.greenWaveform = p.randomWaveColour = p.activateWhenComputed = true;
             p.customDialogColour = true;
             p.newNumberOnOpen = p.stopOnFocusLoss = p.restoreSession = false;
         }},
        {"French help and 320k",
         [](Preferences& p) {
             p.helpLanguage = "Francais";
             p.mp3Option = "-b 320";
         }},
        {"pure black background", [](Preferences& p) { chooseDialogColours(p, 0); }},
        {"custom paths",
         [](Preferences& p) {
             p.outputDir = "/mnt/sounds/out/";
             p.beepPath = "/mnt/sounds/ding.wav";
             p.textColour = 0x123456;
             p.backgroundColour = 0xABCDEF;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Preferences saved = Preferences::defaults();
        c.edit(saved);
        ASSERT_TRUE(SavePreferences(file, saved));
        EXPECT_EQ(std::filesystem::file_size(file), 523U);
        test::Bytes bytes = test::readBytes(file);
        EXPECT_EQ((bytes[513] >> 4) & 1, saved.helpLanguage == "Francais" ? 1 : 0);
        // Bit 7 is set only to turn the restoring off: files from before it restore.
        EXPECT_EQ((bytes[513] >> 7) & 1, saved.restoreSession ? 0 : 1);
        Preferences loaded;
        ASSERT_TRUE(LoadPreferences(reporter, file, loaded));
        EXPECT_EQ(loaded, saved);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(PreferencesTest, RateCodes) {
    struct Case {
        int code;
        std::string before;
        std::string after;
    };
    const Case cases[] = {{3, "", "-b 128"},       {5, "", "-b 192"},       {8, "", "-b 320"},
                          {9, "", "-b 128"},       {127, "", "-b 128"},     {0, "", ""},
                          {0, "-b 256", "-b 256"}, {2, "-b 160", "-b 160"}, {-5, "", ""}};
    for (const auto& c : cases) {
        Preferences p = Preferences::defaults();
        PreferencesBytes bytes = encodePreferences(p);
        bytes[514] = static_cast<unsigned char>(c.code);
        p.mp3Option = c.before;
        decodePreferences(bytes, p);
        EXPECT_EQ(p.mp3Option, c.after) << c.code;
    }
    EXPECT_EQ(codeFromMp3Option("-b 224"), 6);
    EXPECT_EQ(codeFromMp3Option("VBR 192k/s"), 0);
    EXPECT_EQ(mp3OptionFromEntry("CBR 160k/s"), "-b 160");
    EXPECT_EQ(mp3OptionFromEntry(""), "");
    EXPECT_EQ(entryFromMp3Option("-b 320"), "CBR 320k/s");
    EXPECT_EQ(entryFromMp3Option(""), "");
}

TEST_F(PreferencesTest, DefaultsAndTheShippedFileAgree) {
    Preferences p = Preferences::defaults();
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(p.outputDir, (root.path() / "tempsnds").string() + sep);
    EXPECT_EQ(p.beepPath, (root.path() / "sonarium" / "res" / "beep.rc2").string());
    EXPECT_TRUE(p.newNumberOnOpen);
    EXPECT_TRUE(p.stopOnFocusLoss);
    EXPECT_EQ(p.helpLanguage, "English");
    EXPECT_EQ(p.mp3Option, "");
    Preferences shipped;
    ASSERT_TRUE(LoadPreferences(reporter, (test::shippedDataDir() / "res" / "prefs.snp").string(),
                                shipped));
    EXPECT_EQ(shipped, p);
}

TEST_F(PreferencesTest, MissingOrShortFileLoadsDefaultsAndSaysSoOnce) {
    for (std::size_t size : {std::size_t(0), std::size_t(522)}) {
        reporter.reports.clear();
        std::filesystem::remove(file);
        if (size > 0)
            test::writeBytes(file, test::Bytes(size, 0xFF));
        Preferences p;
        p.beep = true;
        p.mp3Option = "-b 320";
        chooseDialogColours(p, 0);
        EXPECT_FALSE(LoadPreferences(reporter, file, p));
        EXPECT_EQ(p, Preferences::defaults());
        EXPECT_EQ(reporter.reports.size(), 1U);
        EXPECT_EQ(readStartupPreferences(file).noSplash, false);
    }
}

TEST_F(PreferencesTest, PathsTooLongForTheirBlockAreRefusedNeverCut) {
    // 255 bytes fit with their final zero; one more byte (here a two-byte UTF-8 letter pushing
    // the text over) is refused, and the file already there stays as it was.
    Preferences p = Preferences::defaults();
    p.noSplash = true;
    p.customDialogColour = true;
    chooseDialogColours(p, 0x00FF00);
    p.outputDir = "/" + std::string(253, 'x') + "/";
    ASSERT_EQ(p.outputDir.size(), kMaxPreferencesPath);
    ASSERT_TRUE(SavePreferences(file, p));
    const test::Bytes before = test::readBytes(file);
    EXPECT_EQ(before[255], 0);
    Preferences loaded;
    LoadPreferences(reporter, file, loaded);
    EXPECT_EQ(loaded.outputDir, p.outputDir);
    const StartupPreferences startup = readStartupPreferences(file);
    EXPECT_TRUE(startup.noSplash);
    EXPECT_TRUE(startup.customDialogColour);
    EXPECT_EQ(startup.backgroundColour, 0x00FF00U);
    EXPECT_EQ(startup.textColour, 0U);

    for (std::string Preferences::*path : {&Preferences::outputDir, &Preferences::beepPath}) {
        Preferences tooLong = p;
        tooLong.*path = "/" + std::string(252, 'x') + "\xC3\xA9/";
        ASSERT_EQ((tooLong.*path).size(), 256U);
        std::string error;
        EXPECT_FALSE(SavePreferences(file, tooLong, error));
        EXPECT_NE(error.find("255"), std::string::npos) << error;
        EXPECT_TRUE(preferencesProblem(tooLong).has_value());
        EXPECT_EQ(test::readBytes(file), before);
    }
}

TEST_F(PreferencesTest, FailedSaveKeepsTheOldFile) {
    Preferences p = Preferences::defaults();
    ASSERT_TRUE(SavePreferences(file, p));
    const test::Bytes before = test::readBytes(file);
    p.beep = true;
    EXPECT_FALSE(SavePreferences((root.path() / "missing" / "prefs.snp").string(), p));
    EXPECT_EQ(test::readBytes(file), before);
}

TEST(DialogColours, TextColourFollowsTheBackground) {
    struct Case {
        std::uint32_t background;
        std::uint32_t text;
    };
    const Case cases[] = {{0x000000, 0xFFFFFF}, {0x000001, 0}, {0xFFFFFF, 0}, {0xF0F0F0, 0}};
    for (const auto& c : cases) {
        Preferences p;
        p.textColour = 0x123456;
        chooseDialogColours(p, c.background);
        EXPECT_EQ(p.backgroundColour, c.background);
        EXPECT_EQ(p.textColour, c.text) << c.background;
    }
}

TEST(BrowseFolder, TrailingSeparator) {
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    EXPECT_EQ(withTrailingSeparator("/work"), "/work" + sep);
    EXPECT_EQ(withTrailingSeparator("/work/"), "/work/");
    EXPECT_EQ(withTrailingSeparator(""), "");
}

} // namespace
} // namespace sonarium
