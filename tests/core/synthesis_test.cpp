// The syntheses, run as the front ends run them: lengths from durations typed in single
// precision, each shape's landmark values, the LFO rules, the ramp, the random walk's sequence,
// the period chain's band and its carry across blocks, and write failures.
#include "base/random_generator.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"

#include <algorithm>
#include <gtest/gtest.h>

SONARIUM_DECLARE_OPERATION(affineSynthesis);
SONARIUM_DECLARE_OPERATION(gaussianSynthesis);
SONARIUM_DECLARE_OPERATION(shadokSynthesis);
SONARIUM_DECLARE_OPERATION(simpleSynthesis);

namespace sonarium {
namespace {

using test::JobRun;
using Values = std::vector<std::int16_t>;

class Syntheses : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;

    // The parameters the command line makes of these options (the dialog reads its fields the
    // same way).
    static Parameters options(const OperationDecl& op, std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"-o", "out.wav"});
        OperationArguments parsed;
        const auto problem = parseOperationArguments(op, arguments, parsed);
        EXPECT_FALSE(problem) << *problem;
        return parsed.parameters;
    }
    JobRun runWith(const OperationDecl& op, const Parameters& p) {
        return test::runOperation(op, p, {}, reporter, {.destination = dir.file("out.wav")});
    }
    JobRun run(const OperationDecl& op, std::vector<std::string> arguments) {
        return runWith(op, options(op, std::move(arguments)));
    }
    // A duration giving exactly `values` values, set directly in double precision.
    static Parameters lasting(const OperationDecl& op, std::uint32_t values) {
        Parameters p = op.defaults();
        p.setNumber("duration", (values + 0.5) / 44100.0);
        return p;
    }
};

TEST_F(Syntheses, LengthComesFromTheSinglePrecisionDuration) {
    struct Case {
        const OperationDecl& op;
        const char* duration;
        std::size_t values;
    };
    const Case cases[] = {
        {simpleSynthesisOperation(), "0.001", 44},    // 44.1 truncated
        {affineSynthesisOperation(), "0.0001", 4},    // below the label's lower bound
        {gaussianSynthesisOperation(), "1.3", 57329}, // 1.3f is 1.29999995...
        {shadokSynthesisOperation(), "1", 44100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name) + " " + c.duration);
        const JobRun r = run(c.op, {"--duration", c.duration});
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        EXPECT_EQ(r.output.size(), c.values);
        EXPECT_EQ(std::filesystem::file_size(dir.file("out.wav")), 44 + 2 * c.values + 82);
        EXPECT_EQ(r.channels, 1);
        EXPECT_EQ(r.progress.back(), 100);
        EXPECT_TRUE(reporter.reports.empty());
    }
    // Below the bounds the dialog takes, in single precision as well.
    OperationArguments parsed;
    const std::vector<std::string> tooShort = {"--duration", "0.00009", "-o", "x.wav"};
    EXPECT_EQ(parseOperationArguments(affineSynthesisOperation(), tooShort, parsed),
              "Please enter a number between 0.0001 and 1000.");
    const std::vector<std::string> notAffine = {"--duration", "0.0001", "-o", "x.wav"};
    EXPECT_EQ(parseOperationArguments(simpleSynthesisOperation(), notAffine, parsed),
              "Please enter a number between 0.001 and 1000.");
}

TEST_F(Syntheses, SimpleShapes) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::pair<std::size_t, std::int16_t>> landmarks; // index, value
        std::int16_t lowest;
        std::int16_t highest;
    };
    const Case cases[] = {
        // One period of 1 Hz from 0, full scale at the quarter periods.
        {{}, {{0, 0}, {11025, 32767}, {22050, 0}, {33075, -32767}}, -32767, 32767},
        // Square opens with -32768 and holds the two extremes exactly.
        {{"--shape", "square"},
         {{0, -32768}, {1, 32767}, {22049, 32767}, {22050, -32768}, {44099, -32768}},
         -32768,
         32767},
        {{"--shape", "triangle"}, {{0, 0}, {11025, 32767}, {33075, -32767}}, -32767, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "sine" : c.arguments.back());
        const JobRun r = run(simpleSynthesisOperation(), c.arguments);
        ASSERT_EQ(r.output.size(), 44100U);
        for (const auto& [index, value] : c.landmarks)
            EXPECT_EQ(r.output[index], value) << index;
        EXPECT_EQ(*std::min_element(r.output.begin(), r.output.end()), c.lowest);
        EXPECT_EQ(*std::max_element(r.output.begin(), r.output.end()), c.highest);
        if (c.lowest == -32768) {
            EXPECT_TRUE(std::all_of(r.output.begin(), r.output.end(),
                                    [](std::int16_t v) { return v == 32767 || v == -32768; }));
        }
    }
}

