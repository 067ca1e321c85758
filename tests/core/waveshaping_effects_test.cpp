// The waveshaping effects on real files: each effect's rule on known values, the state carried
// across blocks and channels, the refusals, and the runs that must end.
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(sinusCompression);
SONARIUM_DECLARE_OPERATION(bast);
SONARIUM_DECLARE_OPERATION(brownOut);
SONARIUM_DECLARE_OPERATION(shadokEffect);
SONARIUM_DECLARE_OPERATION(frequentialProjection);
SONARIUM_DECLARE_OPERATION(simpleFormula);

namespace sonarium {
namespace {

using test::JobRun;
using Values = std::vector<std::int16_t>;

// Numbers and texts set over an operation's defaults.
struct Settings {
    std::vector<std::pair<const char*, double>> numbers;
    std::vector<std::pair<const char*, const char*>> texts;

    Parameters over(const OperationDecl& op) const {
        Parameters p = op.defaults();
        for (const auto& [member, value] : numbers)
            p.setNumber(member, value);
        for (const auto& [member, text] : texts)
            p.setText(member, text);
        return p;
    }
};

class WaveshapingEffects : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;

    JobRun run(const OperationDecl& op, const Settings& settings, const Values& in,
               int channels = 1) {
        const std::string source = test::writeWave(dir.file("source.wav"), in, channels);
        return test::runOperation(op, settings.over(op), {.source = source}, reporter,
                                  {.destination = dir.file("out.wav")});
    }
    // Where a sine result restarts its period: the values that are exactly 0.
    static std::vector<std::size_t> zeros(const Values& values) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i] == 0)
                at.push_back(i);
        return at;
    }
    static std::vector<std::size_t> every(std::size_t step, std::size_t end) {
        std::vector<std::size_t> at;
        for (std::size_t i = 0; i < end; i += step)
            at.push_back(i);
        return at;
    }
};

TEST_F(WaveshapingEffects, SinusCompression) {
    struct Case {
        Settings settings;
        Values in, out;
    };
    const Case cases[] = {
        {{}, {16384, 0, 32767, -32768}, {23169, 0, 32766, -32767}},
        {{{{"keepDiff", 1}}}, {16384, 0, -32768, 32767}, {6785, 0, 1, -1}},
        {{{{"gain", 200}}}, {20000, -20000, 1}, {32766, -32767, 3}},
        {{{{"gain", 150}}}, {3, -3}, {7, -7}}, // 4.5 stays a double until the sine
        {{{{"iterations", 3}}}, {16384}, {32330}},
    };
    for (const Case& c : cases) {
        const JobRun r = run(sinusCompressionOperation(), c.settings, c.in);
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.out);
    }
}

