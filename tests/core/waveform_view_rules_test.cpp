// The rules behind the waveform window: the generator, waveform colours, readout texts and
// selections by mouse.
#include "base/random_generator.h"
#include "display/readouts.h"
#include "display/selection.h"
#include "display/wave_colour.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

TEST(RandomGenerator, FollowsTheClassicSequence) {
    RandomGenerator random(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected)
        EXPECT_EQ(random.next(), value);
    random.seed(0);
    EXPECT_EQ(random.next(), 38);
    EXPECT_EQ(random.state(), 2531011U);
}

TEST(WaveColour, FixedAndRandomColours) {
    EXPECT_EQ(chooseWaveColour(false, false, 5), (Rgb{0, 0, 128}));
    EXPECT_EQ(chooseWaveColour(false, true, 5), (Rgb{0, 128, 0}));
    for (std::uint32_t seed = 0; seed < 3000; seed += 7) {
        SCOPED_TRACE(seed);
        const Rgb green = chooseWaveColour(true, true, seed);
        EXPECT_GE(green.green, 64);
        EXPECT_LE(green.green, 191);
        EXPECT_LE(green.blue, 63);
        EXPECT_LE(green.red, 63);
        EXPECT_LT(green.blue, green.green);
        EXPECT_LT(green.red, green.green);
        const Rgb blue = chooseWaveColour(true, false, seed);
        EXPECT_GE(blue.blue, 32);
        EXPECT_LE(blue.blue, 159);
        EXPECT_LE(blue.green, 127);
        EXPECT_LE(blue.red + blue.green + blue.blue, 255);
        EXPECT_GE(blue.red, 0);
        EXPECT_EQ(chooseWaveColour(true, false, seed), blue); // the seed decides
    }
    // Seed 1 draws 41, 18467, 6334: blue 41 + 32, green 35 * 182 / 255, red 190 * 158 / 255.
    EXPECT_EQ(chooseWaveColour(true, false, 1), (Rgb{117, 24, 73}));
}

TEST(Readouts, Texts) {
    struct Case {
        std::string actual;
        std::string expected;
    };
    const Case cases[] = {
        {lengthReadout(65.5), "Length= 01:05.500 s"},
        {lengthReadout(605.0), "Length= 10:05.000 s"},
        {lengthReadout(0.0), "Length= 00:00.000 s"},
        {lengthReadout(59.25), "Length= 00:59.250 s"},
        {lengthReadout(6000.125), "Length= 100:00.125 s"},
        {lengthReadout(9.9996), "Length= 00:10.000 s"},
        {lengthReadout(59.9999), "Length= 01:00.000 s"},
        {positionReadout(-3.0), "Position= 00:00.000 s"},
        {positionReadout(754.5), "Position= 12:34.500 s"},
        {scaleReadout(490.0), "Scale= 1:490"},
        {scaleReadout(0.5), "Scale= 2.0:1"},
        {scaleReadout(1.0), "Scale= 1:1"},
        {channelsReadout(2), "Stereo"},
        {channelsReadout(1), "Mono  "},
        {rateReadout(44100), "44100 Hz"},
        // Times at the file's own rate; an end before the start reads as an empty selection.
        {selectionReadout(24000, 36000, 48000),
         "Selection= 00:00.500 - 00:00.750 s (00:00.250 s), frames 24000 - 36000 (12000)"},
        {selectionReadout(0, 44100 * 61, 44100),
         "Selection= 00:00.000 - 01:01.000 s (01:01.000 s), frames 0 - 2690100 (2690100)"},
        {selectionReadout(500, 400, 8000),
         "Selection= 00:00.063 - 00:00.063 s (00:00.000 s), frames 500 - 500 (0)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.actual, c.expected);
}

TEST(Selection, ColumnsMapToWholeFrames) {
    struct Case {
        int x;
        std::uint32_t dataSize;
        int channels;
        std::uint32_t offset;
    };
    const Case cases[] = {
        {0, 90000, 1, 0},
        {1, 90000, 1, 200},
        {225, 90000, 1, 45000},
        {450, 90000, 1, 90000},
        {451, 90000, 1, 90000},
        {9000, 90000, 2, 90000},
        {-4, 90000, 1, 0},
        {1, 1000, 1, 2},
        {1, 1000, 2, 0},
        {7, 1000, 2, 12},
        {449, 4000000000, 2, 3991111108},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(offsetAtColumn(c.x, c.dataSize, c.channels), c.offset);
    }
}

TEST(Selection, Gestures) {
    struct Case {
        Selection before;
        Gesture gesture;
        std::uint32_t offset;
        Selection after;
    };
    constexpr std::uint32_t kSize = 10000;
    const Case cases[] = {
        {{0, 1000}, Gesture::Left, 3000, {1000, 3000}}, // past the end: the old end starts
        {{0, 5000}, Gesture::Left, 3000, {3000, 5000}},
        {{2000, 5000}, Gesture::ShiftLeft, 6000, {6000, 9000}},
        {{2000, 5000}, Gesture::ShiftLeft, 8000, {8000, kSize}},
        {{2000, 5000}, Gesture::Right, 4000, {2000, 4000}},
        {{2000, 5000}, Gesture::Right, 1000, {1000, 2000}}, // before the start
        {{2000, 5000}, Gesture::Right, 2000, {2000, 2000}},
        {{2000, 5000}, Gesture::ShiftRight, 8000, {5000, 8000}},
        {{2000, 5000}, Gesture::ShiftRight, 1000, {0, 1000}},
        {{2000, 5000}, Gesture::LeftDoubleClick, 0, {0, 5000}},
        {{2000, 5000}, Gesture::RightDoubleClick, 0, {2000, kSize}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.gesture));
        EXPECT_EQ(applyGesture(c.before, c.gesture, c.offset, kSize), c.after);
    }
}

TEST(Selection, InvertedColumns) {
    struct Case {
        Selection selection;
        int first;
        int last;
    };
    const Case cases[] = {
        {{0, 9000}, 0, 450}, {{20, 9000}, 1, 450}, {{0, 8999}, 0, 449}, {{4500, 6000}, 225, 300}};
    for (const Case& c : cases) {
        const ColumnSpan span = selectionColumns(c.selection, 9000);
        EXPECT_EQ(span.first, c.first);
        EXPECT_EQ(span.last, c.last);
    }
    EXPECT_FALSE(hasSelection({0, 9000}, 9000));
    EXPECT_TRUE(hasSelection({0, 8996}, 9000));
}

} // namespace
} // namespace sonarium