// Each LFO setting against the plain tone it must equal, or must differ from.
TEST_F(Syntheses, SimpleLfoRules) {
    const OperationDecl& op = simpleSynthesisOperation();
    const std::vector<std::string> tone = {"--frequency", "100", "--duration", "0.5"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> all = tone;
        all.insert(all.end(), extra.begin(), extra.end());
        return run(op, all).output;
    };
    const Values plain = with({});
    const Values faster = with({"--frequency", "150"}); // the later option wins
    struct Case {
        std::vector<std::string> lfo;
        const Values* equals; // nullptr: differs from the plain tone
    };
    const Case cases[] = {
        // Depth without LFO frequency: the square rule with sin 0, a steady 1.5 × F, whatever
        // shape is asked for.
        {{"--lfo-depth", "50"}, &faster},
        {{"--lfo-depth", "50", "--lfo-shape", "triangle"}, &faster},
        // LFO frequency without depth: the plain tone.
        {{"--lfo-frequency", "5"}, &plain},
        {{"--lfo-frequency", "5", "--lfo-shape", "sine"}, &plain},
        {{"--lfo-frequency", "5", "--lfo-depth", "50"}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lfo[0] + " " + c.lfo[1] + " " + c.lfo.back());
        const Values out = with(c.lfo);
        if (c.equals != nullptr) {
            EXPECT_TRUE(out == *c.equals);
        } else {
            EXPECT_FALSE(out == plain);
        }
    }
    // With the LFO running, no shape given is Sine.
    const std::vector<std::string> running = {"--lfo-frequency", "5", "--lfo-depth", "50"};
    std::vector<std::string> sine = running;
    sine.insert(sine.end(), {"--lfo-shape", "sine"});
    EXPECT_TRUE(with(running) == with(sine));
}

TEST_F(Syntheses, AffineRamps) {
    struct Case {
        std::vector<std::string> arguments;
        Values expected; // the whole file when short, else its first and last values
    };
    const std::vector<std::string> four = {"--duration", "0.0001"};
    auto plus = [](std::vector<std::string> a, const std::vector<std::string>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {four, {0, 8191, 16383, 24575}},
        {plus(four, {"--origin", "100", "--end", "-100"}), {100, 50, 0, -50}},
        {plus(four, {"--origin", "-32768", "--end", "32767", "--curved"}),
         {-32767, -23170, 0, 23168}},
        // The defaults: a rise of 32767 / 44100 per value that stops one step short of 32767.
        {{}, {0, 32766}},
        {{"--origin", "-32768", "--end", "32767", "--curved"}, {-32767, 32766}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const JobRun r = run(affineSynthesisOperation(), c.arguments);
        ASSERT_FALSE(r.output.empty());
        if (r.output.size() == c.expected.size()) {
            EXPECT_EQ(r.output, c.expected);
        } else {
            EXPECT_EQ((Values{r.output.front(), r.output.back()}), c.expected);
        }
    }
    // Every variation method draws the same ramp.
    const test::Bytes linear =
        (run(affineSynthesisOperation(), {"--curved"}), test::readBytes(dir.file("out.wav")));
    for (const Choice& method : affineSynthesisOperation().field("method")->choices) {
        run(affineSynthesisOperation(), {"--curved", "--method", std::string(method.value)});
        EXPECT_TRUE(test::readBytes(dir.file("out.wav")) == linear) << method.value;
    }
}

TEST_F(Syntheses, GaussianWalk) {
    const OperationDecl& op = gaussianSynthesisOperation();
    // Seed 1 draws 41, 18467, 6334, 26500, 19169: steps of trunc(5000 × (2r / 32768 − 1)).
    const Values walk = run(op, {}).output;
    ASSERT_EQ(walk.size(), 44100U);
    EXPECT_EQ(Values(walk.begin(), walk.begin() + 5), (Values{-4987, -4352, -7419, -4332, -3483}));
    EXPECT_TRUE(run(op, {}).output == walk);
    EXPECT_FALSE(run(op, {"--seed", "2"}).output == walk);
    // At full variability the walk keeps hitting both bounds and stops there.
    const Values wild = run(op, {"--variability", "32767"}).output;
    EXPECT_GT(std::count(wild.begin(), wild.end(), std::int16_t{32767}), 100);
    EXPECT_GT(std::count(wild.begin(), wild.end(), std::int16_t{-32768}), 100);
}

// The positions of the values that open a square period: a square period is -32768 at its
// first value and +32767 at its second, so each rising edge is one value into a period.
std::vector<std::size_t> risingEdges(const Values& v) {
    std::vector<std::size_t> edges;
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i - 1] == -32768 && v[i] == 32767)
            edges.push_back(i - 1);
    return edges;
}