TEST_F(WaveshapingEffects, Bast) {
    struct Case {
        int threshold;
        Values in, out;
    };
    const Case cases[] = {
        {0, {100, 100, 100}, {0, 50, 75}},
        {0, {0, 0, 0}, {0, 0, 0}},
        {0, {-100, -100, 300}, {0, -50, 125}},
        {60, {100, 100, 100, 100}, {0, 100, 100, 100}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(bastOperation(), {{{"T", c.threshold}}}, c.in).output, c.out) << c.threshold;
}

// 128002 stereo values are split into blocks of 42667, so the second block starts on a right
// value: each channel must still see only its own values, as if processed alone.
TEST_F(WaveshapingEffects, BastKeepsEachChannelsStateAcrossAnOddBlock) {
    const Values left = test::ramp(64001, -3000, 37);
    const Values right = test::ramp(64001, 9000, -501);
    Values stereo;
    for (std::size_t i = 0; i < left.size(); ++i) {
        stereo.push_back(left[i]);
        stereo.push_back(right[i]);
    }
    const JobRun both = run(bastOperation(), {{{"T", 100}}}, stereo, 2);
    const JobRun leftAlone = run(bastOperation(), {{{"T", 100}}}, left);
    const JobRun rightAlone = run(bastOperation(), {{{"T", 100}}}, right);
    ASSERT_EQ(both.output.size(), stereo.size());
    for (std::size_t i = 0; i < left.size(); ++i) {
        ASSERT_EQ(both.output[2 * i], leftAlone.output[i]) << i;
        ASSERT_EQ(both.output[2 * i + 1], rightAlone.output[i]) << i;
    }
}

TEST_F(WaveshapingEffects, BrownOut) {
    struct Case {
        const char* name;
        Settings settings;
        Values in;
        int channels;
        Values out;
    };
    const Case cases[] = {
        {"running mean", {}, {100, 200, 300}, 1, {100, 150, 200}},
        {"stereo: each sum over the count of both channels",
         {},
         {100, 1000, 200, 2000},
         2,
         {100, 500, 100, 750}},
        {"autoscale",
         {{{"autoscale", 1}, {"shift", 2}}},
         {30000, 30000, 30000, 30000, 30000},
         1,
         {30000, 30000, 22500, 30000, 18750}},
        {"autoscale raises the gain again below the level",
         {{{"autoscale", 1}, {"shift", 2}, {"level", 20000}}},
         {30000, 30000, -30000, 0},
         1,
         {30000, 30000, 30000, 30000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JobRun r = run(brownOutOperation(), c.settings, c.in, c.channels);
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.out);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

// 65539 × 32767 no longer fits the 32-bit sum: it wraps to −2147450883.
TEST_F(WaveshapingEffects, BrownOutSumWrapsAt32Bits) {
    const JobRun r = run(brownOutOperation(), {}, Values(65539, 32767));
    ASSERT_EQ(r.output.size(), 65539U);
    EXPECT_EQ(r.output[65537], 32767);
    EXPECT_EQ(r.output[65538], -32766);
}

TEST_F(WaveshapingEffects, BrownOutRefusesShiftsThatCannotScale) {
    // 1.00000001 is 1 once rounded to single precision, as the dialog holds it.
    for (double shift : {1.0, 1.00000001, 0.5, 0.1}) {
        SCOPED_TRACE(shift);
        reporter.reports.clear();
        const Settings settings{{{"autoscale", 1}, {"shift", shift}}};
        const JobRun r = run(brownOutOperation(), settings, {1, 2, 3});
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_EQ(reporter.reports[0].text, "Sorry..\n\nThis Shifting Value\nGives No Result");
        EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
    }
    // Refused before the source is even opened; without autoscale any shift will do.
    reporter.reports.clear();
    const Settings refused{{{"autoscale", 1}, {"shift", 1.0}}};
    test::runOperation(brownOutOperation(), refused.over(brownOutOperation()),
                       {.source = dir.file("missing.wav")}, reporter,
                       {.destination = dir.file("out.wav")});
    EXPECT_EQ(reporter.texts(),
              std::vector<std::string>{"Sorry..\n\nThis Shifting Value\nGives No Result"});
    EXPECT_EQ(run(brownOutOperation(), {{{"shift", 0.5}}}, {4, 2}).output, (Values{4, 3}));
}

// A long silence keeps raising the gain; the sound after it must still be brought into range.
TEST_F(WaveshapingEffects, BrownOutLongSilenceEnds) {
    Values in(20000, 0);
    for (int i = 0; i < 3000; ++i)
        in.push_back(static_cast<std::int16_t>(i % 2 == 0 ? 12000 : -7000));
    const JobRun r =
        run(brownOutOperation(), {{{"autoscale", 1}, {"shift", 1.05}, {"level", 100}}}, in);
    ASSERT_EQ(r.outcome, JobOutcome::Completed);
    ASSERT_EQ(r.output.size(), in.size());
    EXPECT_NE(r.output[20000], 0); // the first sound after the silence comes out loud
}

TEST_F(WaveshapingEffects, ShadokEffectPeriods) {
    struct Case {
        const char* name;
        Settings settings;
        Values in;
        int channels;
        std::size_t length;
        std::vector<std::size_t> periodStarts;
    };
    std::vector<std::size_t> lastBlockOfOne = every(551, 64000);
    lastBlockOfOne.push_back(64000); // a block of 1 opens a period of its own
    std::vector<std::size_t> loudFirst{0};
    for (std::size_t at : every(551, 44100 - 183))
        loudFirst.push_back(183 + at);
    const Case cases[] = {
        {"silence at 80 Hz", {{{"duration", 1}}}, {0, 0, 0}, 1, 44100, every(551, 44100)},
        {"floor and ceiling swapped",
         {{{"duration", 1}, {"floorFreq", 240}, {"ceilFreq", 80}}},
         {0, 0, 0},
         1,
         44100,
         every(551, 44100)},
        {"-32768 reads the ceiling", {{{"duration", 1}}}, {-32768, 5, 5}, 1, 44100, loudFirst},
        {"a last block of 1", {{{"duration", 1.4512703}}}, {0}, 1, 64001, lastBlockOfOne},
        {"a stereo source steers as one stream",
         {{{"duration", 0.1}}},
         {-32768, 0, 0, 0, 0, 0, 0, 0},
         2,
         4410,
         loudFirst},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JobRun r = run(shadokEffectOperation(), c.settings, c.in, c.channels);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.channels, 1);
        ASSERT_EQ(r.output.size(), c.length);
        std::vector<std::size_t> expected;
        for (std::size_t at : c.periodStarts)
            if (at < c.length)
                expected.push_back(at);
        EXPECT_EQ(zeros(r.output), expected);
    }
}

TEST_F(WaveshapingEffects, ShadokEffectShapesAndEdges) {
    // Swapping floor and ceiling changes nothing, whatever the source.
    const Values steering = test::ramp(5000, -32768, 1499);
    const Values plain = run(shadokEffectOperation(), {{{"duration", 2}}}, steering).output;
    const Values swapped = run(shadokEffectOperation(),
                               {{{"duration", 2}, {"floorFreq", 240}, {"ceilFreq", 80}}}, steering)
                               .output;
    EXPECT_EQ(plain.size(), 88200U);
    EXPECT_TRUE(plain == swapped);

    // Above 44100 Hz every period is one value long (sin 0), and the job still ends.
    const Settings fast{{{"floorFreq", 50000}, {"ceilFreq", 50000}, {"duration", 1}}};
    EXPECT_EQ(run(shadokEffectOperation(), fast, {1, 2}).output, Values(44100, 0));
    Settings fastSquare = fast;
    fastSquare.texts = {{"shape", "square"}};
    EXPECT_EQ(run(shadokEffectOperation(), fastSquare, {1}).output, Values(44100, -32768));

    // Square and triangle over one 80 Hz period.
    const Values square = run(shadokEffectOperation(), {{}, {{"shape", "square"}}}, {0}).output;
    EXPECT_EQ(square[0], -32768);
    EXPECT_EQ(square[1], 32767);
    EXPECT_EQ(square[275], 32767);
    EXPECT_EQ(square[276], -32768);
    EXPECT_EQ(square[551], -32768);
    EXPECT_EQ(square[552], 32767);
    const Values triangle = run(shadokEffectOperation(), {{}, {{"shape", "triangle"}}}, {0}).output;
    EXPECT_EQ(triangle[0], 0);
    EXPECT_GT(triangle[138], 32600); // the top near a quarter period
    EXPECT_EQ(triangle[551], 0);

    // A period of 441000 values at 0.1 Hz: the next block opens with what fits of it, less one
    // value, and then starts a new period.
    const Settings slow{{{"floorFreq", 0.1}, {"ceilFreq", 0.1}}};
    Settings oneBlock = slow;
    oneBlock.numbers.push_back({"duration", 1.45}); // 63945 values: a single block
    Settings twoBlocks = slow;
    twoBlocks.numbers.push_back({"duration", 2}); // 88200 values: two blocks of 44100
    const Values first = run(shadokEffectOperation(), oneBlock, {0}).output;
    const Values carried = run(shadokEffectOperation(), twoBlocks, {0}).output;
    ASSERT_EQ(first.size(), 63945U);
    ASSERT_EQ(carried.size(), 88200U);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), carried.begin()));
    EXPECT_EQ(carried[88199], 0);
    EXPECT_EQ(carried[88198], 31162); // value 88198 of the long period, carried over
}

