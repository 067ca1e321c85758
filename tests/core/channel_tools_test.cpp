// The channel tools, the conversions, File Information, File statistics and System Information:
// their block split, their values on the examples that pin each rule down, the partner value a
// block's end leaves unread, and the texts they print.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"
#include "operations/tools/file_information.h"
#include "operations/tools/file_statistics.h"
#include "operations/tools/system_information.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

SONARIUM_DECLARE_OPERATION(groupToStereo);
SONARIUM_DECLARE_OPERATION(mix);
SONARIUM_DECLARE_OPERATION(monoToStereo);
SONARIUM_DECLARE_OPERATION(splitStereo);
SONARIUM_DECLARE_OPERATION(stereoToMono);
SONARIUM_DECLARE_OPERATION(channelConversion);
SONARIUM_DECLARE_OPERATION(samplingRateConversion);
SONARIUM_DECLARE_OPERATION(fileInformation);
SONARIUM_DECLARE_OPERATION(fileStatistics);

namespace sonarium {
namespace {

using Values = std::vector<std::int16_t>;

TEST(ChannelTools, EvenSplit) {
    struct Case {
        std::uint32_t total;
        std::uint32_t n, per;
        std::int32_t rem;
    };
    const Case cases[] = {
        {200006, 3, 50002, 50000}, // 50001 rounded up to even; the remainder goes negative
        {200001, 4, 50000, 1},     {1, 0, 2, 1}, {2, 0, 2, 2},
        {128003, 2, 42668, 42667}, {0, 0, 0, 0}, // no values: one empty block, and the split ends
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.total);
        const BlockSplit s = toolSplit(c.total);
        EXPECT_EQ(s.n, c.n);
        EXPECT_EQ(s.per, c.per);
        EXPECT_EQ(s.rem, c.rem);
    }
}

class ToolRuns : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string out = dir.file("out.wav");

    std::string wave(const std::string& name, const Values& values, int channels = 1,
                     int rate = 44100) {
        return test::writeWave(dir.file(name), values, channels, rate);
    }
    test::JobRun run(const OperationDecl& op, const JobInput& input,
                     const Parameters& p = Parameters()) {
        test::RecordingReporter reporter;
        test::JobRun r = test::runOperation(op, p, input, reporter, {.destination = out});
        messages = reporter.texts();
        return r;
    }
    test::JobRun run(const OperationDecl& op, const std::string& source,
                     const std::string& aux = "") {
        return run(op, JobInput{.source = source, .aux = aux}, op.defaults());
    }
    std::vector<std::string> messages;
};

Values repeat(std::int16_t value, std::size_t n) {
    return Values(n, value);
}

Values interleave(const Values& left, const Values& right) {
    Values out;
    for (std::size_t k = 0; k < left.size(); ++k)
        out.insert(out.end(), {left[k], right[k]});
    return out;
}

TEST_F(ToolRuns, ChannelToolExamples) {
    const Values a = test::ramp(1000, -500, 37);
    const Values b = test::ramp(1500, 9000, 211);
    // Group to stereo: the shorter left channel ends in silence.
    test::JobRun r = run(groupToStereoOperation(), wave("a.wav", a), wave("b.wav", b));
    Values left = a;
    left.resize(1500, 0);
    EXPECT_EQ(r.output, interleave(left, b));
    EXPECT_EQ(r.channels, 2);

    struct Mix {
        std::int16_t x, y, expected;
    };
    for (const Mix& m :
         {Mix{3, -3, 0}, Mix{3, 0, 1}, Mix{-3, 0, -1}, Mix{-32768, -32767, -32767}}) {
        r = run(mixOperation(), wave("x.wav", repeat(m.x, 10)), wave("y.wav", repeat(m.y, 10)));
        EXPECT_EQ(r.output, repeat(m.expected, 10)) << m.x << " " << m.y;
    }
    // A mono source beside a stereo aux of as many frames: each frame averaged with the mono
    // value of the same frame.
    const Values frames = test::ramp(2000, 77, 5);
    r = run(mixOperation(), wave("a.wav", a), wave("st.wav", frames, 2));
    ASSERT_EQ(r.output.size(), 2000U);
    for (std::size_t i = 0; i < 2000; ++i)
        ASSERT_EQ(r.output[i], (frames[i] + a[i / 2]) / 2) << i;

    r = run(monoToStereoOperation(), wave("a.wav", a));
    EXPECT_EQ(r.output, interleave(a, a));

    const Values l = test::ramp(700, 1, 3);
    const Values rr = test::ramp(700, -4000, 91);
    r = run(splitStereoOperation(), wave("st.wav", interleave(l, rr), 2));
    EXPECT_EQ(r.output, l);
    EXPECT_EQ(r.secondOutput, rr);
    EXPECT_EQ(r.secondChannels, 1);
    EXPECT_EQ(r.opened, (std::vector<std::string>{}));

    r = run(stereoToMonoOperation(),
            wave("st.wav", {32767, 32767, -32768, -32767, 1, 0, -1, 0, 5, 6}, 2));
    EXPECT_EQ(r.output, (Values{32767, -32767, 0, 0, 5}));
}

