// Files at other rates than 44100 Hz: every result plays at its Source's speed, and what an
// operation counts in seconds or hertz it counts in real time at the file's rate.
#include "operations/editing/save_copy.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace sonarium {
namespace {

std::vector<std::int16_t> sweep(std::size_t frames, int channels) {
    std::vector<std::int16_t> values;
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            values.push_back(static_cast<std::int16_t>(
                20000 * std::sin(0.0003 * static_cast<double>(i * i % 100000) + c)));
    return values;
}

struct Inputs {
    std::string mono, stereo, monoAux, stereoAux;
};

Inputs writeInputs(const test::TempDir& dir, int rate) {
    const std::string r = std::to_string(rate);
    return {test::writeWave(dir.file("mono" + r + ".wav"), sweep(30001, 1), 1, rate),
            test::writeWave(dir.file("stereo" + r + ".wav"), sweep(20001, 2), 2, rate),
            test::writeWave(dir.file("mono-aux" + r + ".wav"), sweep(25001, 1), 1, rate),
            test::writeWave(dir.file("stereo-aux" + r + ".wav"), sweep(15001, 2), 2, rate)};
}

JobInput inputFor(const OperationDecl& op, const Inputs& files, bool stereo) {
    JobInput input{.source = stereo ? files.stereo : files.mono};
    if (op.input == InputKind::Two)
        input.aux = stereo ? files.stereoAux : files.monoAux;
    if (op.input == InputKind::OneWithSelection)
        input.selection = {1000, 12000};
    return input;
}

Parameters defaultsWithSeed(const OperationDecl& op) {
    Parameters p = op.defaults();
    for (const FieldSpec& f : op.fields)
        if (f.member == "seed" && f.defaultValue < 0)
            p.setNumber(f.member, 7);
    return p;
}

// Every operation at its defaults on 48000 and 22050 Hz files: its results carry the Source's
// rate (syntheses 44100 Hz, Sampling Rate Conversion the rate asked), and hold as many values as
// the same run on a 44100 Hz file of the same values, except where the operation counts a
// duration in seconds (Shadok effect: trunc(seconds x R) values; the silence inserted).
TEST(SampleRates, ResultsKeepTheSourcesRateAndTheirDurationRule) {
    test::TempDir dir;
    const Inputs reference = writeInputs(dir, 44100);
    for (const int rate : {48000, 22050}) {
        const Inputs files = writeInputs(dir, rate);
        for (const OperationDecl* op : allOperations()) {
            for (const bool stereo : {false, true}) {
                SCOPED_TRACE(std::string(op->name) + (stereo ? " stereo " : " mono ") +
                             std::to_string(rate));
                const Parameters p = defaultsWithSeed(*op);
                test::RecordingReporter reporter, referenceReporter;
                const std::string out = dir.file("result.wav");
                const std::string referenceOut = dir.file("reference.wav");
                const test::JobRun run = test::runOperation(*op, p, inputFor(*op, files, stereo),
                                                            reporter, {.destination = out});
                const test::JobRun expected =
                    test::runOperation(*op, p, inputFor(*op, reference, stereo), referenceReporter,
                                       {.destination = referenceOut});
                ASSERT_EQ(run.written, expected.written);
                EXPECT_EQ(reporter.texts().size(), referenceReporter.texts().size());
                if (!run.written)
                    continue;
                int expectedRate = rate;
                if (op->input == InputKind::None)
                    expectedRate = 44100;
                else if (op->name == "sampling-rate-conversion")
                    expectedRate = static_cast<int>(p.number("outputRate"));
                EXPECT_EQ(run.rate, expectedRate);
                if (run.secondWritten) {
                    EXPECT_EQ(run.secondRate, expectedRate);
                }
                if (op->name == "shadok-effect") {
                    EXPECT_EQ(run.output.size(),
                              static_cast<std::size_t>(p.number("duration") * rate));
                    continue;
                }
                if (op->name == "insert-silence") {
                    // The silence lasts its seconds at the file's rate.
                    const std::size_t source = stereo ? 40002 : 30001;
                    EXPECT_EQ(run.output.size() - source, (expected.output.size() - source) *
                                                              static_cast<std::size_t>(rate) /
                                                              44100);
                    continue;
                }
                EXPECT_EQ(run.output.size(), expected.output.size());
                EXPECT_EQ(run.channels, expected.channels);
            }
        }
    }
}

// Sign changes per second of a result: its frequency in real time, twice over.
double crossingsPerSecond(const std::vector<std::int16_t>& values, int rate) {
    int crossings = 0;
    for (std::size_t i = 1; i < values.size(); ++i)
        crossings += (values[i - 1] < 0) != (values[i] < 0);
    return crossings * static_cast<double>(rate) / static_cast<double>(values.size());
}

// The oscillators of the effects turn at the same frequency in hertz whatever the file's rate: a
// constant input gives a tone whose frequency only the settings decide.
TEST(SampleRates, OscillatorsTurnInRealTime) {
    struct Case {
        const char* operation;
        const char* formula; // the formula text, for Simple Formula
    };
    const Case cases[] = {
        {"simple-formula", "G"},
        {"simple-formula", "K"},
        {"frequential-projection", nullptr},
        {"shadok-effect", nullptr},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        const OperationDecl* op = findOperation(c.operation);
        ASSERT_NE(op, nullptr) << c.operation;
        Parameters p = op->defaults();
        if (c.formula != nullptr)
            p.setText("formula", c.formula);
        if (op->name == "shadok-effect")
            p.setNumber("duration", 1);
        std::vector<double> tones;
        for (const int rate : {22050, 44100, 48000}) {
            SCOPED_TRACE(std::string(c.operation) + " at " + std::to_string(rate));
            // Under one block of values, so that the time index runs on without a restart.
            const std::string source = test::writeWave(
                dir.file("level.wav"),
                std::vector<std::int16_t>(static_cast<std::size_t>(rate), 700), 1, rate);
            test::RecordingReporter reporter;
            const std::string out = dir.file("tone.wav");
            const test::JobRun run =
                test::runOperation(*op, p, {.source = source}, reporter, {.destination = out});
            ASSERT_TRUE(run.written);
            EXPECT_EQ(run.rate, rate);
            tones.push_back(crossingsPerSecond(run.output, rate));
        }
        SCOPED_TRACE(std::string(c.operation) + (c.formula ? c.formula : ""));
        EXPECT_GT(tones[1], 10.0);
        EXPECT_NEAR(tones[0], tones[1], tones[1] * 0.02);
        EXPECT_NEAR(tones[2], tones[1], tones[1] * 0.02);
    }
}

// Two files of different rates: the user is asked before the Aux's values are taken at the
// Source's rate; declining leaves nothing.
TEST(SampleRates, AnAuxOfAnotherRateIsAskedAbout) {
    test::TempDir dir;
    const std::string source = test::writeWave(dir.file("s.wav"), sweep(5000, 1), 1, 48000);
    const std::string aux = test::writeWave(dir.file("a.wav"), sweep(4000, 1), 1, 22050);
    for (const Answer answer : {Answer::Cancel, Answer::Ok}) {
        for (const char* name : {"mix", "multiply", "merge", "insert-auxiliary"}) {
            SCOPED_TRACE(std::string(name) + (answer == Answer::Ok ? " ok" : " cancel"));
            const OperationDecl* op = findOperation(name);
            ASSERT_NE(op, nullptr);
            test::RecordingReporter reporter;
            reporter.answers = {answer};
            const std::string out = dir.file("r.wav");
            const test::JobRun run =
                test::runOperation(*op, op->defaults(), {.source = source, .aux = aux}, reporter,
                                   {.destination = out});
            ASSERT_FALSE(reporter.reports.empty());
            EXPECT_EQ(reporter.reports[0].text,
                      "The auxiliary file plays at 22050 Hz,\nthe source file at 48000 Hz.\n\nThe "
                      "auxiliary's values will be taken\none for one, at the source's rate.");
            EXPECT_EQ(run.written, answer == Answer::Ok);
            if (run.written) {
                EXPECT_EQ(run.rate, 48000);
            }
        }
    }
}

// Save As copies the file as it is: any rate, depth and chunk survives byte for byte.
TEST(SampleRates, SaveAsCopiesBytes) {
    test::TempDir dir;
    const OperationDecl* volume = findOperation("volume");
    ASSERT_NE(volume, nullptr);
    test::WaveSpec shape;
    shape.rate = 22050;
    shape.bits = 24;
    shape.channels = 2;
    shape.samples = test::ramp(3000);
    const std::string source = dir.file("take.wav");
    test::writeBytes(source, test::buildWave(shape));
    const std::string target = dir.file("copy.wav");
    test::RecordingReporter reporter;
    NullProgress progress;
    const WaveContext wave{reporter, ""};
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = source},
                       .destination = [&] { return target; },
                       .result = ResultFile::Finish};
    EXPECT_EQ(saveAsCopy(context), JobOutcome::Completed);
    EXPECT_EQ(test::readBytes(target), test::readBytes(source));
    EXPECT_TRUE(reporter.reports.empty());
}

} // namespace
} // namespace sonarium
