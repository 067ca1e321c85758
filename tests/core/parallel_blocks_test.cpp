// The blocks of a job computed on several threads: every kind of kernel gives the bytes and the
// progress of the one-thread run, at the lengths where the block split changes shape; a cancel
// or a failed write in the middle of a parallel run ends it with one message, no file and no
// thread still at work on its blocks.
#include "jobs/block_pipeline.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

// An operation as a kernel of each kind runs it: pure transforms, pure pairs, a formula that
// draws random values in order, state carried from block to block, generators of both kinds.
struct KernelCase {
    const char* operation;
    std::vector<std::pair<const char*, const char*>> texts; // text and choice fields
    std::vector<std::pair<const char*, double>> numbers;
};

const std::vector<KernelCase>& kernelCases() {
    static const std::vector<KernelCase> all{
        {"volume", {}, {{"ratio", 150}}},
        {"frequential-projection", {}, {}},
        {"simple-formula", {{"formula", "G"}}, {}},
        {"simple-formula", {{"formula", "P"}}, {{"seed", 7}}},
        {"sinus-compression", {}, {}},
        {"interaction-compression", {}, {}},
        {"interaction-formula", {{"formula", "div"}}, {}},
        {"smooth", {}, {{"L", 40}}},
        {"affine-synthesis", {}, {}},
        {"simple-synthesis", {}, {{"frequency", 440}}},
        {"gaussian-synthesis", {}, {}},
        // Periods of 22050 to 88200 values: most run on into the next block.
        {"shadok-synthesis", {}, {{"floorFrequency", 0.5}, {"ceilingFrequency", 2}}},
        {"shadok-synthesis", {}, {{"floorFrequency", 300}, {"ceilingFrequency", 4000}}},
    };
    return all;
}

Parameters parametersOfCase(const OperationDecl& op, const KernelCase& c) {
    Parameters p = op.defaults();
    for (const auto& [member, text] : c.texts)
        p.setText(member, text);
    for (const auto& [member, value] : c.numbers)
        p.setNumber(member, value);
    return p;
}

// Runs the case on `values` values of `channels` channels with the given threads.
test::JobRun runKernelCase(const KernelCase& c, const test::TempDir& dir, std::size_t values,
                           int channels, int threads, test::RecordingReporter& reporter) {
    const OperationDecl& op = *findOperation(c.operation);
    Parameters p = parametersOfCase(op, c);
    JobInput input;
    if (op.input == InputKind::None) {
        // A generator writes trunc(duration × 44100) values: a duration just over the length.
        p.setNumber("duration", (static_cast<double>(values) + 0.5) / 44100.0);
    } else {
        const std::string tag = std::to_string(values) + "x" + std::to_string(channels);
        input.source = dir.file("source" + tag + ".wav");
        if (!fs::exists(input.source))
            test::writeWave(input.source, test::ramp(values, -31000, 997), channels);
        if (op.input == InputKind::Two) {
            input.aux = dir.file("aux" + tag + ".wav");
            if (!fs::exists(input.aux))
                test::writeWave(input.aux, test::ramp(values, 12000, 331), channels);
        }
    }
    return test::runOperation(op, p, input, reporter,
                              {.destination = dir.file("out.wav"), .threads = threads});
}

TEST(ParallelBlocks, EveryKernelGivesTheOneThreadResultOnAnyThreads) {
    test::TempDir dir;
    const std::vector<std::pair<std::size_t, int>> shapes{
        {0, 1},       {1, 1}, {63999, 1}, {64000, 1}, {64001, 1},  {128002, 1},
        {1000000, 1}, {2, 2}, {63998, 2}, {64002, 2}, {128002, 2}, {1000000, 2}};
    for (const KernelCase& c : kernelCases()) {
        const OperationDecl& op = *findOperation(c.operation);
        for (const auto& [values, channels] : shapes) {
            if (op.input == InputKind::None && channels == 2)
                continue; // a generator writes mono
            if (values == 1000000 && c.operation != std::string("frequential-projection") &&
                c.operation != std::string("interaction-compression") &&
                c.operation != std::string("smooth") &&
                c.operation != std::string("simple-synthesis"))
                continue; // the longest file for one kernel of each kind
            test::RecordingReporter baseReporter;
            const test::JobRun base = runKernelCase(c, dir, values, channels, 1, baseReporter);
            for (int threads : {2, 3, 8}) {
                SCOPED_TRACE(std::string(c.operation) + " " +
                             (c.texts.empty() ? "" : c.texts[0].second) + ", " +
                             std::to_string(values) + " values, " + std::to_string(channels) +
                             " channel(s), " + std::to_string(threads) + " threads");
                test::RecordingReporter reporter;
                const test::JobRun run = runKernelCase(c, dir, values, channels, threads, reporter);
                EXPECT_EQ(run.outcome, base.outcome);
                EXPECT_EQ(run.written, base.written);
                EXPECT_EQ(run.channels, base.channels);
                EXPECT_TRUE(run.output == base.output) << "the values differ";
                EXPECT_EQ(run.progress, base.progress);
                EXPECT_EQ(reporter.texts(), baseReporter.texts());
            }
        }
    }
}

