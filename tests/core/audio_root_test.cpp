// The audio root, its fixed locations, and the installation of the shipped files under it.
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

SONARIUM_DECLARE_OPERATION(volume);

namespace sonarium {
namespace {

namespace fs = std::filesystem;

TEST(AudioRoot, LocationsFollowTheRoot) {
    test::TempAudioRoot root;
    const fs::path r = root.path();
    EXPECT_EQ(audioRoot(), r);
    EXPECT_EQ(locationPath(Location::Program), r / "sonarium");
    EXPECT_EQ(locationPath(Location::Resources), r / "sonarium" / "res");
    EXPECT_EQ(locationPath(Location::Help), r / "sonarium" / "help");
    EXPECT_EQ(locationPath(Location::TempSounds), r / "tempsnds");
    EXPECT_EQ(resourceFile("suffix.rc2"), r / "sonarium" / "res" / "suffix.rc2");
    const std::string sep(1, static_cast<char>(fs::path::preferred_separator));
    EXPECT_EQ(locationDirText(Location::TempSounds), (r / "tempsnds").string() + sep);

    struct Case {
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"tempsnds/", (r / "tempsnds").string() + sep},
        {"sonarium/res/beep.rc2", (r / "sonarium" / "res" / "beep.rc2").string()},
        {"/mnt/sounds/", "/mnt/sounds/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resolveUnderRoot(c.stored), c.expected) << c.stored;

    const fs::path help = r / "sonarium" / "help";
    EXPECT_EQ(helpPage("EFFVOL_1.0", "English"), help / "EFFVOL_1.0_english.html");
    EXPECT_EQ(helpPage("EFFVOL_1.0", "Francais"), help / "EFFVOL_1.0_francais.html");
    EXPECT_EQ(helpPage("", "English"), help / "_english.html");
}

TEST(AudioRoot, HomeAudioWithoutTheVariable) {
    test::TempAudioRoot root;
    test::setEnvironment("SONARIUM_ROOT", std::string());
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(audioRoot(), fs::path(home) / "audio");
}

TEST(AudioRoot, InstallCopiesOnlyWhatIsMissing) {
    test::TempAudioRoot root;
    InstallResult first = installMissingResources(test::shippedDataDir());
    EXPECT_TRUE(first.failures.empty());
    EXPECT_GE(first.copied, 4);
    for (const char* name : {"suffix.rc2", "prefs.snp", "beep.rc2", "atwork.rc2"})
        EXPECT_TRUE(fs::exists(resourceFile(name))) << name;
    EXPECT_FALSE(fs::exists(resourceFile("make_resources.py")));
    EXPECT_TRUE(fs::is_directory(locationPath(Location::TempSounds)));

    // A user's changed preferences survive the next start; a deleted file comes back.
    const std::string prefs = resourceFile("prefs.snp").string();
    test::writeBytes(prefs, test::Bytes(523, 1));
    fs::remove(resourceFile("beep.rc2"));
    InstallResult second = installMissingResources(test::shippedDataDir());
    EXPECT_EQ(second.copied, 1);
    EXPECT_EQ(test::readBytes(prefs), test::Bytes(523, 1));
    EXPECT_TRUE(fs::exists(resourceFile("beep.rc2")));
}

// The folders under the root are the user's alone, and results are written by the user alone,
// whatever the umask lets through.
TEST(AudioRoot, PrivateFoldersAndResultsUnderAnyUmask) {
    for (mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        const mode_t before = ::umask(mask);
        test::TempAudioRoot root;
        const InstallResult installed = installMissingResources(test::shippedDataDir());
        EXPECT_TRUE(installed.failures.empty());
        for (Location location : {Location::TempSounds, Location::Program})
            EXPECT_EQ(fs::status(locationPath(location)).permissions(), fs::perms::owner_all);
        test::RecordingReporter reporter;
        const std::string source =
            test::writeWave((root.path() / "in.wav").string(), test::ramp(1000));
        const std::string out = (locationPath(Location::TempSounds) / "000.wav").string();
        test::runOperation(volumeOperation(), volumeOperation().defaults(), {.source = source},
                           reporter, {.destination = out});
        const fs::perms perms = fs::status(out).permissions();
        EXPECT_EQ(perms & (fs::perms::group_write | fs::perms::others_write), fs::perms::none);
        EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
        ::umask(before);
    }
}

// A tempsnds folder the user made keeps the permissions he gave it; only a new one is private.
TEST(AudioRoot, AnExistingTempFolderKeepsItsPermissions) {
    test::TempAudioRoot root;
    const fs::perms shared = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec;
    fs::create_directory(locationPath(Location::TempSounds));
    fs::permissions(locationPath(Location::TempSounds), shared);
    EXPECT_TRUE(installMissingResources(test::shippedDataDir()).failures.empty());
    EXPECT_EQ(fs::status(locationPath(Location::TempSounds)).permissions(), shared);
    EXPECT_EQ(fs::status(locationPath(Location::Program)).permissions(), fs::perms::owner_all);
}

// Where nothing can be made the install says so once, not once per file; without any root it
// says why and makes nothing, not even a folder where the program was started.
TEST(AudioRoot, NothingMadeIsToldOnce) {
    test::TempDir dir;
    test::writeBytes(dir.file("file"), test::Bytes{1});
    {
        test::TempAudioRoot root;
        test::setEnvironment("SONARIUM_ROOT", dir.file("file") + "/root");
        const InstallResult result = installMissingResources(test::shippedDataDir());
        EXPECT_EQ(result.copied, 0);
        ASSERT_EQ(result.failures.size(), 1U);
        EXPECT_NE(result.failures[0].find("Not a directory"), std::string::npos);
    }
    {
        test::TempAudioRoot root;
        const std::optional<std::string> home =
            std::getenv("HOME") != nullptr ? std::optional<std::string>(std::getenv("HOME"))
                                           : std::nullopt;
        test::setEnvironment("SONARIUM_ROOT", std::nullopt);
        test::setEnvironment("HOME", std::nullopt);
        const fs::path started = fs::current_path();
        fs::current_path(dir.path());
        const std::string problem = audioRootProblem();
        const InstallResult result = installMissingResources(test::shippedDataDir());
        fs::current_path(started);
        test::setEnvironment("HOME", home);
        EXPECT_NE(problem.find("Neither SONARIUM_ROOT nor HOME is set"), std::string::npos);
        EXPECT_EQ(result.failures, std::vector<std::string>{problem});
        EXPECT_EQ(test::folderEntries(dir.path()), std::set<std::string>{"file"});
    }
}

TEST(AudioRoot, MissingShippedDataIsReported) {
    test::TempAudioRoot root;
    InstallResult result = installMissingResources(root.path() / "nothing-here");
    EXPECT_EQ(result.copied, 0);
    EXPECT_EQ(result.failures.size(), 2U);
}

} // namespace
} // namespace sonarium