// The walk's blocks draw from the generator moved on to each range's start.
TEST(RandomDraws, DiscardMovesOnAsTheDrawsWould) {
    for (const std::uint64_t n : {0ULL, 1ULL, 2ULL, 3ULL, 7ULL, 8192ULL, 64000ULL, 1000003ULL}) {
        for (const std::uint32_t seed : {1U, 32767U, 0xFFFFFFFFU}) {
            RandomGenerator drawn(seed);
            for (std::uint64_t i = 0; i < n; ++i)
                drawn.next();
            RandomGenerator moved(seed);
            moved.discard(n);
            EXPECT_EQ(moved.state(), drawn.state()) << n << " draws from " << seed;
        }
    }
}

TEST_F(Syntheses, ShadokBandAndPeriods) {
    const OperationDecl& op = shadokSynthesisOperation();
    // Floor = ceiling: every period is 441 values at 100 Hz, whatever the seed or the mode.
    for (const auto& extra : std::vector<std::vector<std::string>>{
             {}, {"--seed", "777"}, {"--total-random"}, {"--shape", "square", "--seed", "9"}}) {
        SCOPED_TRACE(::testing::PrintToString(extra));
        std::vector<std::string> a = {"--floor-frequency", "100", "--ceiling-frequency", "100",
                                      "--duration",        "1"};
        a.insert(a.end(), extra.begin(), extra.end());
        const Values v = run(op, a).output;
        ASSERT_EQ(v.size(), 44100U);
        for (std::size_t i = 441; i < v.size(); ++i)
            ASSERT_EQ(v[i], v[i % 441]) << i;
    }
    // Floor above ceiling is the same band.
    for (const char* mode : {"--seed", "--total-random"}) {
        std::vector<std::string> a = {"--floor-frequency", "240", "--ceiling-frequency", "80"};
        std::vector<std::string> b = {"--floor-frequency", "80", "--ceiling-frequency", "240"};
        for (auto* args : {&a, &b}) {
            args->push_back(mode);
            if (std::string(mode) == "--seed")
                args->push_back("5");
        }
        EXPECT_TRUE(run(op, a).output == run(op, b).output) << mode;
    }

    // Above 44100 Hz a period still takes one value, and the job ends.
    const JobRun high = run(op, {"--floor-frequency", "60000", "--ceiling-frequency", "60000",
                                 "--duration", "0.01", "--shape", "square"});
    EXPECT_EQ(high.outcome, JobOutcome::Completed);
    EXPECT_EQ(high.output, Values(440, -32768)); // 0.01f × 44100 is 440.99999...

    // A deviation of 100 % on 1500..2000 Hz keeps every frequency in the band: every period
    // lasts from trunc(44100 / 2000) = 22 to trunc(44100 / 1500) = 29 values.
    for (const char* seed : {"1", "2", "12345", "32767"}) {
        const Values v =
            run(op, {"--floor-frequency", "1500", "--ceiling-frequency", "2000", "--max-deviation",
                     "100", "--shape", "square", "--seed", seed, "--duration", "1"})
                .output;
        const std::vector<std::size_t> starts = risingEdges(v);
        ASSERT_GT(starts.size(), 1500U) << seed;
        EXPECT_EQ(starts[0], 0U);
        for (std::size_t k = 1; k < starts.size(); ++k) {
            const std::size_t length = starts[k] - starts[k - 1];
            ASSERT_TRUE(length >= 22 && length <= 29) << seed << " period " << k << ": " << length;
        }
    }
}

// Value i of a square period of `length` values: -32768 first, +32767 through the first half,
// -32768 through the second.
std::int16_t squarePeriod(std::size_t i, std::size_t length) {
    return i != 0 && 2 * i < length ? std::int16_t{32767} : std::int16_t{-32768};
}