// Every file left in dir but the inputs.
std::vector<std::string> leftBesideInputs(const test::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().rfind("source", 0) != 0 &&
            entry.path().filename().string().rfind("aux", 0) != 0)
            names.push_back(entry.path().filename().string());
    return names;
}

struct WriteLimit {
    explicit WriteLimit(std::int64_t bytes) { BinaryFile::limitCreatedFilesForTesting(bytes); }
    ~WriteLimit() { BinaryFile::limitCreatedFilesForTesting(-1); }
};

TEST(ParallelBlocks, CancelAndFailedWriteInTheMiddleLeaveNothing) {
    test::TempDir dir;
    const std::size_t values = 1000000;
    for (const char* name :
         {"frequential-projection", "interaction-compression", "smooth", "simple-synthesis"}) {
        const KernelCase* c = nullptr;
        for (const KernelCase& each : kernelCases())
            if (each.operation == std::string(name))
                c = &each;
        const OperationDecl& op = *findOperation(name);
        JobInput input;
        Parameters p = parametersOfCase(op, *c);
        if (op.input == InputKind::None) {
            p.setNumber("duration", static_cast<double>(values) / 44100.0);
        } else {
            // Mono: the one-stream effects would ask about a stereo file first.
            input.source = test::writeWave(dir.file("source.wav"), test::ramp(values, 5, 13));
            if (op.input == InputKind::Two)
                input.aux = test::writeWave(dir.file("aux.wav"), test::ramp(values, 9, 17));
        }
        {
            SCOPED_TRACE(std::string(name) + ", cancelled halfway");
            test::RecordingReporter reporter;
            test::RunSetup setup{.destination = dir.file("out.wav"), .threads = 8};
            setup.cancelAfterProgress = 8;
            const test::JobRun run = test::runOperation(op, p, input, reporter, setup);
            EXPECT_EQ(run.outcome, JobOutcome::Cancelled);
            EXPECT_FALSE(run.written);
            EXPECT_TRUE(reporter.texts().empty());
            EXPECT_TRUE(leftBesideInputs(dir).empty());
        }
        {
            SCOPED_TRACE(std::string(name) + ", disk full halfway");
            test::RecordingReporter reporter;
            test::JobRun run;
            {
                const WriteLimit guard(static_cast<std::int64_t>(values)); // half of the values
                run = test::runOperation(op, p, input, reporter,
                                         {.destination = dir.file("out.wav"), .threads = 8});
            }
            EXPECT_EQ(run.outcome, JobOutcome::EndedWithMessage);
            EXPECT_FALSE(run.written);
            EXPECT_EQ(run.writeFailures, 1);
            EXPECT_EQ(reporter.texts().size(), 1U);
            EXPECT_TRUE(leftBesideInputs(dir).empty());
        }
    }
}

// The pass itself: once it returns, however it ended, no block is still being computed, and
// no block was computed twice or left out of a completed pass.
TEST(ParallelBlocks, NoThreadWorksOnThePassOnceItReturns) {
    test::TempDir dir;
    const std::uint32_t total = 3000000; // 47 blocks: three batches and more on eight threads
    const BlockSplit split = BlockSplit::of(total);
    for (const auto order : {ComputeOrder::Parallel, ComputeOrder::InOrder}) {
        for (const int stopAt : {-1, 3, 9}) {
            SCOPED_TRACE((order == ComputeOrder::Parallel ? "parallel" : "in order") +
                         std::string(", stopped at progress ") + std::to_string(stopAt));
            test::RecordingReporter reporter;
            const WaveContext wave{reporter, "", {}};
            struct CancelAt final : Progress {
                int calls = 0;
                int at = -1;
                void setProgress(int) override { ++calls; }
                bool cancelRequested() override { return at >= 0 && calls >= at; }
            } progress;
            progress.at = stopAt;
            JobContext context{.wave = wave, .progress = progress, .threads = 8};
            auto destination = std::make_unique<sonIO>(wave, dir.file("pass.wav"), 1, total);
            std::atomic<int> running{0};
            std::vector<std::atomic<int>> computed(split.blocks());
            runBlockPass(context, {.destination = destination.get(),
                                   .split = split,
                                   .order = order,
                                   .compute = [&](std::int16_t* values, const std::int16_t*,
                                                  std::uint32_t count, std::uint32_t j) {
                                       ++running;
                                       for (std::uint32_t i = 0; i < count; ++i)
                                           values[i] = static_cast<std::int16_t>(j);
                                       ++computed[j];
                                       --running;
                                   }});
            EXPECT_EQ(running.load(), 0);
            int done = 0;
            for (const auto& count : computed) {
                EXPECT_LE(count.load(), 1);
                done += count.load();
            }
            if (stopAt < 0) {
                EXPECT_EQ(done, static_cast<int>(split.blocks()));
                EXPECT_EQ(destination->FinishWrite(), 1);
            } else {
                EXPECT_EQ(context.stop, JobStop::Cancelled);
                EXPECT_LT(done, static_cast<int>(split.blocks()));
                destination->Abandon();
            }
        }
    }
}

} // namespace
} // namespace sonarium