TEST_F(ToolRuns, RefusalsLeaveNoFile) {
    const std::string mono = wave("m.wav", test::ramp(100));
    const std::string stereo = wave("s.wav", test::ramp(100), 2);
    const std::string empty = wave("e.wav", {});
    struct Case {
        const OperationDecl& op;
        std::string source, aux, message;
    };
    const Case cases[] = {
        {groupToStereoOperation(), mono, stereo, kNotBothMonoText},
        {groupToStereoOperation(), mono, mono, kInvalidAuxText},
        {mixOperation(), stereo, dir.path() / "." / "s.wav", kInvalidAuxText},
        {monoToStereoOperation(), stereo, "", kNotMonoText},
        {splitStereoOperation(), mono, "", kNotStereoText},
        {stereoToMonoOperation(), mono, "", kNotStereoText},
        // No values to write at all: the job skeleton's message.
        {mixOperation(), empty, wave("e2.wav", {}), noSamplesMessage(empty)},
        {channelConversionOperation(), empty, empty, noSamplesMessage(empty)},
        {samplingRateConversionOperation(), empty, "", noSamplesMessage(empty)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.message);
        const test::JobRun r = run(c.op, c.source, c.aux);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        EXPECT_FALSE(r.secondWritten);
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
    }
    // One empty file beside another that has values still gives a result.
    const test::JobRun r = run(groupToStereoOperation(), empty, mono);
    EXPECT_EQ(r.output.size(), 200U);
}

Parameters matrix(std::initializer_list<std::pair<const char*, double>> set) {
    Parameters p = channelConversionOperation().defaults();
    for (const auto& [member, percent] : set)
        p.setNumber(member, percent);
    return p;
}

