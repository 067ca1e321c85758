// The working list: display names, adding files in every situation, the selectors' reactions,
// temporary numbering, Rename and Save As decisions.
#include "test_support.h"
#include "workspace/working_list.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

struct Selectors {
    std::vector<std::string> items;
    std::string source;
    std::string aux;
    int state;
};

class WorkingListTest : public ::testing::Test {
protected:
    test::RecordingReporter reporter;
    WorkingList list{reporter};

    Selectors selectors() const {
        return {list.source.items(), list.source.currentText(), list.aux.currentText(),
                list.selectionState};
    }
    int slotsUsed() const {
        int n = 0;
        for (const auto& p : list.filePaths)
            n += p.empty() ? 0 : 1;
        return n;
    }
};

TEST_F(WorkingListTest, DisplayNames) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/me/audio/tempsnds/007.wav", "/tempsnds/007"},
        {"/x.wav", "/x"},
        {"a/b.wav", "/b"},
        {"plain.wav", "plain"},
        {"/a/b/c", ""},
        {"ab", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(WorkingList::displayName(path), name) << path;
}

TEST_F(WorkingListTest, AddingFilesInEverySituation) {
    struct Step {
        enum Kind { Add, ClearList, ClearSourceSelection, DropAuxEntry } kind;
        std::string path;
        int channels;
    };
    struct Scenario {
        const char* name;
        std::vector<Step> steps;
        Selectors expected;
        int slots;
        bool sourceStereo;
        bool auxStereo;
    };
    const Scenario scenarios[] = {
        {"first file is Source and Aux",
         {{Step::Add, "/s/in/a.wav", 1}},
         {{"/in/a"}, "/in/a", "/in/a", 1},
         1,
         false,
         false},
        {"a result after it: Aux shows the previous Source",
         {{Step::Add, "/s/in/a.wav", 2}, {Step::Add, "/s/tempsnds/000.wav", 1}},
         {{"/in/a", "/tempsnds/000"}, "/tempsnds/000", "/in/a", 2},
         2,
         false,
         true},
        {"re-adding the Source keeps one slot and one entry",
         {{Step::Add, "/s/in/a.wav", 1}, {Step::Add, "/s/in/a.wav", 1}},
         {{"/in/a"}, "/in/a", "/in/a", 1},
         1,
         false,
         false},
        {"focus on a listed file swaps Source and Aux",
         {{Step::Add, "/s/in/a.wav", 1},
          {Step::Add, "/s/in/b.wav", 2},
          {Step::Add, "/s/in/a.wav", 1}},
         {{"/in/a", "/in/b"}, "/in/a", "/in/b", 2},
         2,
         false,
         true},
        {"a listed file after Clear List reuses its slot",
         {{Step::Add, "/s/in/a.wav", 1},
          {Step::Add, "/s/in/b.wav", 1},
          {Step::ClearList, "", 0},
          {Step::Add, "/s/in/b.wav", 2}},
         {{"/in/b"}, "/in/b", "/in/b", 1},
         2,
         true,
         false},
        {"a listed file while nothing is the Source becomes Source and Aux",
         {{Step::Add, "/s/in/a.wav", 1},
          {Step::Add, "/s/in/b.wav", 2},
          {Step::ClearSourceSelection, "", 0},
          {Step::Add, "/s/in/b.wav", 2}},
         {{"/in/a", "/in/b"}, "/in/b", "/in/b", 1},
         3,
         true,
         true},
        {"a new file whose name is listed while nothing is the Source",
         {{Step::Add, "/one/in/a.wav", 1},
          {Step::ClearSourceSelection, "", 0},
          {Step::Add, "/two/in/a.wav", 2}},
         {{"/in/a"}, "/in/a", "/in/a", 1},
         2,
         true,
         true},
        {"a Source missing from the Aux selector: the new name is added to Aux",
         {{Step::Add, "/one/in/a.wav", 1},
          {Step::Add, "/s/in/b.wav", 2},
          {Step::DropAuxEntry, "/in/b", 0},
          {Step::Add, "/two/in/b.wav", 1}},
         {{"/in/a", "/in/b"}, "/in/b", "/in/b", 2},
         3,
         false,
         true},
        {"same display name in two places shares one entry",
         {{Step::Add, "/one/in/a.wav", 1}, {Step::Add, "/two/in/a.wav", 1}},
         {{"/in/a"}, "/in/a", "/in/a", 2},
         2,
         false,
         false},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.name);
        WorkingList fresh(reporter);
        list.filePaths = fresh.filePaths;
        list.source.clear();
        list.aux.clear();
        list.selectionState = 0;
        list.sourceIsStereo = list.auxIsStereo = false;
        for (const auto& step : s.steps) {
            if (step.kind == Step::Add)
                EXPECT_TRUE(list.AddToList(step.path, step.channels));
            else if (step.kind == Step::ClearList)
                list.ClearList();
            else if (step.kind == Step::DropAuxEntry)
                list.aux.removeAt(list.aux.find(step.path));
            else
                list.source.clearSelection();
        }
        const Selectors got = selectors();
        EXPECT_EQ(got.items, s.expected.items);
        EXPECT_EQ(list.aux.items(), s.expected.items);
        EXPECT_EQ(got.source, s.expected.source);
        EXPECT_EQ(got.aux, s.expected.aux);
        EXPECT_EQ(got.state, s.expected.state);
        EXPECT_EQ(slotsUsed(), s.slots);
        EXPECT_EQ(list.sourceIsStereo, s.sourceStereo);
        EXPECT_EQ(list.auxIsStereo, s.auxStereo);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(WorkingListTest, SlotsStoreTimeAndChannelsAndAFullListRefuses) {
    auto t0 = std::chrono::system_clock::time_point(std::chrono::seconds(1000));
    int tick = 0;
    WorkingList timed(reporter, [&] { return t0 + std::chrono::seconds(tick++); });
    int changes = 0;
    timed.changed = [&] { ++changes; };
    for (int i = 0; i < WorkingList::kSlots; ++i)
        ASSERT_TRUE(timed.AddToList("/r/t/" + std::to_string(i) + ".wav", 1 + i % 2));
    EXPECT_EQ(timed.filePaths[5], "/r/t/5.wav");
    EXPECT_EQ(timed.fileChannels[5], 2);
    EXPECT_EQ(timed.fileTimes[5], t0 + std::chrono::seconds(5));
    EXPECT_EQ(changes, WorkingList::kSlots);
    const auto before = timed.filePaths;
    // The Aux has nothing selected and a listed file shows the new file's name: the refusal
    // leaves even that selector alone.
    timed.aux.clearSelection();
    EXPECT_FALSE(timed.AddToList("/other/t/5.wav", 1));
    ASSERT_EQ(reporter.reports.size(), 1U);
    EXPECT_NE(reporter.reports[0].text.find("/other/t/5.wav"), std::string::npos);
    EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(timed.aux.hasSelection());
    EXPECT_EQ(timed.filePaths, before);

    // A listed file while nothing is the Source would be stored again; with no free slot its
    // own slot takes it.
    timed.source.clearSelection();
    EXPECT_TRUE(timed.AddToList("/r/t/7.wav", 2));
    EXPECT_EQ(timed.filePaths, before);
    EXPECT_EQ(timed.source.currentText(), "/t/7");
    EXPECT_EQ(timed.GetSourceIndex(), 7);
    EXPECT_EQ(timed.fileChannels[7], 2);
    EXPECT_EQ(reporter.reports.size(), 1U);
}

TEST_F(WorkingListTest, SourceIndexMatchesTheLiteralEnding) {
    list.AddToList("/one/in/a.wav", 1);
    list.AddToList("/two/in/a.wav", 2);
    list.AddToList("/s/x/UP.WAV", 1);
    EXPECT_EQ(list.source.currentText(), "/x/UP");
    // The upper-case ending is not found by the operations, but the selection handler finds it.
    EXPECT_EQ(list.GetSourceIndex(), -1);
    EXPECT_EQ(list.findSlotForSelection("/x/UP"), 2);
    list.source.select("/in/a");
    EXPECT_EQ(list.GetSourceIndex(), 0);
    list.source.clearSelection();
    EXPECT_EQ(list.GetSourceIndex(), -1);
    EXPECT_EQ(list.GetAuxIndex(), 0);
}

TEST_F(WorkingListTest, NextTempPathCountsWarnsAndCycles) {
    list.SetOutputDir("/r/tempsnds/");
    struct Case {
        std::int16_t counter;
        std::string path;
        bool warns;
    };
    const Case cases[] = {{0, "/r/tempsnds/000.wav", false},   {7, "/r/tempsnds/007.wav", false},
                          {997, "/r/tempsnds/997.wav", false}, {998, "/r/tempsnds/998.wav", true},
                          {999, "/r/tempsnds/999.wav", false}, {1000, "/r/tempsnds/000.wav", false},
                          {1234, "/r/tempsnds/234.wav", false}};
    for (const auto& c : cases) {
        reporter.reports.clear();
        list.tempCounter = c.counter;
        EXPECT_EQ(list.NextTempPath(), c.path);
        EXPECT_EQ(list.tempCounter, c.counter + 1);
        EXPECT_EQ(reporter.reports.size(), c.warns ? 1U : 0U) << c.counter;
    }
    EXPECT_EQ(reporter.reports.size(), 0U);
    list.tempCounter = 998;
    list.NextTempPath();
    EXPECT_EQ(reporter.texts().back(), "The maximal amount of open files has been reached\nSave "
                                       "your files and restart the application");
    EXPECT_EQ(reporter.reports.back().icon, MessageIcon::Warning);
    list.SetOutputDir("/elsewhere/");
    EXPECT_EQ(list.NextTempPath(), "/elsewhere/000.wav");
}

TEST_F(WorkingListTest, NextTempPathNeverNamesTheFilesBeingRead) {
    list.SetOutputDir("/r/tempsnds/");
    list.AddToList("/r/tempsnds/000.wav", 1);
    list.AddToList("/r/tempsnds/001.wav", 1); // Source 001, Aux 000
    list.tempCounter = 1000;
    EXPECT_EQ(list.NextTempPath(), "/r/tempsnds/002.wav");
    EXPECT_EQ(list.tempCounter, 1003);
    list.tempCounter = 1001;
    EXPECT_EQ(list.NextTempPath(), "/r/tempsnds/002.wav");
    list.source.select("/tempsnds/000");
    list.tempCounter = 1001;
    EXPECT_EQ(list.NextTempPath(), "/r/tempsnds/001.wav");
    EXPECT_TRUE(reporter.reports.empty());
}

// Numbering goes on after the highest result in the folder, whoever made it, so that results
// stay in the order they were made; gaps are not filled. Once 999 is taken the names cycle,
// passing over every name taken.
TEST_F(WorkingListTest, NextTempPathPassesOverFilesOnDisk) {
    test::TempDir dir;
    list.SetOutputDir(dir.path().string());
    const std::string folder = list.outputDir;
    for (const char* taken : {"000.wav", "001.wav", "003.wav", "mine.wav", "1234.wav"})
        test::writeBytes(folder + taken, test::Bytes{1});
    std::filesystem::create_directory(folder + "004.wav");
    std::filesystem::create_symlink(folder + "gone", folder + "005.wav"); // dangling, still taken
    EXPECT_EQ(list.NextTempPath(), folder + "006.wav");
    EXPECT_EQ(list.NextTempPath(), folder + "007.wav");
    EXPECT_EQ(list.tempCounter, 8);
    // Another program's results meanwhile: the next number follows them, a raw import's name
    // counting as its number.
    test::writeBytes(folder + "010.wav", test::Bytes{1});
    test::writeBytes(folder + "012_drums.raw_.wav", test::Bytes{1});
    EXPECT_EQ(list.NextTempPath(), folder + "013.wav");
    EXPECT_TRUE(reporter.reports.empty());

    // A drawn name (or one made from it) taken before its result was complete is drawn again;
    // a name never drawn is the user's own.
    const std::pair<std::string, std::string> redrawn[] = {
        {folder + "013.wav", folder + "014.wav"},
        {folder + "013_noise_.wav", folder + "015_noise_.wav"},
        {folder + "mine.wav", ""},
        {folder + "013_noise.wav", ""},
    };
    for (const auto& [taken, next] : redrawn)
        EXPECT_EQ(list.redrawTakenName(taken), next) << taken;

    for (int n = 0; n < 1000; ++n) {
        char name[8];
        std::snprintf(name, sizeof name, "%03d.wav", n);
        if (!std::filesystem::exists(std::filesystem::symlink_status(folder + name)))
            test::writeBytes(folder + name, test::Bytes{1});
    }
    EXPECT_EQ(list.NextTempPath(), "");
    // The warning at 998 once on the way round, then the refusal.
    ASSERT_EQ(reporter.reports.size(), 2U);
    EXPECT_EQ(reporter.reports[1].text, "Every result name from 000.wav to 999.wav is taken in\n" +
                                            folder +
                                            "\n\nMove or delete some results, or choose another "
                                            "output folder.");
    EXPECT_EQ(reporter.reports[1].icon, MessageIcon::Error);
}

// What quitting would leave only in the output folder: results drawn by this list, on disk, that
// no Save As copied, across a change of output folder.
TEST_F(WorkingListTest, UnsavedResultsAreTheDrawnFilesNoSaveAsCopied) {
    test::TempDir first;
    test::TempDir second;
    list.SetOutputDir(first.path().string());
    const std::string kept = list.NextTempPath();             // saved elsewhere below
    const std::string left = list.NextTempPath();             // on disk, never saved
    const std::string failed = list.NextTempPath();           // its job wrote nothing
    test::writeBytes(first.file("mine.wav"), test::Bytes{1}); // the user's own, never drawn
    for (const std::string& path : {kept, left})
        test::writeBytes(path, test::Bytes{1});
    list.SetOutputDir(second.path().string());
    const std::string later = list.NextTempPath();
    test::writeBytes(later, test::Bytes{1});
    EXPECT_EQ(list.unsavedResults(), (std::vector<std::string>{kept, left, later}));

    ASSERT_TRUE(list.AddToList(kept, 1));
    ASSERT_EQ(list.checkSaveAs(first.file("chosen.wav")), kept);
    ASSERT_TRUE(list.applySaveAs(kept, first.file("chosen.wav")));
    EXPECT_EQ(list.unsavedResults(), (std::vector<std::string>{left, later}));
    // A result deleted or moved away is no longer the list's to warn about.
    std::filesystem::remove(later);
    EXPECT_EQ(list.unsavedResults(), (std::vector<std::string>{left}));
    (void)failed;
}

TEST(OutputDir, AlwaysAFolderEndingWithTheSeparator) {
    test::TempAudioRoot root;
    test::RecordingReporter reporter;
    WorkingList list(reporter);
    const std::string sep(1, static_cast<char>(std::filesystem::path::preferred_separator));
    const std::string rootText = root.path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"/mnt/out/", "/mnt/out/"},
        {"/mnt/out", "/mnt/out" + sep},
        {"", rootText + sep + "tempsnds" + sep},
        {"takes", rootText + sep + "takes" + sep},
    };
    for (const auto& [chosen, expected] : cases) {
        list.tempCounter = 12;
        list.SetOutputDir(chosen);
        EXPECT_EQ(list.outputDir, expected) << chosen;
        EXPECT_EQ(list.tempCounter, 0);
    }
}