TEST_F(WaveshapingEffects, FrequentialProjection) {
    const Values in{0, 1, -1, 1000, -1000, 32767, -32767, -32768, 0};
    Values negated;
    for (std::int16_t s : in)
        negated.push_back(static_cast<std::int16_t>(-static_cast<int>(s)));
    for (bool reverted : {false, true}) {
        const Settings settings{{{"reverted", reverted ? 1.0 : 0.0}, {"floorAmp", 1000}}};
        const Values out = run(frequentialProjectionOperation(), settings, in).output;
        const Values outNegated = run(frequentialProjectionOperation(), settings, negated).output;
        ASSERT_EQ(out.size(), in.size());
        for (std::size_t i = 0; i < in.size(); ++i) {
            if (in[i] == 0) {
                EXPECT_EQ(out[i], 0);
            }
            if (in[i] != -32768) { // its negation is not a 16-bit value
                EXPECT_EQ(outNegated[i], -out[i]) << i;
            }
        }
    }
}

// Block j's time index starts at (j − 1) × per in unsigned 32 bits. 64000 values make two blocks
// of 32000: block 0 runs from 2^32 − 32000, block 1 from 0. With floor = ceiling = 22050 Hz and
// full amplitude a value s ≠ 0 becomes 32767 × sin(t).
TEST_F(WaveshapingEffects, FrequentialProjectionTimeIndex) {
    const Settings settings{{{"floor", 22050}, {"ceiling", 22050}}};
    const JobRun r = run(frequentialProjectionOperation(), settings, Values(64000, 500));
    ASSERT_EQ(r.output.size(), 64000U);
    for (std::uint32_t i = 0; i < 64000; i += 997) {
        const double t = i < 32000 ? 4294967296.0 - 32000 + i : i - 32000.0;
        EXPECT_EQ(r.output[i], static_cast<std::int16_t>(std::trunc(32767 * std::sin(t)))) << i;
    }
}

