// The audio import: files of every format, width, rate and channel count this machine's
// libsndfile writes, made here by the library itself, and what the working file holds after.
#include "operations/exchange/audio_exchange.h"
#include "run_operation.h"
#include "sound_files.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/wave_format.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <sndfile.h>

namespace sonarium {
namespace {

struct Imported {
    JobOutcome outcome = JobOutcome::EndedWithMessage;
    std::vector<std::string> messages;
    bool written = false;
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> values;
    std::vector<int> progress;

    std::size_t frames() const {
        return channels <= 0 ? 0 : values.size() / static_cast<std::size_t>(channels);
    }
};

// Records the progress and asks to stop once it was set `cancelAfter` times.
struct StoppingProgress final : Progress {
    int cancelAfter = -1;
    std::vector<int> values;
    void setProgress(int percent) override { values.push_back(percent); }
    bool cancelRequested() override {
        return cancelAfter >= 0 && static_cast<int>(values.size()) >= cancelAfter;
    }
};

Imported importFile(const std::string& source, const std::string& destination,
                    const ImportSettings& settings = {}, int cancelAfter = -1) {
    std::filesystem::remove(destination);
    test::RecordingReporter reporter;
    WaveContext wave{reporter, "", {}};
    StoppingProgress progress;
    progress.cancelAfter = cancelAfter;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = source},
                       .destination = [destination] { return destination; },
                       .result = ResultFile::Finish};
    Imported r;
    r.outcome = importAudio(context, settings);
    r.messages = reporter.texts();
    r.progress = progress.values;
    r.written = std::filesystem::is_regular_file(destination);
    if (r.written) {
        const test::Bytes bytes = test::readBytes(destination);
        r.channels = readLe16(&bytes[22]);
        r.rate = static_cast<int>(readLe32(&bytes[24]));
        EXPECT_EQ(readLe32(&bytes[4]), bytes.size() - 8); // the header tells the truth
        r.values = test::readValues(destination);
        EXPECT_EQ(readLe32(&bytes[40]), 2 * r.values.size());
    }
    return r;
}

double scaled(double stored) {
    return stored * 32768.0;
}

class AudioImport : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string out = dir.file("out.wav");
};

struct Format {
    const char* name;
    int format;
    bool lossless = true;
};

