// Smooth, Substract, Zeta Pitch, Resync Gapper and Stepper on real files: each rule on values
// worked out by hand, state carried across block boundaries (checked against plain models of the
// rules), and the cases that must be refused or must not overrun. Last, the effects' choice words
// that no button has, which some effects once took for one of their choices.
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <set>
#include <stdexcept>

SONARIUM_DECLARE_OPERATION(smooth);
SONARIUM_DECLARE_OPERATION(substract);
SONARIUM_DECLARE_OPERATION(zetaPitch);
SONARIUM_DECLARE_OPERATION(resyncGapper);
SONARIUM_DECLARE_OPERATION(stepper);

namespace sonarium {
namespace {

using test::JobRun;
using Values = std::vector<std::int16_t>;

class TimeEffects : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;

    JobRun run(const OperationDecl& op, const Parameters& p, const Values& in, int channels = 1) {
        const std::string source = test::writeWave(dir.file("source.wav"), in, channels);
        return test::runOperation(op, p, {.source = source}, reporter,
                                  {.destination = dir.file("out.wav")});
    }

    static Parameters with(const OperationDecl& op,
                           std::initializer_list<std::pair<const char*, double>> numbers,
                           std::initializer_list<std::pair<const char*, const char*>> texts = {}) {
        Parameters p = op.defaults();
        for (const auto& [member, value] : numbers)
            p.setNumber(member, value);
        for (const auto& [member, text] : texts)
            p.setText(member, text);
        return p;
    }
};

// The plain running average as the rule states it, re-summing the ring for every value.
Values plainSmoothModel(const Values& in, int level) {
    Values ring(static_cast<std::size_t>(level) + 1, 0);
    Values out;
    int i = 0;
    bool filled = false;
    for (std::int16_t s : in) {
        ring[static_cast<std::size_t>(i)] = s;
        double sum = 0;
        if (!filled) {
            for (int k = 0; k < i; ++k)
                sum += ring[static_cast<std::size_t>(k)];
            out.push_back(static_cast<std::int16_t>(std::trunc(sum / (i + 1))));
            if (i == level - 1)
                filled = true;
        } else {
            for (int k = 0; k < level; ++k)
                sum += ring[static_cast<std::size_t>(k)];
            out.push_back(static_cast<std::int16_t>(std::trunc(sum / (level + 1))));
        }
        if (++i > level)
            i = 0;
    }
    return out;
}

// Substract as the rule states it, the gains as single-precision fractions.
Values substractModel(const Values& in, int delay, float subGain, float fbGain) {
    const float g = subGain / 100.0F;
    const float fb = fbGain / 100.0F;
    Values line(static_cast<std::size_t>(delay) + 1, 0);
    Values out;
    int p = 0;
    bool wrapped = false;
    double previous = 0;
    for (std::int16_t s : in) {
        if (fb > 0.0078125F) {
            const int q = p > 0 ? p - 1 : delay;
            line[static_cast<std::size_t>(q)] = static_cast<std::int16_t>(std::trunc(
                ((1 - static_cast<double>(fb)) * s + static_cast<double>(fb) * previous) / 2));
        }
        const double y =
            wrapped
                ? std::trunc((s - static_cast<double>(g) * line[static_cast<std::size_t>(p)]) / 2)
                : std::trunc(s / 2.0);
        line[static_cast<std::size_t>(p)] = s;
        if (++p > delay) {
            p = 0;
            wrapped = true;
        }
        out.push_back(static_cast<std::int16_t>(y));
        previous = y;
    }
    return out;
}

TEST_F(TimeEffects, SmoothPlainAverage) {
    const OperationDecl& op = smoothOperation();
    EXPECT_EQ(run(op, with(op, {{"L", 2}}), {3, 6, 9, 12}).output, (Values{0, 1, 3, 6}));
    // A constant settles at c x L / (L + 1), truncated, from the (L + 1)-th value on.
    for (const auto& [level, c] : {std::pair{2, 3000}, {20, -7001}, {4096, 32767}}) {
        const JobRun r =
            run(op, with(op, {{"L", level}}), Values(10000, static_cast<std::int16_t>(c)));
        EXPECT_EQ(r.output.back(), static_cast<std::int16_t>(std::trunc(c * level / (level + 1.0))))
            << level;
    }
    // An LFO of depth 0 (or frequency 0) is no LFO at all.
    const Values in = test::ramp(3000, -20000, 37);
    const Values plain = run(op, with(op, {{"L", 50}}), in).output;
    EXPECT_EQ(run(op,
                  with(op, {{"L", 50}, {"lfoFreq", 3}, {"lfoDepth", 0}}, {{"lfoShape", "square"}}),
                  in)
                  .output,
              plain);
    EXPECT_EQ(plain, plainSmoothModel(in, 50));
}

// The ring and its sum run on across blocks and across the channels of a stereo file.
TEST_F(TimeEffects, SmoothStateCrossesBlocks) {
    const OperationDecl& op = smoothOperation();
    Values in(128002);
    for (std::size_t k = 0; k < in.size(); ++k)
        in[k] = static_cast<std::int16_t>(static_cast<int>((k * 7919) % 65536) - 32768);
    for (int level : {2, 97, 4096}) {
        const Values model = plainSmoothModel(in, level);
        EXPECT_EQ(run(op, with(op, {{"L", level}}), Values(in.begin(), in.begin() + 64001)).output,
                  Values(model.begin(), model.begin() + 64001))
            << level;
        EXPECT_EQ(run(op, with(op, {{"L", level}}), in, 2).output, model) << level;
    }
}

TEST_F(TimeEffects, SmoothSweptWindowStaysInRange) {
    const OperationDecl& op = smoothOperation();
    const int level = 40;
    const std::int16_t c = 30000;
    struct Case {
        const char* shape;
        double low, high; // the window's bounds: c x w / (w + 1) over them
    };
    for (const Case& k : {Case{"sine", level, 3.0 * level}, Case{"triangle", level, 3.0 * level},
                          Case{"square", 1, level}}) {
        SCOPED_TRACE(k.shape);
        const JobRun r = run(
            op,
            with(op, {{"L", level}, {"lfoFreq", 5}, {"lfoDepth", 100}}, {{"lfoShape", k.shape}}),
            Values(50000, c));
        ASSERT_EQ(r.output.size(), 50000U);
        // The first values pass unchanged; later ones lie between the window's extremes.
        EXPECT_EQ(r.output[0], c);
        std::set<std::int16_t> seen;
        for (std::size_t i = 200; i < r.output.size(); ++i) {
            EXPECT_GE(r.output[i], std::trunc(c * k.low / (k.low + 1)));
            EXPECT_LE(r.output[i], std::trunc(c * k.high / (k.high + 1)) + 0.0);
            seen.insert(r.output[i]);
        }
        EXPECT_GT(seen.size(), 1U); // the window does move
    }
}

TEST_F(TimeEffects, SmoothFeedback) {
    const OperationDecl& op = smoothOperation();
    // LFO off: the ring receives s x (1 - g); a constant settles at that, averaged.
    const JobRun half =
        run(op, with(op, {{"L", 4}, {"fbGain", 50}, {"fbFreq", 0}}), Values(1000, 10001));
    EXPECT_EQ(half.output.back(), static_cast<std::int16_t>(5000 * 4 / 5));
    // A negative gain amplifies: the ring's values are clipped to 16 bits.
    const JobRun loud =
        run(op, with(op, {{"L", 4}, {"fbGain", -100}, {"fbFreq", 0}}), Values(1000, 30000));
    EXPECT_EQ(loud.output.back(), static_cast<std::int16_t>(32767 * 4 / 5));
    // With the LFO on the output feeds back; every value stays a 16-bit value and the run ends.
    const JobRun fed =
        run(op, with(op, {{"L", 8}, {"lfoFreq", 2}, {"fbGain", -100}, {"fbFreq", 3}}),
            test::ramp(70000, -32768, 4099));
    EXPECT_EQ(fed.outcome, JobOutcome::Completed);
    EXPECT_EQ(fed.output.size(), 70000U);
}

TEST_F(TimeEffects, Substract) {
    const OperationDecl& op = substractOperation();
    struct Case {
        int delay;
        double subGain, fbGain;
        Values in, out;
    };
    const Case cases[] = {
        {1, 100, 0, {100, 100, 100, 100}, {50, 50, 0, 0}},
        // g = 0.1 in single precision is a hair above 0.1: 1002 - 1000.00001 halves to 0.
        {1, 10, 0, {10000, 0, 1002}, {5000, 0, 0}},
        // A negative gain adds the delayed copy, and the halving keeps it in range.
        {1, -100, 0, Values(6, 30000), {15000, 15000, 30000, 30000, 30000, 30000}},
        // Feedback of 1/128 or less is off.
        {1, 100, 0.5, {100, 100, 100, 100}, {50, 50, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(
            run(op, with(op, {{"D", c.delay}, {"subGain", c.subGain}, {"fbGain", c.fbGain}}), c.in)
                .output,
            c.out);
    }
    // Feedback on, across blocks: the delay line and the previous output carry on.
    const Values in = test::ramp(130000, -30000, 4567);
    for (const auto& [delay, fb] : {std::pair{1, 50.0F}, {999, 90.0F}, {65535, 1.0F}})
        EXPECT_EQ(run(op, with(op, {{"D", delay}, {"subGain", 70}, {"fbGain", fb}}), in).output,
                  substractModel(in, delay, 70, fb))
            << delay;
}

TEST_F(TimeEffects, ZetaPitchBlocks) {
    const OperationDecl& op = zetaPitchOperation();
    const Values in = test::ramp(2002 * 3 + 500, 1, 1); // blocks of 1001 (block size 1000, odd)
    auto block = [&](const Values& out, std::size_t k, std::size_t g) {
        return Values(out.begin() + static_cast<long>(k * g),
                      out.begin() + static_cast<long>((k + 1) * g));
    };
    auto first = [&](std::size_t k, std::size_t count) {
        return Values(in.begin() + static_cast<long>(k * 1001),
                      in.begin() + static_cast<long>(k * 1001 + count));
    };
    { // 300 %: a block's first 1000 values three times, then its first 3.
        const Values out = run(op, with(op, {{"ratio", 300}}), in).output;
        ASSERT_EQ(out.size(), static_cast<std::size_t>(in.size() * 3));
        Values expected;
        for (int x = 0; x < 3; ++x) {
            const Values part = first(1, 1000);
            expected.insert(expected.end(), part.begin(), part.end());
        }
        const Values tail = first(1, 3);
        expected.insert(expected.end(), tail.begin(), tail.end());
        EXPECT_EQ(block(out, 1, 3003), expected);
    }
    { // 50 %: each block cut to its first half.
        const Values out = run(op, with(op, {{"ratio", 50}}), in).output;
        ASSERT_EQ(out.size(), in.size() / 2);
        EXPECT_EQ(block(out, 2, 500), first(2, 500));
    }
    { // 100 %: each block's first 1000 values, then its first one again.
        const Values out = run(op, with(op, {{"ratio", 100}}), in).output;
        ASSERT_EQ(out.size(), in.size());
        Values expected = first(0, 1000);
        expected.push_back(in[0]);
        EXPECT_EQ(block(out, 0, 1001), expected);
    }
}

TEST_F(TimeEffects, ZetaPitchEdges) {
    const OperationDecl& op = zetaPitchOperation();
    // A last block of 4 values whose second grain is empty: the run ends, with every value.
    const Values in = test::ramp(1005, 1, 1);
    const JobRun r = run(op, with(op, {{"ratio", 100}}), in);
    ASSERT_EQ(r.output.size(), 1005U);
    EXPECT_EQ(Values(r.output.end() - 4, r.output.end()), (Values{1002, 1003, 1004, 1002}));

    struct Case {
        double ratio;
        int blockSize;
        std::size_t values;
    };
    // Blocks whose output passes 64000 values (6400 at 1000 % gives 64010) or whose input does
    // (100000 at 50 % gives blocks of 64001): nothing overruns, the length follows the ratio.
    for (const Case& c : {Case{1000, 6400, 150000}, Case{50, 100000, 200000}, Case{1000, 100, 7}}) {
        SCOPED_TRACE(c.ratio);
        const JobRun big = run(op, with(op, {{"ratio", c.ratio}, {"blockSize", c.blockSize}}),
                               test::ramp(c.values, -9000, 3));
        EXPECT_EQ(big.outcome, JobOutcome::Completed);
        EXPECT_EQ(big.output.size(),
                  static_cast<std::size_t>(static_cast<double>(c.values) * c.ratio / 100));
    }
    // Too few values: refused with a message, no file.
    for (std::size_t n : {1U, 2U}) {
        reporter.reports.clear();
        const JobRun few = run(op, op.defaults(), test::ramp(n));
        EXPECT_EQ(few.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(few.written);
        EXPECT_EQ(reporter.reports.size(), 1U);
    }
    // Stereo shuffling of a mono file: a stereo result of exactly twice the values.
    for (std::size_t n : {3U, 1005U, 70001U}) {
        const JobRun shuffled = run(op, with(op, {{"ratio", 150}, {"shuffle", 1}}), test::ramp(n));
        EXPECT_EQ(shuffled.channels, 2);
        EXPECT_EQ(shuffled.output.size(),
                  2 * static_cast<std::size_t>(static_cast<double>(n) * 1.5))
            << n;
    }
    // A ratio so small that blocks give nothing: the whole result is padding of silence.
    const JobRun tiny = run(op, with(op, {{"ratio", 0.5}, {"blockSize", 100}}), Values(40000, 999));
    EXPECT_EQ(tiny.output, Values(200, 0));
}

TEST_F(TimeEffects, ResyncGapper) {
    const OperationDecl& op = resyncGapperOperation();
    const Values tenValues = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    struct Case {
        int initial, final;
        bool reverted;
        int channels;
        Values in, out;
    };
    const Case cases[] = {
        {4, 6, false, 1, tenValues, {1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 8, 8, 9, 10}},
        {4, 6, true, 1, tenValues, {4, 4, 4, 3, 2, 1, 8, 8, 8, 7, 6, 5, 10, 9}},
        {4, 2, false, 1, tenValues, {1, 2, 5, 6, 9, 10}},
        // Stereo: the last frame is held as a pair, and reversed it joins the reversed block.
        {2, 3, false, 2, {1, -1, 2, -2, 3, -3}, {1, -1, 2, -2, 2, -2, 3, -3}},
        {2, 3, true, 2, {1, -1, 2, -2, 3, -3}, {-2, 2, -2, 2, -1, 1, -3, 3}},
    };
    for (const Case& c : cases) {
        const JobRun r = run(op,
                             with(op, {{"initial", c.initial},
                                       {"final", c.final},
                                       {"reverted", c.reverted ? 1.0 : 0.0}}),
                             c.in, c.channels);
        EXPECT_EQ(r.output, c.out)
            << c.initial << " -> " << c.final << (c.reverted ? " reverted" : "");
    }
    // Stereo shuffling: blocks of 5 values become 6, the hold pair cut at 1 value; the
    // channels swap from one block to the next.
    const JobRun shuffled = run(op, with(op, {{"initial", 2}, {"final", 3}, {"shuffle", 1}}),
                                {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6}, 2);
    EXPECT_EQ(shuffled.output, (Values{1, -1, 2, -2, 3, -2, -3, 4, -4, 5, -5, 5, 6, -6}));
    // Shuffling a mono file is refused before anything is written.
    reporter.reports.clear();
    const JobRun mono = run(op, with(op, {{"shuffle", 1}}), tenValues);
    EXPECT_FALSE(mono.written);
    ASSERT_EQ(reporter.reports.size(), 1U);
    EXPECT_EQ(reporter.reports[0].text, "Function not available\non a mono source file.");
}

TEST_F(TimeEffects, StepperMethods) {
    const OperationDecl& op = stepperOperation();
    struct Case {
        const char* method;
        int channels;
        Values in, out;
    };
    const Case cases[] = {
        {"average", 1, {1, 2, 3, 4}, {2, 2, 2, 2}},
        {"maximize", 1, {3, -7, 32767, 5}, {-7, -7, -7, -7}},
        {"minimize", 1, {3, -7, 1, 5}, {1, 1, 1, 1}},
        {"first", 1, {3, -7, 1, 5}, {3, 3, 3, 3}},
        // Stereo: each channel on its own; a channel at 32767 keeps it.
        {"maximize", 2, {32767, 1, -5, -9, 32767, 4}, {32767, -9, 32767, -9, 32767, -9}},
        // Stereo average: each channel's sum over the step's value count.
        {"average", 2, {10, 20, 30, 40}, {10, 15, 10, 15}},
        // A stereo step of fewer than 4 values keeps its first frame when minimising.
        {"minimize", 2, {9, -9}, {9, -9}},
    };
    for (const Case& c : cases) {
        const JobRun r =
            run(op, with(op, {{"step", 32767}}, {{"method", c.method}}), c.in, c.channels);
        EXPECT_EQ(r.output, c.out) << c.method << " on " << c.channels;
    }
}

// Steps of an odd length are made even; the step that reaches the end is cut there, so the
// file holds exactly its source's number of values, each step one value.
TEST_F(TimeEffects, StepperWritesExactlyTheSourceLength) {
    const OperationDecl& op = stepperOperation();
    for (const auto& [step, n] :
         {std::pair{300, 1000U}, {300, 64001U}, {30, 100U}, {2, 10U}, {3, 200000U}}) {
        SCOPED_TRACE(std::to_string(step) + " on " + std::to_string(n));
        const Values in = test::ramp(n, -30000, 13);
        const JobRun r = run(op, with(op, {{"step", step}}, {{"method", "first"}}), in);
        ASSERT_EQ(r.output.size(), n);
        // Every value is the first of its run: runs start where a new value appears.
        for (std::size_t k = 1; k < n; ++k)
            if (r.output[k] != r.output[k - 1]) {
                EXPECT_EQ(r.output[k], in[k]);
            }
        EXPECT_EQ(r.output[0], in[0]);
    }
}

// A word none of a radio group's buttons has is refused while the settings are decoded, before
// the source is looked at (the source named here does not exist, so opening it would have been
// reported): never taken for the group's first or last choice, as these effects once did.
TEST_F(TimeEffects, AChoiceWordNoButtonHasIsRefusedBeforeTheSourceIsOpened) {
    struct Case {
        const OperationDecl& op;
        Parameters p;
    };
    const OperationDecl& smooth = smoothOperation();
    const OperationDecl& stepper = stepperOperation();
    const OperationDecl& shadok = shadokEffectOperation();
    const OperationDecl& zone = silentZoneOperation();
    const Case cases[] = {
        // With the LFO on, any word but square or triangle was taken for sine.
        {smooth, with(smooth, {{"lfoFreq", 5}, {"lfoDepth", 100}}, {{"lfoShape", "Square"}})},
        // With it off, the shape was not read at all.
        {smooth, with(smooth, {{"lfoFreq", 0}}, {{"lfoShape", "sawtooth"}})},
        {stepper, with(stepper, {}, {{"method", "max"}})}, // was First
        {shadok, with(shadok, {}, {{"shape", "Sine"}})},   // was Square
        {zone, with(zone, {}, {{"detection", "noise"}})},  // was Silent
        {zone, with(zone, {}, {{"processing", "muted"}})}, // was Cut
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name));
        reporter.reports.clear();
        EXPECT_THROW(test::runOperation(c.op, c.p, {.source = dir.file("missing.wav")}, reporter,
                                        {.destination = dir.file("out.wav")}),
                     std::invalid_argument);
        EXPECT_TRUE(reporter.reports.empty());
    }
}

} // namespace
} // namespace sonarium