// A period cut by a block's end goes on at the start of the next block, as long as that block
// keeps room for one value of a new period: a last block of one value starts a new period, and
// a period longer than a block is cut short after one block and one block less one value.
TEST_F(Syntheses, ShadokCarriesPeriodsAcrossBlocks) {
    const OperationDecl& op = shadokSynthesisOperation();
    struct Case {
        double frequency;
        std::size_t length; // values of a period
        std::uint32_t values;
        std::vector<std::size_t> starts; // where a period opens
    };
    auto every441 = [](std::size_t upTo, std::vector<std::size_t> more) {
        std::vector<std::size_t> s;
        for (std::size_t i = 0; i < upTo; i += 441)
            s.push_back(i);
        s.insert(s.end(), more.begin(), more.end());
        return s;
    };
    const Case cases[] = {
        {100, 441, 64000, every441(64000, {})},            // two blocks of 32000
        {100, 441, 64001, every441(64000, {64000})},       // 32000, 32000, 1
        {100, 441, 128002, every441(128001, {128001})},    // 3 × 42667, 1
        {0.2, 220500, 64000, {0, 63999}},                  // 2 × 32000
        {0.2, 220500, 128002, {0, 85333, 128000, 128001}}, // 3 × 42667, 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.frequency) + " Hz, " + std::to_string(c.values));
        Parameters p = lasting(op, c.values);
        p.setNumber("floorFrequency", c.frequency);
        p.setNumber("ceilingFrequency", c.frequency);
        p.setText("shape", "square");
        Values expected;
        for (std::size_t k = 0; k < c.starts.size(); ++k) {
            const std::size_t end = k + 1 < c.starts.size() ? c.starts[k + 1] : c.values;
            for (std::size_t i = 0; c.starts[k] + i < end; ++i)
                expected.push_back(squarePeriod(i, c.length));
        }
        EXPECT_TRUE(runWith(op, p).output == expected);
    }
}

// A full device: the first failed write says so once, with each synthesis's icon, after the
// progress of that block (set before the write) or before it (set after the write); the job
// ends and leaves no file.
TEST_F(Syntheses, AFailedWriteEndsTheJob) {
    struct Case {
        const OperationDecl& op;
        MessageIcon icon;
        std::vector<int> progress;
    };
    const Case cases[] = {
        {simpleSynthesisOperation(), MessageIcon::None, {20, 40, 60}},
        {gaussianSynthesisOperation(), MessageIcon::None, {20, 40, 60}},
        {shadokSynthesisOperation(), MessageIcon::None, {20, 40, 60}},
        {affineSynthesisOperation(), MessageIcon::Warning, {20, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op.name));
        reporter.reports.clear();
        // 200001 values are five blocks of 50000, 50000, 50000, 50000 and 1; room for two.
        BinaryFile::limitCreatedFilesForTesting(44 + 2 * 2 * 50000);
        const JobRun r = runWith(c.op, lasting(c.op, 200001));
        BinaryFile::limitCreatedFilesForTesting(-1);
        EXPECT_EQ(r.outcome, JobOutcome::EndedWithMessage);
        EXPECT_FALSE(r.written);
        EXPECT_EQ(r.writeFailures, 1);
        EXPECT_EQ(r.progress, c.progress);
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_TRUE(
            reporter.reports[0].text.starts_with(std::string(kWriteErrorText) + "\n\nFile "))
            << reporter.reports[0].text;
        EXPECT_TRUE(reporter.reports[0].text.ends_with("\nNo space left on device"));
        EXPECT_EQ(reporter.reports[0].icon, c.icon);
    }
}

// A stop asked for during the first block ends the job there and leaves no file.
TEST_F(Syntheses, AStopLeavesNoFile) {
    struct StopAfterFirstBlock final : Progress {
        int blocks = 0;
        void setProgress(int) override { ++blocks; }
        bool cancelRequested() override { return blocks > 0; }
    };
    for (const OperationDecl* op : {&simpleSynthesisOperation(), &affineSynthesisOperation(),
                                    &gaussianSynthesisOperation(), &shadokSynthesisOperation()}) {
        SCOPED_TRACE(std::string(op->name));
        StopAfterFirstBlock progress;
        WaveContext wave{reporter, "", {}};
        const std::string out = dir.file("stopped.wav");
        JobContext context{.wave = wave,
                           .progress = progress,
                           .destination = [&out] { return out; },
                           .result = ResultFile::Finish};
        EXPECT_EQ(op->run(context, lasting(*op, 200001)), JobOutcome::Cancelled);
        EXPECT_EQ(progress.blocks, 1);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    }
    EXPECT_TRUE(reporter.reports.empty());
}

} // namespace
} // namespace sonarium