TEST_F(ToolRuns, ChannelConversion) {
    // The defaults on a file paired with itself: (L - R) / 2 and (L + R) / 2, truncated.
    const std::string file = wave("st.wav", {-32768, 32767, 100, 51, 7, -7}, 2);
    test::JobRun r = run(channelConversionOperation(), file, file);
    EXPECT_EQ(r.output, (Values{-32767, 0, 24, 75, 7, 0}));

    // 200 % of full scale wraps instead of clipping: 65534 keeps its low 16 bits, -2.
    const Parameters doubled = matrix({{"leftSourceLeft", 200}, {"leftSourceRight", 0}});
    r = run(channelConversionOperation(), {.source = file, .aux = file}, doubled);
    EXPECT_EQ(r.output[2], 200);
    const std::string full = wave("full.wav", {32767, 0}, 2);
    r = run(channelConversionOperation(), {.source = full, .aux = full}, doubled);
    EXPECT_EQ(r.output, (Values{-2, 16383}));

    // A stereo source beside a longer mono aux: as long as the aux, the source silent past its
    // end, the aux's value feeding both aux inputs of its frame.
    const Values st = test::ramp(600, 3, 17);
    const Values mono = test::ramp(900, -200, 29);
    const Parameters sum =
        matrix({{"leftSourceRight", 0}, {"leftAuxLeft", 100}, {"rightAuxRight", -100}});
    r = run(channelConversionOperation(),
            {.source = wave("s.wav", st, 2), .aux = wave("m.wav", mono)}, sum);
    ASSERT_EQ(r.output.size(), 900U);
    for (std::size_t k = 0; k < 450; ++k) {
        const double sl = 2 * k < 600 ? st[2 * k] : 0;
        const double sr = 2 * k < 600 ? st[2 * k + 1] : 0;
        ASSERT_EQ(r.output[2 * k], static_cast<std::int16_t>(std::trunc(sl * 0.5 + mono[k])));
        ASSERT_EQ(r.output[2 * k + 1],
                  static_cast<std::int16_t>(std::trunc(sl * 0.5 + (sr * 0.5 - mono[k]))));
    }

    // Two mono files: one frame per value of the longer, each mono value on both inputs.
    const Values s = test::ramp(300, 10, 3);
    const Values a = test::ramp(500, -10, 7);
    const Parameters pair = matrix({{"leftSourceRight", 0},
                                    {"leftAuxRight", 100},
                                    {"rightSourceLeft", 0},
                                    {"rightSourceRight", 100},
                                    {"rightAuxLeft", -100}});
    r = run(channelConversionOperation(), {.source = wave("s.wav", s), .aux = wave("a.wav", a)},
            pair);
    ASSERT_EQ(r.output.size(), 1000U);
    EXPECT_EQ(r.channels, 2);
    for (std::size_t k = 0; k < 500; ++k) {
        const double sk = k < 300 ? s[k] : 0;
        ASSERT_EQ(r.output[2 * k], static_cast<std::int16_t>(std::trunc(sk * 0.5 + a[k]))) << k;
        ASSERT_EQ(r.output[2 * k + 1], static_cast<std::int16_t>(sk - a[k])) << k;
    }
}

// 128002 stereo values beside 128003 mono ones: three blocks of 42668, 42668 and 42667 values.
// The last block's odd value has no partner among the mono values read (21333 of them); it
// counts as 0, not as what the previous block left in the buffer.
TEST_F(ToolRuns, UnreadPartnerAtTheLastBlockCountsAsSilence) {
    const Values st = test::ramp(128002, -20000, 977);
    const Values mono = test::ramp(128003, 12345, 331);
    const std::string s = wave("s.wav", st, 2);
    const std::string m = wave("m.wav", mono);
    const std::size_t last = 128002;
    const test::JobRun mix = run(mixOperation(), s, m);
    ASSERT_EQ(mix.output.size(), 128003U);
    for (std::size_t i = 0; i < last; ++i)
        ASSERT_EQ(mix.output[i], (st[i] + mono[i / 2]) / 2) << i;
    EXPECT_EQ(mix.output[last], 0);

    const test::JobRun cc =
        run(channelConversionOperation(), {.source = s, .aux = m}, matrix({{"leftAuxLeft", 100}}));
    ASSERT_EQ(cc.output.size(), 128003U);
    EXPECT_EQ(cc.output[last - 2],
              static_cast<std::int16_t>(
                  std::trunc((st[last - 2] * 0.5 + mono[(last - 2) / 2]) + st[last - 1] * -0.5)));
    EXPECT_EQ(cc.output[last], 0);

    // The same file with an odd count: the last value's partner is silence too (301 / 2).
    const std::string odd = wave("odd.wav", {1000, 10, 301});
    const test::JobRun self = run(channelConversionOperation(), odd, odd);
    EXPECT_EQ(self.output, (Values{495, 505, 150}));
}