TEST_F(WaveshapingEffects, FrequentialProjectionHalvesTheFloorInStereo) {
    const Values values = test::ramp(70000, -20000, 613);
    const JobRun stereo =
        run(frequentialProjectionOperation(), {{{"floor", 1000}, {"ceiling", 5000}}}, values, 2);
    // The same range from half the floor, in mono.
    const JobRun mono =
        run(frequentialProjectionOperation(), {{{"floor", 500}, {"ceiling", 4500}}}, values, 1);
    ASSERT_EQ(stereo.output.size(), values.size());
    EXPECT_TRUE(stereo.output == mono.output);
}

TEST_F(WaveshapingEffects, SimpleFormulaEveryLetter) {
    // A single block of 7 values: the time index is the position.
    const Values in{32767, -32768, 1, -1, 0, 2, -1000};
    struct Case {
        const char* text;
        Values out;
    };
    const Case cases[] = {
        {"Acom= sin (a)", {32766, -32767, 1, -1, 0, 3, -1570}},
        {"B", {0, 0, 2, -4, 0, 7, -8}},
        {"C", {32758, -32758, 0, 0, 0, 2183, -21764}},
        {"Drev= (1/a)", {1, 0, 32767, -32767, 0, 16383, -32}},
        {"E", {1, 0, 32766, -32766, -32767, 32766, -32729}},
        {"Fexp= (a*a)", {32766, -32768, 0, 0, 0, 0, -30}},
        {"G", {0, -32649, 2, -4, 0, 14, -8806}},
        {"H", {0, -11895, 0, 0, 0, 0, -2227}},
        {"I", {0, -3039, 0, 0, 0, 0, -552}},
        {"J", {0, -190, 0, 0, 0, 0, -26}},
        {"K", {0, 32651, 0, 0, 0, 222, 13256}},
        {"L", {-1, 0, 1, 1, 0, 6, -23800}},
        {"M", {32766, -32767, 0, 0, 0, 0, -47}},
        {"N", {27573, -27572, 30403, -30403, 0, -18347, -31986}},
        {"O", {0, -47, 0, 0, 0, 0, 0}},
        {"Q", in},
        {"R anything after the R", in},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const JobRun r = run(simpleFormulaOperation(), {{}, {{"formula", c.text}}}, in);
        EXPECT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output, c.out);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(WaveshapingEffects, SimpleFormulaTimeIndexAndWrapping) {
    // No clipping: K on 2 at t = 999 gives 44478, which wraps to 16 bits.
    EXPECT_EQ(run(simpleFormulaOperation(), {{}, {{"formula", "K"}}}, Values(1000, 2)).output[999],
              44478 - 65536);
    // 128002 values: blocks of 42667 and a last one of 1, whose time index is j × 1 + 0 = 3.
    const JobRun r = run(simpleFormulaOperation(), {{}, {{"formula", "G"}}}, Values(128002, 7350));
    ASSERT_EQ(r.output.size(), 128002U);
    EXPECT_EQ(r.output[128001], 27572); // 32767 × sin(7350 × 3 / 22050)
}

TEST_F(WaveshapingEffects, SimpleFormulaRandomIsSeeded) {
    const Settings seeded{{{"seed", 1}}, {{"formula", "Pmod= a*rnd"}}};
    const JobRun r = run(simpleFormulaOperation(), seeded, {32767, 32767, 32767, 32767, -32768});
    // The generator's first draws from seed 1: 41, 18467, 6334, 26500, 19169.
    EXPECT_EQ(r.output, (Values{40, 18466, 6333, 26499, -19169}));
    EXPECT_EQ(run(simpleFormulaOperation(), seeded, {32767, 32767, 32767, 32767, -32768}).output,
              r.output);
}

TEST_F(WaveshapingEffects, SimpleFormulaRefusesOtherTexts) {
    for (const char* text : {"acom= sin (a)", " Acom", "", "1", "S", "Z", "["}) {
        SCOPED_TRACE(text);
        reporter.reports.clear();
        const JobRun r = run(simpleFormulaOperation(), {{}, {{"formula", text}}}, {1, 2, 3});
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        EXPECT_EQ(reporter.texts(),
                  std::vector<std::string>{"Sorry...\n\nI Should Have\nProgrammed This One"});
    }
}

} // namespace
} // namespace sonarium
