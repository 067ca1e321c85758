// Clearing the temporary folder, the quit-time deletion, the history text and the readouts.
#include "test_support.h"
#include "workspace/history.h"
#include "workspace/resource_readouts.h"
#include "workspace/temp_directory.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

struct Tree {
    test::TempDir outside;
    test::TempDir temp;
    Tree() {
        test::writeBytes(temp.file("000.wav"), test::Bytes(10, 1));
        test::writeBytes(temp.file("001.WAV"), test::Bytes(10, 1));
        test::writeBytes(temp.file("notes.txt"), test::Bytes(3, 1));
        test::writeBytes(temp.file("locked.wav"), test::Bytes(3, 1));
        fs::permissions(temp.file("locked.wav"), fs::perms::owner_read | fs::perms::group_read);
        fs::create_directories(temp.path() / "keep");
        test::writeBytes((temp.path() / "keep" / "inner.wav").string(), test::Bytes(3, 1));
        test::writeBytes(outside.file("precious.wav"), test::Bytes(3, 1));
        fs::create_symlink(outside.file("precious.wav"), temp.path() / "link.wav");
        fs::create_directory_symlink(outside.path(), temp.path() / "linkdir.wav");
    }
    std::vector<std::string> left() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(temp.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(TempDirectory, ClearAndQuitDeletion) {
    struct Case {
        const char* name;
        DeletionResult (*run)(const fs::path&);
        std::vector<std::string> left;
        int deleted;
    };
    const Case cases[] = {
        {"clear", clearTemporaryDirectory, {"keep", "linkdir.wav"}, 5},
        {"quit", deleteSessionWaveFiles, {"keep", "linkdir.wav", "notes.txt"}, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tree tree;
        DeletionResult result = c.run(tree.temp.path());
        EXPECT_TRUE(result.failures.empty());
        EXPECT_EQ(result.deleted, c.deleted);
        EXPECT_EQ(tree.left(), c.left);
        EXPECT_TRUE(fs::exists(tree.temp.path() / "keep" / "inner.wav"));
        EXPECT_TRUE(fs::exists(tree.outside.file("precious.wav")));
    }
    DeletionResult missing = clearTemporaryDirectory("/nonexistent/sonarium/tempsnds");
    EXPECT_EQ(missing.deleted, 0);
    EXPECT_EQ(missing.failures.size(), 1U);
}

TEST(History, OneLinePerOccupiedSlot) {
    test::RecordingReporter reporter;
    using namespace std::chrono;
    const auto when = system_clock::from_time_t(0) + hours(24 * 365 * 30);
    WorkingList list(reporter, [&] { return when; });
    EXPECT_EQ(historyText(list), "");
    list.filePaths[0] = "/r/in/a.wav";
    list.filePaths[12] = "/r/tempsnds/011.wav";
    list.fileTimes[0] = list.fileTimes[12] = when;
    const std::string text = historyText(list);
    const std::time_t t = system_clock::to_time_t(when);
    char clock[64];
    std::strftime(clock, sizeof clock, "%X", std::localtime(&t));
    EXPECT_EQ(text, "000 - " + std::string(clock) + " - /r/in/a.wav\r\n012 - " + clock +
                        " - /r/tempsnds/011.wav\r\n");
}

TEST(History, AFileStoredAgainShowsItsLatestTime) {
    test::RecordingReporter reporter;
    using namespace std::chrono;
    auto when = system_clock::from_time_t(0) + hours(24 * 365 * 30) + hours(3);
    WorkingList list(reporter, [&] { return when; });
    list.AddToList("/r/in/a.wav", 1);
    list.ClearList();
    when += minutes(17) + seconds(5);
    list.AddToList("/r/in/a.wav", 1);
    const std::time_t t = system_clock::to_time_t(when);
    char clock[64];
    std::strftime(clock, sizeof clock, "%X", std::localtime(&t));
    EXPECT_EQ(historyText(list), "000 - " + std::string(clock) + " - /r/in/a.wav\r\n");
}

TEST(ResourceReadouts, Formats) {
    const ResourceReadouts r = formatReadouts(51234, 2048);
    EXPECT_EQ(r.hdd, "51234");
    EXPECT_EQ(r.ram, "   2048");
    EXPECT_EQ(formatReadouts(0, 12345678).ram, "12345678");
    test::TempDir dir;
    EXPECT_GT(freeDiskMiB(dir.path().string()), 0);
    // A folder that does not exist yet is measured on the disk that will hold it.
    EXPECT_GT(freeDiskMiB((dir.path() / "not" / "yet").string()), 0);
    EXPECT_GT(availableMemoryMiB(), 0);
    EXPECT_EQ(UpdateResourceReadouts(dir.path().string()).ram.size(), 7U);
    // No output folder yet: the disk of the default one under the audio root.
    test::TempAudioRoot root;
    EXPECT_EQ(freeDiskMiB(""), freeDiskMiB((root.path() / "tempsnds").string()));
    EXPECT_GT(freeDiskMiB(""), 0);
}

} // namespace
} // namespace sonarium