TEST_F(ToolRuns, SamplingRateConversionKeepsTheData) {
    const Values v = test::ramp(50001, 5, 1301);
    test::JobRun r =
        run(samplingRateConversionOperation(), {.source = wave("a.wav", v, 2, 22050)}, [] {
            Parameters p = samplingRateConversionOperation().defaults();
            return p;
        }());
    EXPECT_EQ(r.output, v);
    test::Bytes header = test::readBytes(out);
    EXPECT_EQ(readLe32(&header[24]), 44100U);
    EXPECT_EQ(readLe16(&header[22]), 2U);

    // An 8-bit file keeps its width and channels; its data is copied in whole 16-bit units.
    test::WaveSpec eight;
    eight.channels = 1;
    eight.rate = 8000;
    eight.bits = 8;
    eight.samples = {0x7f80, 0x0102, 0x0304};
    eight.dataSize = 5; // an odd byte at the end: 2 × 2 values copied
    const std::string file = dir.file("eight.wav");
    test::writeBytes(file, test::buildWave(eight));
    Parameters p = samplingRateConversionOperation().defaults();
    p.setNumber("outputRate", 11025);
    r = run(samplingRateConversionOperation(), {.source = file}, p);
    header = test::readBytes(out);
    EXPECT_EQ(readLe16(&header[22]), 1U);
    EXPECT_EQ(readLe32(&header[24]), 11025U);
    EXPECT_EQ(readLe16(&header[34]), 8U);
    EXPECT_EQ(readLe32(&header[28]), 11025U); // bytes per second of 8-bit mono
    EXPECT_EQ(readLe32(&header[40]), 4U);
    EXPECT_EQ(test::Bytes(header.begin() + 44, header.begin() + 48),
              (test::Bytes{0x80, 0x7f, 0x02, 0x01}));
}

// Resample keeps the duration and the pitch: a 1 kHz sine comes out as the same sine sampled at
// the output rate (to a few values, from the first instant), with as many frames as the rate
// ratio gives. An 8-bit Source is refused; the same rate gives the values back.
TEST_F(ToolRuns, SamplingRateConversionResamples) {
    struct Case {
        int from;
        int to;
        int channels;
    };
    const Case cases[] = {{48000, 44100, 2}, {22050, 48000, 1}, {44100, 8000, 1}};
    const OperationDecl& op = samplingRateConversionOperation();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        const std::size_t frames = static_cast<std::size_t>(c.from) + 11;
        Values v;
        const auto sine = [&](std::size_t i, int channel, int rate) {
            return 16000 *
                   std::sin(2 * std::numbers::pi * 1000 * static_cast<double>(i) / rate + channel);
        };
        for (std::size_t i = 0; i < frames; ++i)
            for (int channel = 0; channel < c.channels; ++channel)
                v.push_back(static_cast<std::int16_t>(std::lround(sine(i, channel, c.from))));
        Parameters p = op.defaults();
        p.setText("method", "resample");
        p.setNumber("outputRate", c.to);
        const test::JobRun r = run(op, {.source = wave("s.wav", v, c.channels, c.from)}, p);
        ASSERT_EQ(r.outcome, JobOutcome::Completed) << testing::PrintToString(messages);
        const auto width = static_cast<std::size_t>(c.channels);
        const std::size_t outFrames = r.output.size() / width;
        EXPECT_EQ(outFrames, static_cast<std::size_t>(
                                 std::llround(static_cast<double>(frames) * c.to / c.from)));
        EXPECT_EQ(readLe32(&test::readBytes(out)[24]), static_cast<std::uint32_t>(c.to));
        double worst = 0;
        for (std::size_t i = outFrames / 4; i < outFrames * 3 / 4; ++i)
            for (int channel = 0; channel < c.channels; ++channel)
                worst = std::max(worst,
                                 std::abs(r.output[i * width + static_cast<std::size_t>(channel)] -
                                          sine(i, channel, c.to)));
        EXPECT_LT(worst, 4);
    }
    Parameters same = op.defaults();
    same.setText("method", "resample");
    const Values v = test::ramp(3001, 5, 1301);
    EXPECT_EQ(run(op, {.source = wave("same.wav", v, 1, 44100)}, same).output, v);

    test::WaveSpec eight;
    eight.bits = 8;
    eight.samples = test::ramp(100);
    const std::string file = dir.file("eight.wav");
    test::writeBytes(file, test::buildWave(eight));
    const test::JobRun refused = run(op, {.source = file}, same);
    EXPECT_EQ(refused.outcome, JobOutcome::EndedWithMessage);
    EXPECT_FALSE(refused.written);
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_NE(messages[0].find("only 16-bit files can be resampled"), std::string::npos);
}

