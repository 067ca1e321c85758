// Every operation that writes a wave file, its disk filling up at the header, in the middle and
// at the trailer of its result: the job ends with one message, and nothing is left under the
// result's name, nor any temporary file beside it.
#include "operations/editing/clipboard_wave.h"
#include "operations/exchange/eight_bit_export.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/raw_import.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

struct LimitGuard {
    explicit LimitGuard(std::int64_t bytes) { BinaryFile::limitCreatedFilesForTesting(bytes); }
    ~LimitGuard() { BinaryFile::limitCreatedFilesForTesting(-1); }
};

TEST(FullDisk, EveryWriterLeavesItsResultCompleteOrAbsent) {
    test::TempDir dir;
    const std::string source =
        test::writeWave(dir.file("source.wav"), test::ramp(150002, -20000, 977), 2);
    const std::string aux = test::writeWave(dir.file("aux.wav"), test::ramp(90002, 3000, 331), 2);
    fs::create_directory(dir.path() / "out");
    const std::string out = (dir.path() / "out" / "result.wav").string();
    std::size_t writers = 0;
    for (const OperationDecl* op : allOperations()) {
        if (op->output != OutputKind::WaveFile)
            continue;
        const JobInput input{.source = op->input == InputKind::None ? "" : source,
                             .aux = op->input == InputKind::Two ? aux : ""};
        // The size of the result when the disk has room: the limits fall inside it.
        std::uintmax_t size = 0;
        {
            test::RecordingReporter reporter;
            const test::JobRun run =
                test::runOperation(*op, op->defaults(), input, reporter, {.destination = out});
            if (run.outcome != JobOutcome::Completed)
                continue; // nothing written with the defaults on these files
            size = fs::file_size(out);
            for (const auto& entry : fs::directory_iterator(dir.path() / "out"))
                fs::remove(entry.path());
        }
        ++writers;
        for (const auto& [where, limit] :
             {std::pair{"header", std::int64_t{10}},
              std::pair{"middle", static_cast<std::int64_t>(size / 2)},
              std::pair{"trailer", static_cast<std::int64_t>(size) - 20}}) {
            SCOPED_TRACE(std::string(op->name) + ", disk full at the " + where);
            test::RecordingReporter reporter;
            test::JobRun run;
            {
                LimitGuard guard(limit);
                run =
                    test::runOperation(*op, op->defaults(), input, reporter, {.destination = out});
            }
            EXPECT_NE(run.outcome, JobOutcome::Completed);
            // One message, besides the stereo warning of the effects that ask first.
            std::size_t messages = 0;
            for (const auto& report : reporter.reports)
                messages += report.text != kStereoWarningText ? 1U : 0U;
            EXPECT_EQ(messages, 1U);
            EXPECT_TRUE(test::folderEntries(dir.path() / "out").empty());
        }
    }
    EXPECT_GE(writers, 20U);
}

// The writers outside the operation list: the three format exchanges and the clipboard's
// exchange file, filling the disk at the same three places.
TEST(FullDisk, ExchangeWritersLeaveTheirResultCompleteOrAbsent) {
    test::TempDir dir;
    const std::string wave16 =
        test::writeWave(dir.file("source.wav"), test::ramp(150002, -20000, 977), 2);
    const std::string wave8 = dir.file("byte.wav");
    test::writeBytes(wave8, test::buildWave({.bits = 8, .samples = test::ramp(100000)}));
    const test::Bytes clip = test::readBytes(wave16);
    fs::create_directory(dir.path() / "out");
    const std::string out = (dir.path() / "out" / "result.wav").string();
    using Writer = std::function<bool(const WaveContext&)>;
    auto job = [&](JobOutcome (*run)(JobContext&), const std::string& source) {
        return [&, run, source](const WaveContext& wave) {
            NullProgress progress;
            JobContext context{.wave = wave,
                               .progress = progress,
                               .input = {.source = source},
                               .destination = [&] { return out; },
                               .result = ResultFile::Finish};
            return run(context) == JobOutcome::Completed;
        };
    };
    const std::vector<std::pair<const char*, Writer>> writers = {
        {"import 8-bit", job(importEightBit, wave8)},
        {"export 8-bit", job(exportEightBit, wave16)},
        {"import raw", job(importRaw, wave16)},
        {"clipboard exchange file",
         [&](const WaveContext& wave) { return writeClipboardWave(wave, clip, out); }},
    };
    for (const auto& [name, write] : writers) {
        std::uintmax_t size = 0;
        {
            test::RecordingReporter reporter;
            ASSERT_TRUE(write(WaveContext{reporter, "", {}})) << name;
            size = fs::file_size(out);
            fs::remove(out);
        }
        for (const auto& [where, limit] :
             {std::pair{"header", std::int64_t{10}},
              std::pair{"middle", static_cast<std::int64_t>(size / 2)},
              std::pair{"trailer", static_cast<std::int64_t>(size) - 20}}) {
            SCOPED_TRACE(std::string(name) + ", disk full at the " + where);
            test::RecordingReporter reporter;
            bool written = false;
            {
                LimitGuard guard(limit);
                written = write(WaveContext{reporter, "", {}});
            }
            EXPECT_FALSE(written);
            EXPECT_EQ(reporter.reports.size(), 1U);
            EXPECT_TRUE(test::folderEntries(dir.path() / "out").empty());
        }
    }
}

} // namespace
} // namespace sonarium