TEST_F(WorkingListTest, SelectionChangesSetStateAndFlags) {
    list.AddToList("/s/in/a.wav", 1);
    list.AddToList("/s/in/b.wav", 2);
    // The user picks b as Aux too.
    list.aux.select("/in/b");
    list.OnAuxChanged();
    EXPECT_EQ(list.selectionState, 1);
    list.aux.select("/in/a");
    list.OnAuxChanged();
    EXPECT_EQ(list.selectionState, 2);
    EXPECT_FALSE(list.auxIsStereo);
    list.source.select("/in/a");
    list.OnSourceChanged();
    EXPECT_EQ(list.selectionState, 1);
    EXPECT_FALSE(list.sourceIsStereo);
    list.source.clearSelection();
    list.OnSourceChanged();
    EXPECT_EQ(list.selectionState, 0);
    // Picking an Aux while nothing is the Source gives no usable selection.
    list.aux.select("/in/b");
    list.OnAuxChanged();
    EXPECT_EQ(list.selectionState, 0);
    EXPECT_TRUE(list.auxIsStereo);
    // An entry that no slot backs any more.
    list.aux.append("/gone/x");
    list.aux.select("/gone/x");
    list.OnAuxChanged();
    EXPECT_EQ(list.selectionState, 0);
    EXPECT_EQ(reporter.texts(), std::vector<std::string>{"Invalid selection"});
    EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
}