std::string infoLine(const std::string& text, const std::string& key) {
    const auto at = text.find("\n" + key);
    return at == std::string::npos ? "" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST_F(ToolRuns, FileInformationText) {
    struct Case {
        Values values;
        int channels, rate;
        std::string length, samples;
    };
    const Case cases[] = {
        {Values(44100), 1, 44100, "length: 00:01.000 s", "samples: 44100"},
        {Values(44100), 2, 44100, "length: 00:00.500 s", "samples: 22050"},
        {Values(65500), 1, 1000, "length: 01:05.500 s", "samples: 65500"},
        {Values(60500), 1, 100, "length: 10:05.000 s", "samples: 60500"},
    };
    test::RecordingReporter reporter;
    const WaveContext wave{reporter, "", {}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string path = this->wave("i.wav", c.values, c.channels, c.rate);
        const auto information = fileInformation(wave, path);
        ASSERT_TRUE(information && information->waveRead);
        const std::string* text = &information->text;
        EXPECT_TRUE(text->starts_with("File Information for:\n" + path + "\n\nsize: "));
        EXPECT_EQ(infoLine(*text, "length"), c.length);
        EXPECT_EQ(infoLine(*text, "samples:"), c.samples);
        EXPECT_EQ(infoLine(*text, "size"),
                  "size: " + std::to_string((44 + 2 * c.values.size() + 82) / 1024) + " kB");
        EXPECT_TRUE(text->ends_with(
            "\nchannels: " + std::to_string(c.channels) +
            "\nbits per sample: 16\nsamples per second: " + std::to_string(c.rate)));
    }
    // A header with no rate describes no length, and no division by zero happens.
    test::WaveSpec noRate;
    noRate.rate = 0;
    noRate.samples = Values(10);
    test::writeBytes(dir.file("z.wav"), test::buildWave(noRate));
    const auto zero = fileInformation(wave, dir.file("z.wav"));
    ASSERT_TRUE(zero);
    EXPECT_EQ(infoLine(zero->text, "length"), "length: 00:00.000 s");
    EXPECT_EQ(infoLine(zero->text, "samples:"), "samples: 0");
    EXPECT_FALSE(fileInformation(wave, dir.file("missing.wav")));
    const test::JobRun missing = run(fileInformationOperation(), dir.file("missing.wav"));
    EXPECT_EQ(missing.outcome, JobOutcome::EndedWithMessage);
    EXPECT_EQ(missing.report, kNoFileInformationText);

    struct Length {
        double seconds;
        const char* text;
    };
    for (const Length& l : {Length{9.9996, "00:10.000"}, Length{0.25, "00:00.250"},
                            Length{659.5, "10:59.500"}, Length{3600, "60:00.000"}})
        EXPECT_EQ(formatLength(l.seconds), l.text);
    const char* zone = std::getenv("TZ");
    const std::optional<std::string> previous =
        zone ? std::optional<std::string>(zone) : std::nullopt;
    test::setEnvironment("TZ", "UTC");
    tzset();
    EXPECT_EQ(formatLongTime(1796767925), "Tuesday, December 08, 2026 22:12:05");
    test::setEnvironment("TZ", previous);
    tzset();
}

std::vector<std::string> statisticsLines(const test::JobRun& r) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = r.report.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(r.report.substr(at, end - at));
    return lines;
}

