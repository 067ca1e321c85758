// Insert Silence, Insert Auxiliary, Insert Clipboard and Merge on real files, against plain
// in-memory models, and the clipboard's byte rule.
#include "operations/editing/clipboard_wave.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(insertSilence);
SONARIUM_DECLARE_OPERATION(insertClipboard);
SONARIUM_DECLARE_OPERATION(insertAuxiliary);
SONARIUM_DECLARE_OPERATION(merge);

namespace sonarium {
namespace {

using Values = std::vector<std::int16_t>;

Values spliced(const Values& main, std::size_t at, const Values& inserted) {
    Values out(main.begin(), main.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), inserted.begin(), inserted.end());
    out.insert(out.end(), main.begin() + static_cast<std::ptrdiff_t>(at), main.end());
    return out;
}

class Insertions : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;

    test::JobRun run(const OperationDecl& op, const JobInput& input,
                     std::vector<std::pair<const char*, std::string>> texts = {}) {
        Parameters p = op.defaults();
        for (auto& [member, text] : texts)
            p.setText(member, text);
        return test::runOperation(op, p, input, reporter, {.destination = dir.file("out.wav")});
    }
};

// Positions in seconds at 1000 Hz: a mono value is 0.001 s, 64000 bytes 32 s.
TEST_F(Insertions, InsertAtEveryPlace) {
    struct Case {
        const char* name;
        std::size_t mainValues;
        int mainChannels;
        std::size_t insertValues;
        int insertChannels;
        const char* start;   // "" = left at the default
        std::size_t atValue; // where the inserted values land
    };
    const Case cases[] = {
        {"at 0", 1000, 1, 300, 1, "0", 0},
        {"mid-file", 1000, 1, 300, 1, "0.5", 500},
        {"at the end (default)", 1000, 1, 300, 1, "", 1000},
        {"past the end", 1000, 1, 300, 1, "99", 1000},
        {"negative", 1000, 1, 300, 1, "-3", 0},
        {"odd byte offset, mono", 1000, 1, 300, 1, "0.0015", 1},
        {"inside a stereo frame", 1000, 2, 300, 2, "0.0015", 2},
        {"into an empty file", 0, 1, 300, 1, "5", 0},
        {"piece boundary 64000 bytes", 40000, 1, 32000, 1, "32", 32000},
        {"piece boundary 64002 bytes", 40000, 1, 32001, 1, "32.0015", 32001},
        {"stereo into mono", 1000, 1, 400, 2, "0.2", 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Values main = test::ramp(c.mainValues, 3, 11);
        const Values inserted = test::ramp(c.insertValues, -500, 13);
        const std::string source =
            test::writeWave(dir.file("main.wav"), main, c.mainChannels, 1000);
        const std::string aux =
            test::writeWave(dir.file("aux.wav"), inserted, c.insertChannels, 22050);
        const test::Bytes before = test::readBytes(source);
        const Values expected = spliced(main, c.atValue, inserted);
        const test::JobRun r =
            run(insertAuxiliaryOperation(), {.source = source, .aux = aux}, {{"start", c.start}});
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(reporter.texts());
        EXPECT_EQ(r.output, expected);
        EXPECT_EQ(r.channels, c.mainChannels);
        EXPECT_EQ(r.progress.back(), 100);
        EXPECT_TRUE(test::readBytes(source) == before);

        // Silence of the same length at the same place.
        // Half a frame more than the values: rounded down to them.
        const std::string length =
            std::to_string((static_cast<double>(c.insertValues) / c.mainChannels + 0.5) / 1000.0);
        const test::JobRun s = run(insertSilenceOperation(), {.source = source},
                                   {{"start", c.start}, {"length", length}});
        ASSERT_EQ(s.outcome, JobOutcome::Completed);
        EXPECT_EQ(s.output, spliced(main, c.atValue, Values(c.insertValues, 0)));
    }
}

TEST_F(Insertions, SilenceLengthsAndRefusals) {
    const std::string stereo = test::writeWave(dir.file("s.wav"), test::ramp(100), 2, 44100);
    struct Case {
        const char* length;
        std::size_t added; // values; 0: refused
        const char* message;
    };
    const Case cases[] = {
        {"1.000", 88200, ""},
        {"0.00003", 2, ""}, // 5.29 bytes: one whole frame
        {"0.00001", 0, "Nothing to insert,\nlength cannot be 0."},
        {"0", 0, "Nothing to insert,\nlength cannot be 0."},
        {"-2", 0, "Nothing to insert,\nlength cannot be 0."},
        {"abc", 0, "Nothing to insert,\nlength cannot be 0."},
        {"500000", 0, "a wave file holds at most 4 GB of data"},
        {"inf", 0, "a wave file holds at most 4 GB of data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        reporter.reports.clear();
        const test::JobRun r = run(insertSilenceOperation(), {.source = stereo},
                                   {{"start", ""}, {"length", c.length}});
        if (c.added != 0) {
            EXPECT_EQ(r.outcome, JobOutcome::Completed);
            EXPECT_EQ(r.output.size(), 100 + c.added);
            continue;
        }
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        EXPECT_EQ(test::folderEntries(dir.path()).size(), 1U); // no temporary file either
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_NE(reporter.reports[0].text.find(c.message), std::string::npos);
    }
}

// A data chunk of an odd byte count inserts its whole values only: the header stays honest.
TEST_F(Insertions, OddInsertedFileLosesItsLastByte) {
    test::WaveSpec shape;
    shape.samples = {1, 2, 3};
    test::Bytes odd = test::buildWave(shape);
    odd.push_back(0x7F); // a fourth byte in the data, declared
    writeLe32(&odd[40], 7);
    writeLe32(&odd[4], static_cast<std::uint32_t>(odd.size() - 8));
    const std::string aux = dir.file("odd.wav");
    test::writeBytes(aux, odd);
    const std::string source = test::writeWave(dir.file("main.wav"), {9, 9});
    const test::JobRun r = run(insertAuxiliaryOperation(), {.source = source, .aux = aux});
    ASSERT_EQ(r.outcome, JobOutcome::Completed);
    EXPECT_EQ(r.output, (Values{9, 9, 1, 2, 3}));
    const test::Bytes out = test::readBytes(dir.file("out.wav"));
    EXPECT_EQ(readLe32(&out[40]), 10U);
    EXPECT_EQ(out.size(), 44U + 10U + 82U);
}

TEST_F(Insertions, MergeCases) {
    struct Case {
        const char* name;
        std::size_t mainValues;
        int mainChannels;
        std::size_t auxValues;
        int auxChannels;
        bool itself;
        int rate;
    };
    const Case cases[] = {
        {"mono and mono", 70001, 1, 1000, 1, false, 44100},
        {"stereo and stereo", 1000, 2, 130002, 2, false, 44100},
        {"mono then stereo", 33001, 1, 1000, 2, false, 44100},
        {"stereo then mono", 1000, 2, 33001, 1, false, 44100},
        {"itself", 130001, 1, 0, 1, true, 44100},
        {"22050 Hz files", 500, 1, 700, 1, false, 22050},
        {"empty main", 0, 1, 500, 2, false, 44100},
        {"empty aux", 500, 1, 0, 2, false, 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reporter.reports.clear();
        const Values main = test::ramp(c.mainValues, 1, 7);
        const Values aux = test::ramp(c.auxValues, -9, 5);
        const std::string sourcePath =
            test::writeWave(dir.file("main.wav"), main, c.mainChannels, c.rate);
        const std::string auxPath =
            c.itself ? sourcePath
                     : test::writeWave(dir.file("aux.wav"), aux, c.auxChannels, c.rate);
        const test::JobRun r = run(mergeOperation(), {.source = sourcePath, .aux = auxPath});
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(reporter.texts());
        auto doubled = [](const Values& v) {
            Values out;
            for (std::int16_t x : v)
                out.insert(out.end(), {x, x});
            return out;
        };
        const bool mixed = !c.itself && (c.mainChannels == 1) != (c.auxChannels == 1);
        Values expected = mixed && c.mainChannels == 1 ? doubled(main) : main;
        const Values second = c.itself ? main : (mixed && c.auxChannels == 1 ? doubled(aux) : aux);
        expected.insert(expected.end(), second.begin(), second.end());
        EXPECT_EQ(r.output, expected);
        EXPECT_EQ(r.channels, mixed ? 2 : c.mainChannels);
        const test::Bytes out = test::readBytes(dir.file("out.wav"));
        EXPECT_EQ(readLe32(&out[24]), static_cast<std::uint32_t>(c.rate));
        EXPECT_EQ(r.progress.back(), 100);
    }
    // Both empty: nothing to write.
    const std::string a = test::writeWave(dir.file("a.wav"), {});
    const std::string b = test::writeWave(dir.file("b.wav"), {});
    reporter.reports.clear();
    const test::JobRun r = run(mergeOperation(), {.source = a, .aux = b});
    EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(r.written);
    ASSERT_EQ(reporter.reports.size(), 1U);
    EXPECT_NE(reporter.reports[0].text.find("holds no samples"), std::string::npos);
    // No Aux at all: a message, no job.
    reporter.reports.clear();
    EXPECT_FALSE(run(mergeOperation(), {.source = a}).written);
    EXPECT_EQ(reporter.reports.size(), 1U);
}

// Insert Clipboard's job takes the editor's copy of the clipboard as its second file and inserts
// it as Insert Auxiliary would, even a copy of the Source itself; without a copy (no wave data on
// the clipboard) it says so and writes nothing.
TEST_F(Insertions, InsertClipboardTakesTheCopyOrSaysThereIsNone) {
    const std::string source = test::writeWave(dir.file("main.wav"), test::ramp(3000, 3, 11), 2);
    const std::string copy =
        test::writeWave(dir.file("copy.wav"), test::ramp(1001, -500, 13), 1, 8000);
    for (const char* start : {"", "0", "0.01"}) {
        SCOPED_TRACE(start);
        const test::JobRun auxiliary =
            run(insertAuxiliaryOperation(), {.source = source, .aux = copy}, {{"start", start}});
        const test::JobRun clipboard =
            run(insertClipboardOperation(), {.source = source, .aux = copy}, {{"start", start}});
        ASSERT_EQ(clipboard.outcome, JobOutcome::Completed);
        EXPECT_EQ(clipboard.output, auxiliary.output);
        EXPECT_EQ(clipboard.channels, 2);
    }
    // The Source's own file: its whole data lands at the start, and the rest follows from there
    // (44100 Hz stereo: 0.0101 s is 1781.64 bytes, 445 whole frames).
    const Values main = test::ramp(3000, 3, 11);
    for (const auto& [start, at] :
         {std::pair<const char*, std::size_t>{"", 3000}, {"0", 0}, {"0.0101", 890}}) {
        SCOPED_TRACE(std::string("itself at ") + start);
        const test::JobRun itself =
            run(insertClipboardOperation(), {.source = source, .aux = source}, {{"start", start}});
        ASSERT_EQ(itself.outcome, JobOutcome::Completed);
        EXPECT_EQ(itself.output, spliced(main, at, main));
    }

    reporter.reports.clear();
    const test::JobRun none = run(insertClipboardOperation(), {.source = source});
    EXPECT_EQ(none.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(none.written);
    EXPECT_EQ(
        reporter.texts(),
        std::vector<std::string>{"The clipboard holds no wave data:\nthere is nothing to insert."});
}

// With no Aux given, Merge and Insert Clipboard say so before they open anything: a Source that
// cannot be read adds no message of its own.
TEST_F(Insertions, NoAuxIsToldBeforeTheSourceIsOpened) {
    const std::string missing = dir.file("missing.wav");
    const struct {
        const OperationDecl& op;
        const char* text;
    } cases[] = {
        {mergeOperation(), "No auxiliary file selected:\nthere is nothing to merge."},
        {insertClipboardOperation(),
         "The clipboard holds no wave data:\nthere is nothing to insert."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.op.name));
        reporter.reports.clear();
        const test::JobRun r = run(c.op, {.source = missing});
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        EXPECT_EQ(reporter.texts(), std::vector<std::string>{c.text});
    }
}

TEST(ClipboardWave, TheRiffChunkAsFarAsTheDataGoes) {
    const test::Bytes file = test::buildWave({.samples = {1, 2, 3}});
    struct Case {
        const char* name;
        test::Bytes data;
        std::size_t kept;
    };
    test::Bytes longer = file;
    longer.push_back(0); // the extra byte of a clipboard block
    test::Bytes shorter(file.begin(), file.end() - 10);
    const Case cases[] = {
        {"exact", file, file.size()},
        {"one byte more", longer, file.size()},
        {"cut short", shorter, shorter.size()},
        {"no size field", test::Bytes{'R', 'I'}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clipboardWaveBytes(c.data).size(), c.kept) << c.name;

    test::TempDir dir;
    test::RecordingReporter reporter;
    const WaveContext wave{reporter, "", {}};
    const std::string path = dir.file("clip.wav");
    EXPECT_TRUE(writeClipboardWave(wave, longer, path));
    EXPECT_TRUE(test::readBytes(path) == file);
    EXPECT_FALSE(writeClipboardWave(wave, test::Bytes(100, 'x'), path));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(reporter.reports.size(), 1U);
}

} // namespace
} // namespace sonarium
