// The interactions on real files: each operator's values, the pairing of mono and stereo files
// across blocks of odd sizes, the one-file modes, the refusals, and results of every shape.
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/wave_format.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

SONARIUM_DECLARE_OPERATION(interactionFormula);
SONARIUM_DECLARE_OPERATION(maximizeMinimize);
SONARIUM_DECLARE_OPERATION(multiply);
SONARIUM_DECLARE_OPERATION(interactionCompression);
SONARIUM_DECLARE_OPERATION(interlace);

namespace sonarium {
namespace {

using Values = std::vector<std::int16_t>;

// The operation's parameters from command-line options ("--formula ora").
Parameters options(const OperationDecl& op, const std::string& text) {
    std::vector<std::string> arguments;
    std::istringstream words(text);
    for (std::string word; words >> word;)
        arguments.push_back(word);
    arguments.insert(arguments.end(), {"s.wav", "a.wav", "-o", "out.wav"});
    OperationArguments parsed;
    EXPECT_EQ(parseOperationArguments(op, arguments, parsed), std::nullopt) << text;
    return parsed.parameters;
}

class Interactions : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    std::string out = dir.file("out.wav");

    test::JobRun run(const OperationDecl& op, const Parameters& p, const std::string& source,
                     const std::string& aux) {
        return test::runOperation(op, p, {.source = source, .aux = aux}, reporter,
                                  {.destination = out});
    }
    test::JobRun run(const OperationDecl& op, const Parameters& p, const Values& s, const Values& a,
                     int sourceChannels = 1, int auxChannels = 1) {
        return run(op, p, test::writeWave(dir.file("s.wav"), s, sourceChannels),
                   test::writeWave(dir.file("a.wav"), a, auxChannels));
    }
};

TEST_F(Interactions, ValueExamples) {
    const OperationDecl& formula = interactionFormulaOperation();
    const OperationDecl& maxMin = maximizeMinimizeOperation();
    const OperationDecl& multiply = multiplyOperation();
    const OperationDecl& compression = interactionCompressionOperation();
    struct Case {
        const OperationDecl& op;
        const char* options;
        Values source, aux, expected;
    };
    const Case cases[] = {
        {formula,
         "",
         {3, -3, 32767, -32768, 5},
         {0, 0, 32767, -32768, -6},
         {1, -1, 32767, -32768, 0}},
        {formula, "--formula ora", {0x0F0F, -1}, {0x00F0, 0x1234}, {0x0FFF, -1}},
        {formula, "--formula and", {0x0F0F, -1}, {0x00F0, 0x1234}, {0, 0x1234}},
        {formula, "--formula div", {20000, -32768, -32768, 5}, {3, 1, -1, 0}, {0, -1, 1, 0}},
        {maxMin, "", {-20000, -32768, 5}, {10000, 32767, -5}, {-20000, -32768, 5}},
        {maxMin, "--no-symetrize", {-20000, 5}, {10000, 5}, {10000, 5}},
        {maxMin, "--operation minimize", {-20000, 5, 7}, {10000, -5, -8}, {10000, 5, 7}},
        {maxMin, "--operation minimize --no-symetrize", {-20000, 7}, {10000, -8}, {-20000, -8}},
        {multiply, "--sign source-x-auxiliary", {32767, -32768}, {32767, -32768}, {16383, 16384}},
        {multiply,
         "--sign source-x-auxiliary --power 1",
         {32767, -20000},
         {32767, 32767},
         {32603, -19899}},
        {multiply, "--sign source", {-32768}, {-32768}, {-16384}},
        {multiply, "--sign auxiliary", {-32768}, {-32768}, {-16384}},
        {multiply, "", {32767, -32768, 1000}, {-32768, -32768, -32768}, {0, 0, 0}},
        {multiply, "", {32767, -32768, 1000}, {32767, 32767, 32767}, {32766, -32767, 999}},
        {compression, "", {16384}, {-32768}, {23169}},
        {compression, "", {12345, -7}, {0, 0}, {12345, -7}},
        {compression, "--keep-difference", {12345, -7}, {0, 0}, {0, 0}},
        // The difference wraps instead of clipping; the gain is G / 100 in double precision.
        {compression, "--gain -100 --keep-difference", {-32768, -32768}, {32767, -32768}, {-4, -2}},
        {compression, "--gain 250 --iterations 2", {1000}, {-32768}, {6116}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.options);
        const test::JobRun r = run(c.op, options(c.op, c.options), c.source, c.aux);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.expected);
        EXPECT_TRUE(reporter.reports.empty());
    }
    // xor of a file with a copy of itself: silence.
    const Values ramp = test::ramp(70001, -32768, 977);
    EXPECT_EQ(run(formula, options(formula, "--formula xor"), ramp, ramp).output, Values(70001, 0));
}

