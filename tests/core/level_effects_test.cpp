// The job skeleton and the level effects, run on real files: block split, sample arithmetic,
// each effect's rule, write failures, the stereo warning and the empty-output refusal.
#include "jobs/block_split.h"
#include "jobs/read_ahead.h"
#include "jobs/sample_math.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(volume);
SONARIUM_DECLARE_OPERATION(saturate);
SONARIUM_DECLARE_OPERATION(normalize);
SONARIUM_DECLARE_OPERATION(silentZone);

namespace sonarium {
namespace {

using test::JobRun;

class LevelEffects : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;

    // Runs op on a file of the given values; the result goes to destination (a file of the
    // test's own folder unless given).
    JobRun run(const OperationDecl& op, const Parameters& p, const std::vector<std::int16_t>& in,
               int channels = 1, std::string destination = "") {
        const std::string source = test::writeWave(dir.file("source.wav"), in, channels);
        if (destination.empty())
            destination = dir.file("out.wav");
        return test::runOperation(op, p, {.source = source}, reporter,
                                  {.destination = destination});
    }
};

TEST(BlockSplitTest, SplitsAndProgress) {
    struct Case {
        std::uint32_t total;
        std::vector<std::uint32_t> blocks;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {1, {1}, {100}},
        {1000, {1000}, {100}},
        {64000, {32000, 32000}, {50, 100}},
        {64001, {32000, 32000, 1}, {33, 66, 100}},
        {128001, {42667, 42667, 42667}, {33, 66, 100}},
        {128002, {42667, 42667, 42667, 1}, {25, 50, 75, 100}},
        {200000, {50000, 50000, 50000, 50000}, {25, 50, 75, 100}},
        {200001, {50000, 50000, 50000, 50000, 1}, {20, 40, 60, 80, 100}},
    };
    for (const auto& c : cases) {
        const BlockSplit s = BlockSplit::of(c.total);
        std::vector<std::uint32_t> blocks;
        std::vector<int> progress;
        std::uint64_t sum = 0;
        for (std::uint32_t j = 0; j <= s.n; ++j) {
            blocks.push_back(s.count(j));
            progress.push_back(s.progress(j));
            sum += s.count(j);
            EXPECT_LE(s.count(j), kBlockValues);
        }
        EXPECT_EQ(blocks, c.blocks) << c.total;
        EXPECT_EQ(progress, c.progress) << c.total;
        EXPECT_EQ(sum, c.total);
    }
    // Large files: every block fits and the values add up.
    for (std::uint32_t total : {0x7FFFFFFFU, 1234567891U, 64000U * 7 + 3}) {
        const BlockSplit s = BlockSplit::of(total);
        EXPECT_LE(s.per, kBlockValues);
        EXPECT_LE(static_cast<std::uint32_t>(s.rem), kBlockValues);
        EXPECT_EQ(static_cast<std::uint64_t>(s.per) * s.n + static_cast<std::uint64_t>(s.rem),
                  total);
    }
}

TEST(SampleMath, ClipFoldTruncate) {
    struct Case {
        double x;
        std::int16_t clipped;
        std::int16_t folded;
    };
    const Case cases[] = {{1.5, 1, 1},
                          {-1.5, -1, -1},
                          {40000, 32767, 25534},
                          {-40000, -32768, -25536},
                          {32768, 32767, 32766},
                          {-32769, -32768, -32767},
                          {200000, 32767, -3396},
                          {1e9, 32767, -1436}};
    for (const auto& c : cases) {
        EXPECT_EQ(toSample(clipSample(c.x)), c.clipped) << c.x;
        EXPECT_EQ(toSample(foldSample(c.x)), c.folded) << c.x;
        const double f = foldSample(c.x);
        EXPECT_TRUE(f >= -32768 && f <= 32767);
    }
    EXPECT_EQ(toSample(32768.0), -32768); // no clipping: the low 16 bits
    EXPECT_EQ(toSample(65537.9), 1);
}

// The vectorised kernel against the plain clip-then-truncate arithmetic, for every 16-bit value
// and factors at the edges of what Volume and Normalize can ask for.
TEST(SampleMath, ScaleAndClipMatchesTheScalarRule) {
    std::vector<std::int16_t> all(65536);
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int16_t>(static_cast<int>(i) - 32768);
    for (double factor : {1.0, 0.5, 1.5, -1.0, 2.0, 327.67, -327.68, 0.0001, -0.0001, 0.0,
                          32768.0 / 3 * 0.37, 32768.0, 65535.0, 70000.0, -1e9}) {
        std::vector<std::int16_t> block = all;
        // An odd count leaves a tail after the vector loop.
        scaleAndClip(block.data(), static_cast<std::uint32_t>(block.size() - 3), factor);
        for (std::size_t i = 0; i < all.size(); ++i) {
            const std::int16_t expected =
                i < all.size() - 3 ? toSample(clipSample(all[i] * factor)) : all[i];
            ASSERT_EQ(block[i], expected) << "factor " << factor << ", value " << all[i];
        }
    }
}

TEST_F(LevelEffects, Volume) {
    struct Case {
        double ratio;
        bool fold;
        std::vector<std::int16_t> in, out;
    };
    const Case cases[] = {
        {100, false, {0, 1, -1, 32767, -32768, 1234}, {0, 1, -1, 32767, -32768, 1234}},
        {50, false, {3, -3, 32767}, {1, -1, 16383}},
        {200, false, {20000, -20000, 5}, {32767, -32768, 10}},
        {200, true, {20000, -20000, 5}, {25534, -25536, 10}},
        {-100, false, {-32768, 100}, {32767, -100}},
        {-100, true, {-32768, 100}, {32766, -100}},
    };
    for (const auto& c : cases) {
        Parameters p = volumeOperation().defaults();
        p.setNumber("ratio", c.ratio);
        p.setNumber("fold", c.fold);
        const JobRun r = run(volumeOperation(), p, c.in);
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.out) << c.ratio << (c.fold ? " fold" : "");
        EXPECT_EQ(r.progress, std::vector<int>{100});
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(LevelEffects, VolumeAcrossBlocksKeepsEveryValue) {
    const std::vector<std::int16_t> in = test::ramp(200001, -5000, 3);
    Parameters p = volumeOperation().defaults();
    p.setNumber("ratio", 100);
    const JobRun r = run(volumeOperation(), p, in, 2);
    EXPECT_EQ(r.output, in);
    EXPECT_EQ(r.progress, (std::vector<int>{20, 40, 60, 80, 100}));
}

TEST_F(LevelEffects, Saturate) {
    struct Case {
        int threshold;
        bool dynamic;
        std::vector<std::int16_t> in, out;
    };
    const Case cases[] = {
        {0, false, {5, -5, 0, 32767, -32768}, {32767, -32768, 0, 32767, -32768}},
        {100, true, {0, 50, 300, 300, 0}, {0, 0, 32767, 0, -32768}},
        {100, false, {100, 101, -100, -101}, {0, 32767, 0, -32768}},
    };
    for (const auto& c : cases) {
        Parameters p = saturateOperation().defaults();
        p.setNumber("T", c.threshold);
        p.setNumber("dynamic", c.dynamic);
        EXPECT_EQ(run(saturateOperation(), p, c.in).output, c.out);
    }
    // The dynamic difference runs on across block boundaries.
    std::vector<std::int16_t> in(70000, 0);
    in[35000] = 1000; // 70000 values: two blocks of 35000, the jump starts the second
    Parameters p = saturateOperation().defaults();
    p.setNumber("T", 500);
    p.setNumber("dynamic", 1);
    const JobRun r = run(saturateOperation(), p, in);
    ASSERT_EQ(r.output.size(), in.size());
    EXPECT_EQ(r.output[34999], 0);
    EXPECT_EQ(r.output[35000], 32767);
    EXPECT_EQ(r.output[35001], -32768);
}

TEST_F(LevelEffects, SaturateOnStereoAsksFirst) {
    Parameters p = saturateOperation().defaults();
    reporter.answers = {Answer::Cancel};
    const JobRun cancelled = run(saturateOperation(), p, {1, 2, 3, 4}, 2);
    EXPECT_EQ(cancelled.outcome, JobOutcome::Cancelled);
    EXPECT_FALSE(cancelled.written);
    ASSERT_EQ(reporter.reports.size(), 1U);
    EXPECT_EQ(reporter.reports[0].text, kStereoWarningText);
    EXPECT_EQ(reporter.reports[0].buttons, MessageButtons::OkCancel);
    const JobRun accepted = run(saturateOperation(), p, {1, -2, 0, 4}, 2);
    EXPECT_EQ(accepted.output, (std::vector<std::int16_t>{32767, -32768, 0, 32767}));
}

TEST_F(LevelEffects, Normalize) {
    struct Case {
        double maxOutput;
        std::vector<std::int16_t> in, out;
    };
    const Case cases[] = {
        {100, {16384, -16384, 3}, {32767, -32768, 6}},
        {50, {-32768, 3, 100}, {-16384, 1, 50}},
        {100, {0, 0, 0}, {0, 0, 0}},
        {50, {0, 0}, {0, 0}},
    };
    for (const auto& c : cases) {
        Parameters p = normalizeOperation().defaults();
        p.setNumber("maxOutput", c.maxOutput);
        const JobRun r = run(normalizeOperation(), p, c.in);
        EXPECT_EQ(r.output, c.out) << c.maxOutput;
        EXPECT_EQ(r.progress, (std::vector<int>{33, 100}));
    }
}

TEST_F(LevelEffects, SilentZone) {
    struct Case {
        const char* name;
        int threshold;
        int minimum;
        const char* detection;
        const char* processing;
        bool ignoreDc;
        std::vector<std::int16_t> in, out;
    };
    const Case cases[] = {
        {"mute silent",
         5000,
         1,
         "silent",
         "mute",
         false,
         {4999, -4999, 5000, -5000, 0},
         {0, 0, 5000, -5000, 0}},
        {"mute noisy", 100, 1, "noisy", "mute", false, {50, 200, -100, -101}, {50, 0, -100, 0}},
        {"sample cut noisy", 100, 1, "noisy", "cut", false, {50, 200, -100, -101}, {50, -100}},
        {"sample cut silent",
         1000,
         0,
         "silent",
         "cut",
         false,
         {5000, 1, -1000, 999},
         {5000, -1000}},
        {"zone cut",
         1000,
         3,
         "silent",
         "cut",
         false,
         {5000, 1, 2, 5000, 1, 2, 3, 5000},
         {5000, 1, 2, 5000, 5000}},
        {"zone cut keeps a short run at the end",
         1000,
         3,
         "silent",
         "cut",
         false,
         {5000, 1, 2},
         {5000, 1, 2}},
        {"zone cut drops a long run at the end",
         1000,
         2,
         "silent",
         "cut",
         false,
         {5000, 1, 2, 3},
         {5000}},
        {"ignore DC keeps only the first two",
         1000,
         1,
         "silent",
         "cut",
         true,
         {3000, 3000, 3000, 3000, 3000},
         {3000, 3000}},
        {"ignore DC leaves flagged values unmuted",
         5000,
         1,
         "silent",
         "mute",
         true,
         {7, 7, 7, 8},
         {0, 0, 7, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parameters p = silentZoneOperation().defaults();
        p.setNumber("T", c.threshold);
        p.setNumber("M", c.minimum);
        p.setText("detection", c.detection);
        p.setText("processing", c.processing);
        p.setNumber("ignoreDC", c.ignoreDc);
        const JobRun r = run(silentZoneOperation(), p, c.in);
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.out);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(LevelEffects, ZoneCutAcrossBlocksAndLongRuns) {
    // Runs that straddle block boundaries and exceed the flush size of the output buffer.
    std::vector<std::int16_t> in;
    std::vector<std::int16_t> expected;
    for (int zone = 0; zone < 6; ++zone) {
        const int loud = 30000 + zone * 1000;
        const int quiet = zone % 2 == 0 ? 20000 : 40000; // below and above the minimum of 30000
        for (int i = 0; i < loud; ++i) {
            in.push_back(static_cast<std::int16_t>(6000 + i % 100));
            expected.push_back(in.back());
        }
        for (int i = 0; i < quiet; ++i) {
            in.push_back(static_cast<std::int16_t>(i % 50));
            if (quiet < 30000)
                expected.push_back(in.back());
        }
    }
    Parameters p = silentZoneOperation().defaults();
    p.setNumber("T", 5000);
    p.setNumber("M", 30000);
    const JobRun r = run(silentZoneOperation(), p, in);
    EXPECT_EQ(r.output.size(), expected.size());
    EXPECT_TRUE(r.output == expected);
    EXPECT_EQ(r.progress.back(), 100);
}

TEST_F(LevelEffects, CutThatKeepsNothingWritesNothing) {
    Parameters p = silentZoneOperation().defaults();
    const JobRun r = run(silentZoneOperation(), p, {1, 2, 3});
    EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(reporter.texts(), std::vector<std::string>{"This operation outputs an empty file"});
}

TEST_F(LevelEffects, TheFirstFailedWriteEndsTheJob) {
    // Blocks are written a run at a time: room for the header and the first run, so that the
    // second run's write fails and the third is never processed.
    constexpr std::uint32_t total = 3 * ReadAhead::kRunBlocks * 60000;
    const BlockSplit split = BlockSplit::of(total);
    BinaryFile::limitCreatedFilesForTesting(44 + 2 * ReadAhead::kRunBlocks * split.per);
    const JobRun r = run(volumeOperation(), volumeOperation().defaults(), test::ramp(total));
    BinaryFile::limitCreatedFilesForTesting(-1);
    ASSERT_EQ(r.progress.size(), 2 * ReadAhead::kRunBlocks);
    EXPECT_EQ(r.progress.back(), split.progress(2 * ReadAhead::kRunBlocks - 1));
    ASSERT_EQ(reporter.texts().size(), 1U);
    EXPECT_TRUE(reporter.texts()[0].starts_with(std::string(kWriteErrorText) + "\n\nFile "));
    EXPECT_TRUE(reporter.texts()[0].ends_with("\nNo space left on device"));
    EXPECT_EQ(r.writeFailures, 1);
    EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(r.written);
}

TEST_F(LevelEffects, UnreadableAndEmptySourcesEndWithAMessage) {
    for (const OperationDecl* op : allOperations()) {
        if (op->input == InputKind::None)
            continue;
        SCOPED_TRACE(std::string(op->name));
        reporter.reports.clear();
        // Two-file operations are given a usable Aux of their own for the unreadable Source, an
        // empty one beside the empty Source (the channel tools write what the other file holds).
        const std::string aux = op->input == InputKind::Two
                                    ? test::writeWave(dir.file("aux.wav"), test::ramp(10))
                                    : std::string();
        const std::string emptySource = test::writeWave(dir.file("source.wav"), {});
        const std::string emptyAux =
            aux.empty() ? aux : test::writeWave(dir.file("empty-aux.wav"), {});
        const JobRun empty =
            test::runOperation(*op, op->defaults(), {.source = emptySource, .aux = emptyAux},
                               reporter, {.destination = dir.file("out.wav")});
        if (op->name == "insert-silence") {
            // Silence put into a file of no samples is a file of silence.
            EXPECT_TRUE(empty.written);
            EXPECT_EQ(empty.output.size(), 44100U);
        } else {
            EXPECT_FALSE(empty.written);
        }
        if (op->name == "insert-silence") {
            EXPECT_EQ(empty.outcome, JobOutcome::Completed);
        } else if (op->output == OutputKind::TextReport && empty.outcome == JobOutcome::Completed) {
            // File Information describes a file of no samples too.
            EXPECT_NE(empty.report.find("samples: 0"), std::string::npos);
        } else {
            EXPECT_EQ(empty.outcome, JobOutcome::EndedWithMessage);
            ASSERT_EQ(reporter.reports.size(), 1U);
            // Extract and Remove check their positions first, and say so in their own words.
            const std::string& text = reporter.reports[0].text;
            if (op->name == "extract")
                EXPECT_EQ(text, "No data selected");
            else if (op->name == "remove")
                EXPECT_EQ(text, "Nothing to output,\nplease select a part of the file");
            else
                EXPECT_NE(text.find("holds no samples"), std::string::npos);
        }

        reporter.reports.clear();
        test::writeBytes(dir.file("text.wav"), test::Bytes(200, 'x'));
        WaveContext wave{reporter, "", {}};
        NullProgress progress;
        bool asked = false;
        JobContext context{.wave = wave,
                           .progress = progress,
                           .input = {.source = dir.file("text.wav"), .aux = aux},
                           .destination =
                               [&] {
                                   asked = true;
                                   return dir.file("x.wav");
                               },
                           .result = ResultFile::Finish};
        EXPECT_EQ(op->run(context, op->defaults()), JobOutcome::EndedWithMessage);
        EXPECT_FALSE(asked);
        EXPECT_EQ(reporter.reports.size(), 1U);
    }
}

// Another program rewrites the source between the two passes of Normalize and of a cut, or in
// the middle of Volume's one pass.
TEST_F(LevelEffects, SourceChangedWhileBeingProcessed) {
    struct Case {
        const char* name;
        const OperationDecl& op;
        int firstPassEnd; // progress when the first pass is over
        std::size_t newLength;
        JobOutcome outcome;
        bool written;
        std::size_t length = 1000; // values of the source
    };
    const Case cases[] = {
        {"normalize, shorter", normalizeOperation(), 33, 500, JobOutcome::EndedWithMessage, false},
        // Cut after block 31 of 63, while the blocks read ahead end before block 48.
        {"volume, cut short in its pass", volumeOperation(), 50, 300, JobOutcome::EndedWithMessage,
         false, 4000000},
        {"cut, shorter", silentZoneOperation(), 30, 500, JobOutcome::EndedWithMessage, false},
        {"cut, same length, all loud", silentZoneOperation(), 30, 1000, JobOutcome::Completed,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reporter.reports.clear();
        const std::string source = dir.file("changing.wav");
        const std::string out = dir.file("changing-out.wav");
        std::filesystem::remove(out);
        test::WaveSpec shape;
        shape.samples = std::vector<std::int16_t>(c.length, 100);
        shape.samples[0] = 9000; // one loud value: the cut keeps 1
        test::writeBytes(source, test::buildWave(shape));
        struct Rewriting final : Progress {
            std::function<void(int)> onProgress;
            void setProgress(int percent) override { onProgress(percent); }
        } progress;
        progress.onProgress = [&](int percent) {
            if (percent != c.firstPassEnd)
                return;
            test::WaveSpec changed;
            changed.samples = std::vector<std::int16_t>(c.newLength, 9000);
            test::writeBytes(source, test::buildWave(changed));
        };
        WaveContext wave{reporter, "", {}};
        JobContext context{.wave = wave,
                           .progress = progress,
                           .input = {.source = source},
                           .destination = [&] { return out; },
                           .result = ResultFile::Finish};
        EXPECT_EQ(c.op.run(context, c.op.defaults()), c.outcome);
        ASSERT_EQ(std::filesystem::exists(out), c.written);
        if (c.outcome == JobOutcome::EndedWithMessage) {
            ASSERT_FALSE(reporter.reports.empty());
            EXPECT_NE(reporter.reports.back().text.find("changed while it was being processed"),
                      std::string::npos);
        }
        if (c.written) {
            const test::Bytes bytes = test::readBytes(out);
            ASSERT_GE(bytes.size(), 44U + 82U);
            EXPECT_EQ(readLe32(&bytes[40]), bytes.size() - 44 - 82); // the header tells the truth
        }
    }
}

} // namespace
} // namespace sonarium
