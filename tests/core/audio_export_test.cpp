// The audio export: each format read back by libsndfile and by the import, the refusals, and
// jobs stopped halfway leaving nothing.
#include "operations/exchange/audio_exchange.h"
#include "run_operation.h"
#include "sound_files.h"
#include "test_support.h"
#include "wavefile/binary_file.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sndfile.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

struct CancellingProgress final : Progress {
    int calls = 0;
    int cancelAfter = -1;
    void setProgress(int) override { ++calls; }
    bool cancelRequested() override { return cancelAfter >= 0 && calls >= cancelAfter; }
};

struct Outcome {
    JobOutcome outcome;
    std::vector<std::string> messages;
    int writeFailures = 0;
};

template <typename Settings>
Outcome runJob(JobOutcome (*job)(JobContext&, const Settings&), const std::string& source,
               const std::string& destination, const Settings& settings, int cancelAfter = -1) {
    test::RecordingReporter reporter;
    WaveContext wave{reporter, "", {}};
    CancellingProgress progress;
    progress.cancelAfter = cancelAfter;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = source},
                       .destination = [destination] { return destination; },
                       .result = ResultFile::Open};
    const JobOutcome outcome = job(context, settings);
    return {outcome, reporter.texts(), context.writeFailures};
}

// A working file's values: a sine with a little of everything, both extremes included.
std::vector<std::int16_t> workingValues(std::size_t frames, int channels, int rate) {
    std::vector<std::int16_t> values;
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            values.push_back(static_cast<std::int16_t>(std::lround(
                20000 * std::sin(2 * 3.14159265358979 * 1000 * static_cast<double>(i) / rate + c) +
                static_cast<double>((i * 7919 + static_cast<std::size_t>(c)) % 2001) - 1000)));
    values[0] = -32768;
    values[1] = 32767;
    return values;
}

class AudioExport : public ::testing::Test {
protected:
    test::TempDir dir;
};

// Every format read back by the library: the rate (Opus's own where the file's is not one of
// them), the channels, the length; lossless formats give back every value, and the import
// brings them back as they were; lossy ones keep the sine's level.
TEST_F(AudioExport, EveryFormatReadsBack) {
    struct Source {
        int channels;
        int rate;
        std::size_t frames;
    };
    const Source sources[] = {{1, 44100, 30001}, {2, 48000, 24000}, {2, 22050, 11025}};
    const ExportFormat formats[] = {ExportFormat::Flac,     ExportFormat::Ogg,
                                    ExportFormat::Opus,     ExportFormat::Wav24,
                                    ExportFormat::WavFloat, ExportFormat::Aiff};
    for (const Source& s : sources) {
        const std::vector<std::int16_t> values = workingValues(s.frames, s.channels, s.rate);
        const std::string source =
            test::writeWave(dir.file("work.wav"), values, s.channels, s.rate);
        for (const ExportFormat format : formats) {
            SCOPED_TRACE(exportFormatWord(format) + " " + std::to_string(s.rate) + " Hz " +
                         std::to_string(s.channels) + " ch");
            const std::string out = dir.file("out." + exportFormatExtension(format));
            fs::remove(out);
            const Outcome r = runJob(exportAudio, source, out, ExportSettings{.format = format});
            ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(r.messages);
            int rate = 0;
            int channels = 0;
            std::int64_t frames = 0;
            const std::vector<double> back = test::readSound(out, &rate, &channels, &frames);
            const int expectedRate =
                format == ExportFormat::Opus && s.rate != 48000 ? 48000 : s.rate;
            EXPECT_EQ(rate, expectedRate);
            EXPECT_EQ(exportRate(format, s.rate), expectedRate);
            EXPECT_EQ(channels, s.channels);
            EXPECT_EQ(frames, std::llround(static_cast<double>(s.frames) * expectedRate / s.rate));
            if (format == ExportFormat::Ogg || format == ExportFormat::Opus) {
                // Lossy: the 1 kHz sine of amplitude 20000 is still there at its level.
                const double level = test::amplitudeAt(back, channels, 0, rate, 1000,
                                                       static_cast<std::size_t>(rate) / 10,
                                                       static_cast<std::size_t>(rate) / 5) *
                                     32768;
                EXPECT_NEAR(20 * std::log10(level / 20000), 0, 0.5);
                continue;
            }
            ASSERT_EQ(back.size(), values.size());
            for (std::size_t i = 0; i < values.size(); ++i)
                ASSERT_EQ(back[i] * 32768, values[i]) << i;
            // And the import brings the very values back.
            const std::string again = dir.file("again.wav");
            fs::remove(again);
            const Outcome imported = runJob(importAudio, out, again, ImportSettings{});
            ASSERT_EQ(imported.outcome, JobOutcome::Completed);
            EXPECT_EQ(test::readValues(again), values);
        }
    }
}