// Multiply's pairing of every mode against a model that pairs frame k of the files, over results
// of 128002 values (blocks of 42667, an odd size); the file of fewer values per channel ends the
// result, and a partner past the end of an odd-sized stereo file counts as 0.
TEST_F(Interactions, MultiplyPairsFramesByTheirPlaceInTheFile) {
    struct Case {
        int sourceChannels, auxChannels;
        bool panoramic;
        std::size_t sourceValues, auxValues;
        int channels;
        std::size_t count;
    };
    const Case cases[] = {
        {1, 1, false, 128002, 130000, 1, 128002}, {2, 2, false, 140000, 128002, 2, 128002},
        {2, 1, false, 140000, 64001, 2, 128002},  {1, 2, false, 64001, 130000, 2, 128002},
        {1, 1, true, 64001, 64001, 2, 128002},    {2, 1, true, 128002, 70000, 2, 128002},
        {2, 2, true, 132000, 128003, 2, 128003},  {1, 2, true, 64001, 128004, 2, 128002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sourceChannels) + "x" + std::to_string(c.auxChannels) +
                     (c.panoramic ? " panoramic" : ""));
        const Values s = test::ramp(c.sourceValues, -30000, 7919);
        const Values a = test::ramp(c.auxValues, 12345, 3331);
        const Parameters p =
            options(multiplyOperation(), c.panoramic ? "--sign source-x-auxiliary --panoramic"
                                                     : "--sign source-x-auxiliary");
        const test::JobRun r = run(multiplyOperation(), p, s, a, c.sourceChannels, c.auxChannels);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.channels, c.channels);
        ASSERT_EQ(r.output.size(), c.count);
        auto at = [](const Values& v, std::size_t i) -> double { return i < v.size() ? v[i] : 0; };
        std::size_t wrong = 0;
        for (std::size_t g = 0; g < c.count; ++g) {
            const std::size_t frame = c.channels == 2 ? g / 2 : g;
            const bool right = c.channels == 2 && g % 2 == 1;
            const double sv = at(s, c.sourceChannels == 2 || c.channels == 1 ? g : frame);
            double m;
            if (!c.panoramic) {
                m = at(a, c.auxChannels == 2 || c.channels == 1 ? g : frame);
            } else if (c.auxChannels == 1) {
                const double v = at(a, frame);
                m = !right ? v : (v >= 0 ? 32767 - v : v + 32768);
            } else {
                const double d = (at(a, 2 * frame) - at(a, 2 * frame + 1)) / 2;
                m = !right ? d : (-d < 0 ? -d + 32767 : -32768 + d);
            }
            const auto expected = static_cast<std::int16_t>((m / 32768 * sv / 2 * 100) / 100);
            wrong += r.output[g] != expected;
        }
        EXPECT_EQ(wrong, 0U);
    }
}

// One file given as both: Multiply by itself (panoramic: by its own frame difference, where the
// Source and the Auxiliary modes both follow the source's sign), Compression by its own level,
// Interlace with every piece twice.
TEST_F(Interactions, OneFileModes) {
    struct Case {
        const OperationDecl& op;
        const char* options;
        Values values;
        int channels;
        Values expected;
    };
    const OperationDecl& multiply = multiplyOperation();
    const Case cases[] = {
        {multiply, "--sign source-x-auxiliary", {32767, -32768}, 1, {16383, 16384}},
        {multiply, "--panoramic --sign source", {20000, -4000}, 2, {3662, 1267}},
        {multiply, "--panoramic --sign auxiliary", {20000, -4000}, 2, {3662, 1267}},
        {interactionCompressionOperation(), "", {16384, -16384}, 1, {19776, -19776}},
        {interlaceOperation(), "", {-1, 2, -3, 4, 5}, 1, {-1, 2, -1, 2, -3, 4, -3, 4, 5, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.options);
        const std::string file = test::writeWave(dir.file("one.wav"), c.values, c.channels);
        // The same file under another spelling.
        const std::string spelled = (dir.path() / "." / "one.wav").string();
        const test::JobRun r = run(c.op, options(c.op, c.options), file, spelled);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.expected);
        EXPECT_EQ(r.channels, c.channels);
    }
}