TEST_F(WorkingListTest, RemoveByPrefixKeepsSlots) {
    list.AddToList("/r/tempsnds/000.wav", 1);
    list.AddToList("/r/in/a.wav", 1);
    list.AddToList("/r/tempsnds/001.wav", 1);
    list.RemoveFromListByPrefix("/r/tempsnds/");
    EXPECT_EQ(list.source.items(), std::vector<std::string>{"/in/a"});
    EXPECT_EQ(list.aux.items(), std::vector<std::string>{"/in/a"});
    EXPECT_FALSE(list.source.hasSelection()); // it showed 001
    EXPECT_TRUE(list.aux.hasSelection());
    EXPECT_EQ(list.filePaths[0], "/r/tempsnds/000.wav");
}

TEST_F(WorkingListTest, SaveAsDecisions) {
    list.AddToList("/r/in/a.wav", 1);
    // Source and Aux show the same file.
    EXPECT_FALSE(list.saveAsAllowed());
    EXPECT_EQ(reporter.texts().back(),
              "The file could not be saved\nplease use file/rename instead");
    list.AddToList("/r/in/b.wav", 1);
    list.AddToList("/r/tempsnds/003.wav", 1);
    ASSERT_TRUE(list.saveAsAllowed());
    EXPECT_EQ(list.saveAsDefaultName(), "/r/tempsnds/003.wav");

    struct Case {
        std::string chosen;
        std::string message;
    };
    const Case refusals[] = {
        {"/R/TempSnds/003.WAV",
         "This file already exists in the same directory,\nplease choose another name"},
        {"/r/IN/A.wav", "This file is already listed,\nplease choose another name"},
    };
    for (const auto& c : refusals) {
        reporter.reports.clear();
        EXPECT_FALSE(list.checkSaveAs(c.chosen).has_value());
        EXPECT_EQ(reporter.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(list.filePaths[2], "/r/tempsnds/003.wav");
    }
    EXPECT_FALSE(list.checkSaveAs("").has_value());
    EXPECT_EQ(list.filePaths[2], "/r/tempsnds/003.wav");

    // An accepted name changes nothing but the remembered folder until the copy is complete.
    const auto sourceItems = list.source.items();
    const auto auxItems = list.aux.items();
    auto old = list.checkSaveAs("/Keep/Songs/Final.wav");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(*old, "/r/tempsnds/003.wav");
    EXPECT_EQ(list.saveAsDir, "/Keep/Songs/");
    EXPECT_EQ(list.filePaths[2], "/r/tempsnds/003.wav");
    EXPECT_EQ(list.source.items(), sourceItems);
    EXPECT_EQ(list.source.currentText(), "/tempsnds/003");
    EXPECT_EQ(list.aux.items(), auxItems);

    // The copy done: the entry takes the new name. The chosen letter case is kept: on this
    // system /Keep and /keep are different folders.
    EXPECT_FALSE(list.applySaveAs("/r/in/b.wav", "/Keep/Songs/Final.wav")); // not the Source
    EXPECT_EQ(list.filePaths[2], "/r/tempsnds/003.wav");
    ASSERT_TRUE(list.applySaveAs(*old, "/Keep/Songs/Final.wav"));
    EXPECT_EQ(list.filePaths[2], "/Keep/Songs/Final.wav");
    EXPECT_EQ(list.source.currentText(), "/Songs/Final");
    EXPECT_EQ(list.aux.items(), (std::vector<std::string>{"/in/a", "/in/b", "/Songs/Final"}));
    EXPECT_EQ(list.saveAsDefaultName(), "/Keep/Songs/Final.wav");
}

TEST_F(WorkingListTest, RenameReplacesTheEntries) {
    list.AddToList("/r/in/a.wav", 1);
    list.AddToList("/r/tempsnds/000.wav", 2);
    auto old = list.RenameSource("/r/out/kept.wav");
    ASSERT_TRUE(old.has_value());
    EXPECT_EQ(*old, "/r/tempsnds/000.wav");
    EXPECT_EQ(list.filePaths[1], "/r/out/kept.wav");
    EXPECT_EQ(list.source.items(), (std::vector<std::string>{"/in/a", "/out/kept"}));
    EXPECT_EQ(list.source.currentText(), "/out/kept");
    EXPECT_EQ(list.aux.items(), (std::vector<std::string>{"/in/a", "/out/kept"}));
    EXPECT_EQ(list.aux.current(), 0);
    EXPECT_EQ(list.selectionState, 2);
    EXPECT_TRUE(list.sourceIsStereo);

    // Onto its own path: renaming would delete the file first, so nothing happens.
    const auto items = list.source.items();
    EXPECT_FALSE(list.RenameSource("/r/out/kept.wav").has_value());
    EXPECT_FALSE(list.RenameSource("").has_value());
    EXPECT_EQ(list.filePaths[1], "/r/out/kept.wav");
    EXPECT_EQ(list.source.items(), items);
    EXPECT_EQ(list.source.currentText(), "/out/kept");
}

TEST_F(WorkingListTest, RenameOntoTheSameFileUnderAnotherSpelling) {
    test::TempDir dir;
    const std::string path = dir.file("take.wav");
    test::writeBytes(path, test::Bytes(4, 0));
    list.AddToList(path, 1);
    EXPECT_FALSE(list.RenameSource(dir.path().string() + "/./take.wav").has_value());
    EXPECT_EQ(list.filePaths[0], path);
}

} // namespace
} // namespace sonarium