// The quality reaches the encoders: more FLAC compression gives a smaller file of the same
// values, a higher Vorbis quality a larger one.
TEST_F(AudioExport, QualityReachesTheEncoder) {
    const std::string source =
        test::writeWave(dir.file("work.wav"), workingValues(88200, 2, 44100), 2, 44100);
    const auto sizeFor = [&](ExportFormat format, double quality) {
        const std::string out = dir.file("q." + exportFormatExtension(format));
        fs::remove(out);
        const Outcome r =
            runJob(exportAudio, source, out, ExportSettings{.format = format, .quality = quality});
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        return fs::file_size(out);
    };
    EXPECT_LT(sizeFor(ExportFormat::Flac, 1), sizeFor(ExportFormat::Flac, 0));
    EXPECT_GT(sizeFor(ExportFormat::Ogg, 1), sizeFor(ExportFormat::Ogg, 0));
    EXPECT_GT(sizeFor(ExportFormat::Opus, 1), sizeFor(ExportFormat::Opus, 0));
}

// What the export refuses, before anything is written: the source itself as destination however
// it is named, a quality outside 0..1, a file that is not a working file.
TEST_F(AudioExport, RefusalsWriteNothing) {
    const std::string work = test::writeWave(dir.file("work.wav"), workingValues(1000, 1, 44100));
    fs::create_symlink(work, dir.file("link.wav"));
    const std::string deep = dir.file("deep.wav");
    ASSERT_FALSE(test::writeSound(deep, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 1,
                                  test::sine(1000, 1, 44100, 440, 0.5))
                     .empty());
    struct Case {
        const char* name;
        std::string source;
        std::string destination;
        ExportSettings settings;
        const char* says;
    };
    const Case cases[] = {
        {"itself", work, work, {.format = ExportFormat::Wav24}, "already exists"},
        {"through a link",
         work,
         dir.file("link.wav"),
         {.format = ExportFormat::Wav24},
         "already exists"},
        {"quality above 1", work, dir.file("a.flac"), {.quality = 1.5}, "between 0 and 1"},
        {"quality below 0",
         work,
         dir.file("a.ogg"),
         {.format = ExportFormat::Ogg, .quality = -0.1},
         "between 0 and 1"},
        {"24-bit source", deep, dir.file("a.flac"), {}, "only 16-bit"},
        {"missing source", dir.file("none.wav"), dir.file("a.flac"), {}, "none.wav"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = test::folderEntries(dir.path());
        const test::Bytes original = test::readBytes(work);
        const Outcome r = runJob(exportAudio, c.source, c.destination, c.settings);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        ASSERT_EQ(r.messages.size(), 1U);
        EXPECT_NE(r.messages[0].find(c.says), std::string::npos) << r.messages[0];
        EXPECT_EQ(test::folderEntries(dir.path()), before);
        EXPECT_EQ(test::readBytes(work), original);
    }
}

// A cancelled export, or one that meets a full disk, leaves neither the result nor its
// temporary file; a full disk is reported once.
TEST_F(AudioExport, StoppedExportsLeaveNothing) {
    const std::string source =
        test::writeWave(dir.file("work.wav"), workingValues(44100 * 6, 2, 44100), 2, 44100);
    for (const ExportFormat format :
         {ExportFormat::Flac, ExportFormat::Wav24, ExportFormat::Opus, ExportFormat::Aiff}) {
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(exportFormatWord(format) + (cancel ? " cancelled" : " disk full"));
            const auto before = test::folderEntries(dir.path());
            if (!cancel)
                BinaryFile::limitCreatedFilesForTesting(20000);
            const Outcome r = runJob(exportAudio, source, dir.file("out.x"),
                                     ExportSettings{.format = format}, cancel ? 2 : -1);
            BinaryFile::limitCreatedFilesForTesting(-1);
            EXPECT_EQ(r.outcome, cancel ? JobOutcome::Cancelled : JobOutcome::EndedWithMessage);
            EXPECT_EQ(r.messages.size(), cancel ? 0U : 1U) << testing::PrintToString(r.messages);
            EXPECT_EQ(r.writeFailures, cancel ? 0 : 1);
            EXPECT_EQ(test::folderEntries(dir.path()), before);
        }
    }
}

} // namespace
} // namespace sonarium