// Pieces of one file end at upward crossings; the value before each block's first counts as 0,
// so a crossing at a block's start ends nothing and the open piece runs on into the next block.
// Blocks of 32000 values: 10666, 10666, 10666 and 2.
TEST_F(Interactions, InterlaceOfOneFileDoublesPiecesAcrossBlocks) {
    Values values(32000, -5);
    values[10666] = 7; // first of block 1: no crossing
    values[20000] = 9; // a crossing inside block 1
    Values expected;
    for (auto [first, last] : {std::pair{0, 20001}, std::pair{20001, 32000}})
        for (int copy = 0; copy < 2; ++copy)
            expected.insert(expected.end(), values.begin() + first, values.begin() + last);
    const std::string file = test::writeWave(dir.file("one.wav"), values);
    EXPECT_EQ(run(interlaceOperation(), {}, file, file).output, expected);

    // No crossing at all: the whole file is one piece, written twice.
    const std::string flat = test::writeWave(dir.file("flat.wav"), Values(150001, 300));
    const test::JobRun twice = run(interlaceOperation(), {}, flat, flat);
    EXPECT_EQ(twice.output, Values(300002, 300));

    // A stereo file gets the stereo warning, and the job goes on whichever the answer.
    reporter.answers = {Answer::Cancel};
    const std::string stereo = test::writeWave(dir.file("stereo.wav"), {-1, -1, 2, 2, 3, 3}, 2);
    const test::JobRun warned = run(interlaceOperation(), {}, stereo, stereo);
    EXPECT_EQ(warned.outcome, JobOutcome::Completed);
    EXPECT_EQ(warned.output, (Values{-1, -1, 2, -1, -1, 2, 2, 3, 3, 2, 3, 3}));
    EXPECT_EQ(reporter.texts(), std::vector<std::string>{kStereoWarningText});
}

// Shows nothing; while the first message is up, a shorter file takes the place of `path` (a new
// file under the name: a reader already open keeps reading the old one).
class ReplacingReporter final : public Reporter {
public:
    ReplacingReporter(std::string path, std::string replacement)
        : path_(std::move(path)), replacement_(std::move(replacement)) {}
    std::vector<std::string> texts;

protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons) override {
        texts.push_back(text);
        if (!replacement_.empty())
            std::filesystem::rename(replacement_, path_);
        replacement_.clear();
        return Answer::Ok;
    }

private:
    std::string path_;
    std::string replacement_;
};

// A piece that spans blocks is read again from the file by its name; a file replaced meanwhile
// no longer holds the values counted, so the job stops with the changed-file message and leaves
// no result rather than one made of two different files.
TEST_F(Interactions, InterlaceOfOneFileStopsWhenItsFileIsReplaced) {
    const std::string file = test::writeWave(dir.file("one.wav"), Values(80000, 300), 2);
    ReplacingReporter replacing(file,
                                test::writeWave(dir.file("shorter.wav"), Values(200, 300), 2));
    const test::JobRun r = test::runOperation(interlaceOperation(), {}, {.source = file}, replacing,
                                              {.destination = out});
    EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(replacing.texts,
              (std::vector<std::string>{kStereoWarningText, changedSourceMessage(file)}));
}