TEST_F(ToolRuns, FileStatistics) {
    Values sine(44100);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<std::int16_t>(
            10000 * std::sin(2 * M_PI * 100 * (static_cast<double>(i) + 0.5) / 44100));
    Values square;
    for (int i = 0; i < 1000; ++i)
        square.push_back(i % 2 == 0 ? -32768 : 32767);
    struct Case {
        std::string name;
        Values values;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"silence",
         Values(88200),
         {"channels : 1", "sample rate : 44100", "minimum : 0 (0.000%)", "maximum : 0 (0.000%)",
          "average : 0.000 (0.000%)", "zero crossings : 0", "zero crossings frequency : 0.000",
          "zero crossings mean period : 0.000", "zero crossings maximal period : 2000.000"}},
        // Under half a second: no whole unit of dataSize / sampleRate, frequency 0, not a
        // division by zero.
        {"square",
         square,
         {"channels : 1", "sample rate : 44100", "minimum : -32768 (-100.000%)",
          "maximum : 32767 (100.000%)", "average : -0.500 (-0.002%)", "zero crossings : 999",
          "zero crossings frequency : 0.000", "zero crossings mean period : 0.000",
          "zero crossings maximal period : 0.023"}},
        {"sine",
         sine,
         {"channels : 1", "sample rate : 44100", "minimum : -9999 (-30.515%)",
          "maximum : 9999 (30.515%)", "average : 0.000 (0.000%)", "zero crossings : 199",
          "zero crossings frequency : 199.000", "zero crossings mean period : 5.025",
          "zero crossings maximal period : 4.989"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const test::JobRun r = run(fileStatisticsOperation(), wave(c.name + ".wav", c.values));
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(statisticsLines(r), c.lines);
        EXPECT_EQ(r.progress.back(), 100);
    }
    const std::string empty = wave("empty.wav", {});
    const test::JobRun r = run(fileStatisticsOperation(), empty);
    EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
    EXPECT_TRUE(r.report.empty());
    EXPECT_EQ(messages, std::vector<std::string>{noSamplesMessage(empty)});
}

// The scan looks at crossings 64 values at a time; it must count them and measure the runs
// between them as a walk over every value does, wherever the blocks end.
TEST(StatisticsScan, MatchesAValueByValueWalkInAnySplit) {
    std::mt19937 random(5);
    auto signal = [&](std::size_t count, int zeros, int flips) {
        // Runs of one sign with some exact zeros; `flips` in 1000 values change sign.
        Values values(count);
        int sign = 1;
        for (auto& v : values) {
            if (static_cast<int>(random() % 1000) < flips)
                sign = -sign;
            const auto magnitude = static_cast<int>(random() % 32768);
            v = static_cast<int>(random() % 100) < zeros
                    ? 0
                    : static_cast<std::int16_t>(sign > 0 ? magnitude : -magnitude - 1);
        }
        return values;
    };
    struct Case {
        const char* name;
        Values values;
    };
    const Case cases[] = {
        {"noise", signal(5000, 0, 500)},  {"zeros", signal(5000, 30, 500)},
        {"sparse", signal(20000, 1, 5)},  // runs longer than a 64-value word
        {"growing", signal(3000, 0, 40)}, // the longest run grows many times
        {"silence", Values(300)},         {"one", Values{-7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StatisticsScan reference;
        std::int16_t before = 0;
        std::uint32_t current = 0;
        for (const std::int16_t x : c.values) {
            reference.minimum = std::min<int>(reference.minimum, x);
            reference.maximum = std::max<int>(reference.maximum, x);
            reference.sum += x;
            if ((before > 0 && x <= 0) || (before < 0 && x >= 0)) {
                ++reference.crossings;
                reference.longestRun = std::max(reference.longestRun, current);
                current = 0;
            } else {
                ++current;
            }
            before = x;
        }
        const std::size_t size = c.values.size();
        // Whole, in blocks of sizes around a word's 64 values, and in random pieces.
        std::vector<std::vector<std::size_t>> splits = {{size}};
        for (const std::size_t block : {1U, 63U, 64U, 65U, 129U}) {
            std::vector<std::size_t> pieces;
            for (std::size_t at = 0; at < size; at += block)
                pieces.push_back(std::min(block, size - at));
            splits.push_back(pieces);
        }
        std::vector<std::size_t> pieces;
        for (std::size_t at = 0, n; at < size; at += n) {
            n = std::min<std::size_t>(random() % 300, size - at);
            pieces.push_back(n);
        }
        splits.push_back(pieces);
        for (const auto& split : splits) {
            StatisticsScan scan;
            std::size_t at = 0;
            for (const std::size_t n : split) {
                scan.take(c.values.data() + at, n);
                at += n;
            }
            EXPECT_EQ(scan.minimum, reference.minimum);
            EXPECT_EQ(scan.maximum, reference.maximum);
            EXPECT_EQ(scan.sum, reference.sum);
            EXPECT_EQ(scan.crossings, reference.crossings);
            EXPECT_EQ(scan.longestRun, reference.longestRun);
            EXPECT_EQ(scan.run, current);
        }
    }
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

TEST(SystemInformation, FakedRoot) {
    test::TempDir root;
    writeFile(root.path() / "proc/cpuinfo",
              "processor\t: 0\ncpu family\t: 6\nmodel name\t: Test CPU @ 2.00GHz\nstepping\t: 3\n\n"
              "processor\t: 1\ncpu family\t: 6\nmodel name\t: Test CPU @ 2.00GHz\n");
    writeFile(root.path() / "sys/class/power_supply/AC/type", "Mains\n");
    writeFile(root.path() / "sys/class/power_supply/AC/online", "1\n");
    const SystemSources sources{.root = root.path(),
                                .cpuArchitecture = "x86_64",
                                .productName = "Test Linux 1",
                                .kernelVersion = "6.1.0-18-amd64",
                                .queryProcess = false};
    SystemInformation info = readSystemInformation(sources);
    EXPECT_EQ(info.architecture, "Intel");
    EXPECT_EQ(info.processorType, "Test CPU @ 2.00GHz");
    EXPECT_EQ(info.revision, "3");
    EXPECT_EQ(info.activeProcessors, "2  [ mask=3 ]");
    EXPECT_EQ(info.systemType, "Test Linux 1");
    EXPECT_EQ(info.version, "6.1  [ build=0 ]");
    EXPECT_EQ(info.physicalMemory, "Unknown");
    // No battery: the power source is known, the charge is not.
    EXPECT_EQ(info.powerSource, "AC Line");
    EXPECT_EQ(info.charge, "Unknown");
    EXPECT_EQ(info.remainingTime, "Unknown");
    EXPECT_EQ(info.chargePercent, 0);

    const auto battery = root.path() / "sys/class/power_supply/BAT0";
    writeFile(battery / "type", "Battery\n");
    writeFile(battery / "status", "Charging\n");
    writeFile(battery / "capacity", "57\n");
    info = readSystemInformation(sources);
    EXPECT_EQ(info.powerSource, "AC Line");
    EXPECT_EQ(info.charge, "57 Percents (Charging)");
    EXPECT_EQ(info.chargePercent, 57);
    EXPECT_EQ(info.remainingTime, "Unknown");

    writeFile(root.path() / "sys/class/power_supply/AC/online", "0\n");
    writeFile(battery / "status", "Discharging\n");
    writeFile(battery / "capacity", "20\n");
    writeFile(battery / "energy_now", "20000000\n");
    writeFile(battery / "power_now", "10000000\n");
    info = readSystemInformation(sources);
    EXPECT_EQ(info.powerSource, "Battery");
    EXPECT_EQ(info.charge, "20 Percents (Low)");
    EXPECT_EQ(info.remainingTime, "7200 Seconds");

    // Nothing to read: every field keeps "Unknown".
    test::TempDir bare;
    info = readSystemInformation({.root = bare.path(), .queryProcess = false});
    for (const std::string* field :
         {&info.architecture, &info.processorType, &info.revision, &info.activeProcessors,
          &info.systemType, &info.version, &info.maxOpenFiles, &info.powerSource, &info.charge})
        EXPECT_EQ(*field, "Unknown");
    // The process's own queries fill memory and limits on any Linux system.
    info = readSystemInformation({.root = bare.path()});
    EXPECT_TRUE(info.physicalMemory.ends_with(" MB"));
    EXPECT_TRUE(info.granularity.ends_with(" KB"));
}

} // namespace
} // namespace sonarium