const Format kFormats[] = {
    {"WAV u8", SF_FORMAT_WAV | SF_FORMAT_PCM_U8},
    {"WAV 16", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {"WAV 24", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {"WAV 32", SF_FORMAT_WAV | SF_FORMAT_PCM_32},
    {"WAV float", SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {"WAV double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE},
    {"extensible WAV 24", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24},
    {"extensible WAV 16", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16},
    {"RF64 24", SF_FORMAT_RF64 | SF_FORMAT_PCM_24},
    {"W64 float", SF_FORMAT_W64 | SF_FORMAT_FLOAT},
    {"AIFF 8", SF_FORMAT_AIFF | SF_FORMAT_PCM_S8},
    {"AIFF 16", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"AIFF 24", SF_FORMAT_AIFF | SF_FORMAT_PCM_24},
    {"AIFC float", SF_FORMAT_AIFF | SF_FORMAT_FLOAT},
    {"FLAC 8", SF_FORMAT_FLAC | SF_FORMAT_PCM_S8},
    {"FLAC 16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {"FLAC 24", SF_FORMAT_FLAC | SF_FORMAT_PCM_24},
    {"CAF 32", SF_FORMAT_CAF | SF_FORMAT_PCM_32},
    {"CAF double", SF_FORMAT_CAF | SF_FORMAT_DOUBLE},
    {"Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS, false},
    {"Ogg Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, false},
    {"MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, false},
};

bool isNarrow(int format) {
    const int encoding = format & SF_FORMAT_SUBMASK;
    return encoding == SF_FORMAT_PCM_U8 || encoding == SF_FORMAT_PCM_S8 ||
           encoding == SF_FORMAT_PCM_16;
}

// Every format at every rate and channel count the library writes: the rate and length kept,
// one or two channels kept and more mixed to two; 8- and 16-bit values copied exactly, deeper
// ones within the dither's reach of their exact value.
TEST_F(AudioImport, EveryFormatKeepsRateLengthAndChannelRule) {
    int imported = 0;
    for (const Format& f : kFormats) {
        for (const int rate : {8000, 22050, 44100, 48000, 96000}) {
            for (const int channels : {1, 2, 4, 6}) {
                if (!test::canWriteSound(f.format, rate, channels))
                    continue;
                SCOPED_TRACE(std::string(f.name) + " " + std::to_string(rate) + " Hz " +
                             std::to_string(channels) + " ch");
                const std::string source = dir.file("in.snd");
                const std::size_t frames = static_cast<std::size_t>(rate / 20) + 3;
                const std::vector<double> stored = test::writeSound(
                    source, f.format, rate, channels, test::sine(frames, channels, rate, 440, 0.6));
                if (stored.empty())
                    continue; // the encoder refused what the format check accepted (Opus rates)
                std::int64_t decoded = 0;
                test::readSound(source, nullptr, nullptr, &decoded);
                const Imported r = importFile(source, out);
                ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(r.messages);
                EXPECT_TRUE(r.messages.empty());
                EXPECT_EQ(r.rate, rate);
                EXPECT_EQ(r.channels, std::min(channels, 2));
                EXPECT_EQ(static_cast<std::int64_t>(r.frames()), decoded);
                EXPECT_EQ(r.progress.back(), 100);
                ++imported;
                if (!f.lossless || channels > 2)
                    continue;
                // An odd number of 8-bit samples in AIFF is followed by a pad byte the library
                // reads as one more frame.
                ASSERT_GE(r.values.size(), stored.size());
                const double reach = isNarrow(f.format) ? 0 : 1.5; // dither ±1, rounding ±0.5
                for (std::size_t i = 0; i < stored.size(); ++i)
                    ASSERT_LE(std::abs(r.values[i] - scaled(stored[i])), reach) << i;
            }
        }
    }
    EXPECT_GT(imported, 200); // the library wrote nearly all of them
}

// Without dither a sample is rounded to the nearest value; past full scale it clips, and NaN and
// infinities give silence. With dither, the same within one value.
TEST_F(AudioImport, RoundsClipsAndSilencesNonFiniteSamples) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case {
        double sample;
        int expected;
    };
    const Case cases[] = {
        {0.5, 16384},
        {-0.5, -16384},
        {kNaN, 0},
        {kInf, 0},
        {-kInf, 0},
        {1.5, 32767},
        {-3.0, -32768},
        {1.0, 32767},
        {-1.0, -32768},
        {1e30, 32767},
        {0.25 / 32768, 0},
        {0.75 / 32768, 1},
        {-0.75 / 32768, -1},
        {32766.6 / 32768, 32767},
        {-32767.7 / 32768, -32768},
    };
    std::vector<double> samples;
    for (const Case& c : cases)
        samples.push_back(c.sample);
    for (const int format : {SF_FORMAT_WAV | SF_FORMAT_FLOAT, SF_FORMAT_WAV | SF_FORMAT_DOUBLE}) {
        const std::string source = dir.file("odd.wav");
        ASSERT_FALSE(test::writeSound(source, format, 44100, 1, samples).empty());
        for (const bool dither : {false, true}) {
            SCOPED_TRACE(std::to_string(format) + (dither ? " dithered" : " rounded"));
            const Imported r = importFile(source, out, {.dither = dither});
            ASSERT_EQ(r.outcome, JobOutcome::Completed);
            ASSERT_EQ(r.values.size(), std::size(cases));
            for (std::size_t i = 0; i < std::size(cases); ++i) {
                SCOPED_TRACE(cases[i].sample);
                if (dither)
                    EXPECT_LE(std::abs(r.values[i] - cases[i].expected), 1);
                else
                    EXPECT_EQ(r.values[i], cases[i].expected);
            }
        }
    }
}

// A 1 kHz sine resampled keeps its frequency, level (within 0.1 dB) and phase: the output is the
// same sine sampled at the new rate, from the first instant, to a few values.
TEST_F(AudioImport, ResamplingKeepsASineAndTheDuration) {
    struct Case {
        int from;
        int to;
        int channels;
    };
    const Case cases[] = {
        {48000, 44100, 2}, {44100, 48000, 1}, {22050, 96000, 1}, {96000, 8000, 2}, {8000, 22050, 2},
    };
    constexpr double kAmplitude = 0.5;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        const std::string source = dir.file("sine.wav");
        const std::size_t frames = static_cast<std::size_t>(c.from) * 2 + 7;
        ASSERT_FALSE(test::writeSound(source, SF_FORMAT_WAV | SF_FORMAT_PCM_24, c.from, c.channels,
                                      test::sine(frames, c.channels, c.from, 1000, kAmplitude))
                         .empty());
        const Imported r = importFile(source, out, {.rate = c.to});
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(r.messages);
        EXPECT_EQ(r.rate, c.to);
        EXPECT_EQ(r.channels, c.channels);
        EXPECT_EQ(r.frames(), static_cast<std::size_t>(
                                  std::llround(static_cast<double>(frames) * c.to / c.from)));
        const std::vector<double> values(r.values.begin(), r.values.end());
        const std::vector<double> ideal =
            test::sine(r.frames(), c.channels, c.to, 1000, kAmplitude);
        // One second from the middle: whole periods of 1 kHz at any of the rates.
        const std::size_t from = r.frames() / 4;
        const auto second = static_cast<std::size_t>(c.to);
        const auto width = static_cast<std::size_t>(c.channels);
        for (int channel = 0; channel < c.channels; ++channel) {
            const double level =
                test::amplitudeAt(values, c.channels, channel, c.to, 1000, from, second) / 32768;
            EXPECT_NEAR(20 * std::log10(level / kAmplitude), 0, 0.1);
        }
        double worst = 0;
        for (std::size_t i = from * width; i < (from + second) * width; ++i)
            worst = std::max(worst, std::abs(values[i] - scaled(ideal[i])));
        EXPECT_LT(worst, 4);
    }
}

// TPDF dither of ±1 value leaves a noise floor of about −96 dBFS, seeded: the same seed gives
// the same file, another seed another one; without dither the error stays within half a value.
TEST_F(AudioImport, DitherIsQuietAndReproducible) {
    const std::string source = dir.file("quiet24.flac");
    const std::vector<double> stored =
        test::writeSound(source, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 1,
                         test::sine(48000, 1, 48000, 997, 0.01));
    ASSERT_FALSE(stored.empty());
    const auto noise = [&](const Imported& r) {
        double sum = 0;
        double squares = 0;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            const double error = r.values[i] - scaled(stored[i]);
            sum += error;
            squares += error * error;
        }
        const double n = static_cast<double>(stored.size());
        EXPECT_NEAR(sum / n, 0, 0.02); // no offset
        return 20 * std::log10(std::sqrt(squares / n) / 32768);
    };
    const Imported first = importFile(source, out, {.seed = 7});
    ASSERT_EQ(first.values.size(), stored.size());
    EXPECT_LT(noise(first), -90);
    EXPECT_GT(noise(first), -100); // the dither is there: rounding alone gives about −101 dBFS
    EXPECT_EQ(importFile(source, out, {.seed = 7}).values, first.values);
    EXPECT_NE(importFile(source, out, {.seed = 8}).values, first.values);
    const Imported rounded = importFile(source, out, {.dither = false});
    for (std::size_t i = 0; i < stored.size(); ++i)
        ASSERT_LE(std::abs(rounded.values[i] - scaled(stored[i])), 0.5) << i;
}

// The channel choices on a 5.1 file whose channels each hold their own level, and on stereo:
// the downmix's weights, the average, the channels picked; a channel the file lacks is refused.
TEST_F(AudioImport, ChannelChoices) {
    const auto constant = [](std::vector<int> levels, std::size_t frames) {
        std::vector<double> samples;
        for (std::size_t i = 0; i < frames; ++i)
            for (const int level : levels)
                samples.push_back(level / 32768.0);
        return samples;
    };
    const std::string six = dir.file("six.wav");
    ASSERT_FALSE(test::writeSound(six, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000, 6,
                                  constant({1000, 2000, 3000, 4000, 5000, 6000}, 5000))
                     .empty());
    const std::string two = dir.file("two.flac");
    ASSERT_FALSE(test::writeSound(two, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
                                  constant({-1001, 3000}, 5000))
                     .empty());
    const std::string one = dir.file("one.wav");
    ASSERT_FALSE(
        test::writeSound(one, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, constant({1234}, 5000))
            .empty());
    // 5.1 to stereo: L + 0.7071 (C + BL) over 1 + 2 × 0.7071, R likewise; no LFE.
    const int left =
        static_cast<int>(std::lround((1000 + 0.70710678 * (3000 + 5000)) / 2.41421356));
    const int right =
        static_cast<int>(std::lround((2000 + 0.70710678 * (3000 + 6000)) / 2.41421356));
    struct Case {
        const char* name;
        std::string source;
        ImportSettings settings;
        std::vector<int> frame; // the result's first frame; empty: refused
    };
    const Case cases[] = {
        {"5.1 kept: stereo downmix", six, {}, {left, right}},
        {"5.1 mixed", six, {.channels = ImportChannels::Mix}, {3500}},
        {"5.1 left", six, {.channels = ImportChannels::Left}, {1000}},
        {"5.1 right", six, {.channels = ImportChannels::Right}, {2000}},
        {"5.1 pair 6,3",
         six,
         {.channels = ImportChannels::Pair, .first = 5, .second = 2},
         {6000, 3000}},
        {"5.1 pair 1,7", six, {.channels = ImportChannels::Pair, .first = 0, .second = 6}, {}},
        {"stereo kept", two, {}, {-1001, 3000}},
        {"stereo mixed", two, {.channels = ImportChannels::Mix}, {1000}},
        {"stereo right", two, {.channels = ImportChannels::Right}, {3000}},
        {"stereo swapped",
         two,
         {.channels = ImportChannels::Pair, .first = 1, .second = 0},
         {3000, -1001}},
        {"mono mixed", one, {.channels = ImportChannels::Mix}, {1234}},
        {"mono doubled",
         one,
         {.channels = ImportChannels::Pair, .first = 0, .second = 0},
         {1234, 1234}},
        {"mono right", one, {.channels = ImportChannels::Right}, {}},
        {"rate too low", one, {.rate = 999}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Imported r = importFile(c.source, out, c.settings);
        if (c.frame.empty()) {
            EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
            EXPECT_EQ(r.messages.size(), 1U);
            EXPECT_FALSE(r.written);
            continue;
        }
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(r.messages);
        ASSERT_EQ(r.channels, static_cast<int>(c.frame.size()));
        ASSERT_EQ(r.frames(), 5000U);
        for (std::size_t i = 0; i < r.values.size(); ++i)
            ASSERT_EQ(r.values[i], c.frame[i % c.frame.size()]) << i;
    }
}

// Files that cannot give a complete result leave nothing behind, not even a temporary file.
TEST_F(AudioImport, BadSourcesLeaveNothing) {
    const std::string flac = dir.file("cut.flac");
    ASSERT_FALSE(test::writeSound(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 44100, 2,
                                  test::sine(88200, 2, 44100, 440, 0.5))
                     .empty());
    test::Bytes bytes = test::readBytes(flac);
    bytes.resize(bytes.size() / 2);
    test::writeBytes(flac, bytes);
    const std::string text = dir.file("notes.wav");
    test::writeBytes(text, test::Bytes(5000, 'x'));
    const std::string empty = dir.file("empty.wav");
    ASSERT_TRUE(test::writeSound(empty, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 44100, 1, {}).empty());
    struct Case {
        const char* name;
        std::string source;
        const char* says;
    };
    const Case cases[] = {
        {"truncated FLAC", flac, "truncated or damaged"},
        {"not sound", text, "cannot be read as sound"},
        {"missing", dir.file("none.ogg"), "cannot be read as sound"},
        {"a folder", dir.path().string(), "cannot be read as sound"},
        {"no samples", empty, "holds no samples"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = test::folderEntries(dir.path());
        const Imported r = importFile(c.source, out);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        ASSERT_EQ(r.messages.size(), 1U);
        EXPECT_NE(r.messages[0].find(c.says), std::string::npos) << r.messages[0];
        EXPECT_EQ(test::folderEntries(dir.path()), before);
    }
}

// A job stopped by the user or by a full disk leaves no file, whichever road its values take.
TEST_F(AudioImport, StoppedJobsLeaveNothing) {
    struct Source {
        const char* name;
        int format;
        ImportSettings settings;
    };
    const Source sources[] = {
        {"16-bit copied", SF_FORMAT_WAV | SF_FORMAT_PCM_16, {}},
        {"24-bit dithered", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, {}},
        {"resampled", SF_FORMAT_WAV | SF_FORMAT_FLOAT, {.rate = 22050}},
        {"counted first", SF_FORMAT_OGG | SF_FORMAT_VORBIS, {}},
    };
    for (const Source& s : sources) {
        const std::string source = dir.file("long.snd");
        ASSERT_FALSE(
            test::writeSound(source, s.format, 48000, 2, test::sine(48000 * 4, 2, 48000, 440, 0.5))
                .empty());
        for (const bool cancel : {true, false}) {
            SCOPED_TRACE(std::string(s.name) + (cancel ? " cancelled" : " disk full"));
            const auto before = test::folderEntries(dir.path());
            if (!cancel)
                BinaryFile::limitCreatedFilesForTesting(300000);
            const Imported r = importFile(source, out, s.settings, cancel ? 3 : -1);
            BinaryFile::limitCreatedFilesForTesting(-1);
            EXPECT_EQ(r.outcome, cancel ? JobOutcome::Cancelled : JobOutcome::EndedWithMessage);
            EXPECT_EQ(r.messages.size(), cancel ? 0U : 1U);
            EXPECT_EQ(test::folderEntries(dir.path()), before);
        }
    }
}

TEST_F(AudioImport, ResultNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"/a/take.flac", "/out/take_16bit.wav"},
        {"take.wav", "/out/take_16bit.wav"},
        {"/a/b.c/song.tar.ogg", "/out/song.tar_16bit.wav"},
        {"/a/b.c/noext", "/out/noext_16bit.wav"},
        {"/a/.hidden", "/out/.hidden_16bit.wav"},
    };
    for (const auto& [source, expected] : cases)
        EXPECT_EQ(audioImportPath(source, "/out/"), expected) << source;
}

TEST_F(AudioImport, DescribesFiles) {
    struct Case {
        const char* name;
        int format;
        int rate;
        int channels;
        const char* summary;
        bool working;
    };
    const Case cases[] = {
        {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
         "16-bit PCM WAV, 44100 Hz, 2 channels, 1.500 s", true},
        {"b.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1,
         "24-bit PCM WAV, 48000 Hz, 1 channel, 1.500 s", false},
        {"c.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 4,
         "16-bit PCM WAV, 8000 Hz, 4 channels, 1.500 s", false},
        {"d.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2,
         "16-bit PCM FLAC, 44100 Hz, 2 channels, 1.500 s", false},
        {"e.aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 96000, 1,
         "32-bit float AIFF, 96000 Hz, 1 channel, 1.500 s", false},
        {"f.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2,
         "Ogg Vorbis, 44100 Hz, 2 channels, 1.500 s", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ASSERT_FALSE(test::writeSound(path, c.format, c.rate, c.channels,
                                      test::sine(static_cast<std::size_t>(c.rate) * 3 / 2,
                                                 c.channels, c.rate, 440, 0.1))
                         .empty());
        const AudioFileInfo info = describeAudioFile(path);
        ASSERT_TRUE(info.readable) << info.error;
        EXPECT_EQ(audioFileSummary(info), c.summary);
        EXPECT_EQ(info.workingFile, c.working);
    }
    const AudioFileInfo missing = describeAudioFile(dir.file("none.flac"));
    EXPECT_FALSE(missing.readable);
    EXPECT_FALSE(missing.error.empty());
    const std::vector<std::string> extensions = readableAudioExtensions();
    for (const char* wanted :
         {"wav", "flac", "ogg", "opus", "aiff", "aif", "mp3", "caf", "w64", "rf64"})
        EXPECT_NE(std::find(extensions.begin(), extensions.end(), wanted), extensions.end())
            << wanted;
    EXPECT_EQ(std::find(extensions.begin(), extensions.end(), "raw"), extensions.end());
}

} // namespace
} // namespace sonarium