TEST_F(Interactions, InterlaceOfTwoFiles) {
    // Pieces in the order they end, the Source's first at the same place; a silent Aux never
    // crosses, so its block is one piece placed where it ends.
    const test::JobRun small =
        run(interlaceOperation(), {}, Values{-1, 2, -3, 4, 5}, Values{0, 0, 0});
    EXPECT_EQ(small.output, (Values{-1, 2, 0, 0, 0, -3, 4, 5}));

    // Every value once: a Source of odd values and an Aux of even ones come apart again in order.
    Values s(1000), a(3000);
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::int16_t>((i % 40 < 20 ? -301 : 301) + 2 * static_cast<int>(i % 7));
    for (std::size_t i = 0; i < a.size(); ++i)
        a[i] = static_cast<std::int16_t>((i % 26 < 13 ? -500 : 500) + 2 * static_cast<int>(i % 5));
    const test::JobRun both = run(interlaceOperation(), {}, s, a);
    ASSERT_EQ(both.output.size(), 4000U);
    Values odd, even;
    for (std::int16_t v : both.output)
        (v % 2 != 0 ? odd : even).push_back(v);
    EXPECT_EQ(odd, s);
    EXPECT_EQ(even, a);

    // A sine against a silent Aux (blocks of 6666 and 6000 values): the Aux never crosses, so each
    // of its blocks comes out whole, right after the Source piece that ends where it ends or last
    // before it.
    Values sine(20000);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<std::int16_t>(std::lround(
            10000 * std::sin(2 * 3.14159265358979 * static_cast<double>(i) / 97 + 0.1)));
    const test::JobRun silent = run(interlaceOperation(), {}, sine, Values(12000, 0));
    ASSERT_EQ(silent.output.size(), 32000U);
    Values sourcePart;
    std::vector<std::pair<std::size_t, std::size_t>> zeroRuns; // (first, length)
    for (std::size_t i = 0; i < silent.output.size(); ++i) {
        if (silent.output[i] != 0) {
            sourcePart.push_back(silent.output[i]);
        } else if (zeroRuns.empty() || zeroRuns.back().first + zeroRuns.back().second != i) {
            zeroRuns.emplace_back(i, 1);
        } else {
            ++zeroRuns.back().second;
        }
    }
    EXPECT_EQ(sourcePart, sine);
    ASSERT_EQ(zeroRuns.size(), 2U);
    for (std::size_t run = 0; run < 2; ++run) {
        EXPECT_EQ(zeroRuns[run].second, 6000U);
        // Pass `run` holds Source values 6666 × run onwards: the Aux's block ends at its
        // value 5999, so the Source values before it end at most there.
        const std::size_t before = zeroRuns[run].first - 6000 * run; // Source values before
        EXPECT_LE(before, 6666 * run + 6000);
        EXPECT_GT(before, 6666 * run + 6000 - 97);
        EXPECT_TRUE(sine[before - 1] >= 0 && sine[before - 2] < 0);
    }

    // A mono file and a stereo one: the whole Source, then the whole Aux, mono values doubled.
    const Values mono = test::ramp(1000, 5, 3);
    const Values stereo = test::ramp(1000, -9, 11);
    const test::JobRun mixed = run(interlaceOperation(), {}, mono, stereo, 1, 2);
    Values expected;
    for (std::int16_t v : mono)
        expected.insert(expected.end(), {v, v});
    expected.insert(expected.end(), stereo.begin(), stereo.end());
    EXPECT_EQ(mixed.output, expected);
    EXPECT_EQ(mixed.channels, 2);
}

// Lengths and channels of each operation for each pairing of mono and stereo files; the sources
// stay as they were and the header declares the bytes written.
TEST_F(Interactions, ResultShapes) {
    struct Case {
        const OperationDecl& op;
        int sourceChannels, auxChannels;
        int channels;
        std::size_t count; // Source of 3000 values, Aux of 2001
        int warnings;      // stereo warnings shown
    };
    const Case cases[] = {
        {interactionFormulaOperation(), 1, 2, 1, 2001, 1},
        {interactionFormulaOperation(), 2, 1, 2, 2001, 1},
        {maximizeMinimizeOperation(), 1, 2, 2, 2001, 1},
        {maximizeMinimizeOperation(), 2, 1, 2, 2001, 1},
        {multiplyOperation(), 1, 1, 1, 2001, 0},
        {multiplyOperation(), 2, 1, 2, 3000, 0}, // 1500 source frames < 2001 aux frames
        {multiplyOperation(), 1, 2, 2, 2001, 0},
        {interactionCompressionOperation(), 2, 1, 2, 2001, 0},
        {interlaceOperation(), 1, 1, 1, 5001, 0},
        {interlaceOperation(), 2, 2, 2, 5001, 1},
        {interlaceOperation(), 1, 2, 2, 8001, 1},
        {interlaceOperation(), 2, 1, 2, 7002, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + std::to_string(c.sourceChannels) + "x" +
                     std::to_string(c.auxChannels));
        reporter.reports.clear();
        const std::string s = test::writeWave(dir.file("s.wav"), test::ramp(3000, -5000, 331),
                                              c.sourceChannels, 22050);
        const std::string a =
            test::writeWave(dir.file("a.wav"), test::ramp(2001, 700, 97), c.auxChannels, 8000);
        const test::Bytes sourceBefore = test::readBytes(s), auxBefore = test::readBytes(a);
        const test::JobRun r = run(c.op, c.op.defaults(), s, a);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.channels, c.channels);
        EXPECT_EQ(r.output.size(), c.count);
        const test::Bytes result = test::readBytes(out);
        EXPECT_EQ(readLe32(&result[40]), result.size() - 44 - 82);
        // The Source's rate; the Aux's other rate was asked about first.
        EXPECT_EQ(readLe32(&result[24]), 22050U);
        EXPECT_EQ(test::readBytes(s), sourceBefore);
        EXPECT_EQ(test::readBytes(a), auxBefore);
        EXPECT_EQ(reporter.reports.size(), static_cast<std::size_t>(c.warnings) + 1);
    }
}

// Refusals end without a file: the same file for the operations that need two, the panoramic
// mode on one mono file, an empty input, a declined stereo warning, a result too long for a
// wave file.
TEST_F(Interactions, RefusalsLeaveNoFile) {
    const std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(100));
    const std::string stereo = test::writeWave(dir.file("stereo.wav"), test::ramp(100), 2);
    const std::string empty = test::writeWave(dir.file("empty.wav"), {});
    const std::string link = dir.file("link.wav");
    std::filesystem::create_symlink(mono, link);
    // Sparse files: 2.2 GB of declared data each, never read.
    auto sparse = [&](const std::string& name) {
        const std::string path = dir.file(name);
        test::WaveSpec shape;
        shape.dataSize = 2200000000U;
        shape.riffSize = 2200000036U;
        test::writeBytes(path, test::buildWave(shape));
        std::filesystem::resize_file(path, 44 + 2200000000ULL);
        return path;
    };
    const std::string big = sparse("big.wav"), big2 = sparse("big2.wav");
    const OperationDecl& formula = interactionFormulaOperation();
    const OperationDecl& interlace = interlaceOperation();
    const OperationDecl& multiply = multiplyOperation();
    struct Case {
        const OperationDecl& op;
        const char* options;
        std::string source, aux;
        std::string message;
        bool declined = false; // the stereo warning answered with Cancel
    };
    const Case cases[] = {
        {formula, "", mono, mono, kInvalidAuxText},
        {formula, "", mono, link, kInvalidAuxText},
        {maximizeMinimizeOperation(), "", mono, "", kInvalidAuxText},
        {multiply, "--panoramic", mono, link, "Function not available\non a single mono source"},
        {formula, "", mono, stereo, kStereoWarningText, true},
        {interlace, "", stereo, mono, kStereoWarningText, true},
        {multiply, "", mono, empty, "holds no samples"},
        {interlace, "", empty, mono, "holds no samples"},
        {interlace, "", empty, empty, "holds no samples"},
        {interactionCompressionOperation(), "", mono, empty, "holds no samples"},
        {interlace, "", big, big2, "at most 4 GB"},
        {interlace, "", big, big, "at most 4 GB"},
        {multiply, "--panoramic", big, big2, "at most 4 GB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.options + " " + c.source + " " + c.aux);
        reporter.reports.clear();
        if (c.declined)
            reporter.answers = {Answer::Cancel};
        std::filesystem::remove(out);
        const test::JobRun r = run(c.op, options(c.op, c.options), c.source, c.aux);
        EXPECT_EQ(r.outcome, c.declined ? JobOutcome::Cancelled : JobOutcome::EndedWithMessage);
        EXPECT_FALSE(std::filesystem::exists(out));
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_NE(reporter.reports[0].text.find(c.message), std::string::npos)
            << reporter.reports[0].text;
    }
}

// A failed write is told in each operation's own words and icon, then the file and the system's
// reason, and leaves no file.
TEST_F(Interactions, WriteFailures) {
    struct Case {
        const OperationDecl& op;
        const char* text;
        MessageIcon icon;
    };
    const Case cases[] = {
        {interactionFormulaOperation(), kWriteErrorText, MessageIcon::None},
        {maximizeMinimizeOperation(), kWriteErrorText, MessageIcon::None},
        {multiplyOperation(), kWriteErrorText, MessageIcon::Warning},
        {interactionCompressionOperation(), kWriteErrorText, MessageIcon::Error},
        {interlaceOperation(), "An error occured\nwhile writing onto disk", MessageIcon::Warning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name));
        reporter.reports.clear();
        BinaryFile::limitCreatedFilesForTesting(44 + 100);
        const test::JobRun r = run(c.op, c.op.defaults(), test::ramp(1000), test::ramp(900, 3));
        BinaryFile::limitCreatedFilesForTesting(-1);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_TRUE(reporter.reports[0].text.starts_with(std::string(c.text) + "\n\nFile "))
            << reporter.reports[0].text;
        EXPECT_TRUE(reporter.reports[0].text.ends_with("\nNo space left on device"))
            << reporter.reports[0].text;
        EXPECT_EQ(reporter.reports[0].icon, c.icon);
    }
}

} // namespace
} // namespace sonarium
