// The selection edits on real files: the seconds conversions, every job at the piece boundaries
// against a plain in-memory model, the fade gains, and the rules of the position dialogs.
#include "operations/editing/edit_positions.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <locale>

SONARIUM_DECLARE_OPERATION(select);
SONARIUM_DECLARE_OPERATION(extract);
SONARIUM_DECLARE_OPERATION(remove);
SONARIUM_DECLARE_OPERATION(mute);
SONARIUM_DECLARE_OPERATION(reverse);
SONARIUM_DECLARE_OPERATION(invert);
SONARIUM_DECLARE_OPERATION(fade);
SONARIUM_DECLARE_OPERATION(selectionPosition);

namespace sonarium {
namespace {

using Values = std::vector<std::int16_t>;

TEST(EditPositions, SecondsToOffset) {
    // 16-bit stereo at 1000 Hz: 4 bytes a frame, 4000 bytes a second, 10000 bytes of data.
    const EditFormat format{.bytesPerValue = 2, .channels = 2, .rate = 1000, .dataSize = 10000};
    struct Case {
        const char* text;
        std::uint32_t offset;
    };
    const Case cases[] = {
        {"0.5", 2000},
        {"  \t1.25", 5000},
        {"1.5s and more", 6000},
        {"abc", 0},
        {"", 0},
        {".", 0},
        {"-1", 0},
        {"-0.0001", 0},
        {"2e-1", 800},
        {"1e", 4000},
        {"2.5", 10000},
        {"7", 10000},
        {"1e999", 10000},
        {"inf", 10000},
        {"nan", 0},
        {"+0.25", 1000},
        {"0.00024", 0},
        {"0.0003", 1},
        {"0x1p-1", 2000},
        {"0,5", 0},
        {"1.9999999999", 7999},
        // One sign only, and a hexadecimal fraction with no digit before its point, as the C
        // library reads them.
        {"--1", 0},
        {"+-2", 0},
        {"-+1", 0},
        {"0x.8", 2000},
        {"0X.8p1", 4000},
        {"0x.", 0},
        {"0x1p+-1", 4000}, // the exponent is not a number: 1 s
        {"0x.8p--1", 2000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecondsToOffset(c.text, format), c.offset) << '"' << c.text << '"';
    // Numbers beyond a double lie above or below its range by their digits and exponent
    // together, not by the exponent's sign alone.
    const std::string many(400, '3');
    const std::pair<std::string, std::uint32_t> beyond[] = {
        {"1" + std::string(400, '0') + "e-1", 10000},
        {"0." + std::string(400, '0') + "1e+5", 0},
        {"0x" + many + "p-0", 10000},
        {"0x0." + many + "p-9999", 0},
        {many + "e-100000000000000000000", 0},
        {"0.000" + many + "e99999999999", 10000},
    };
    for (const auto& [text, offset] : beyond)
        EXPECT_EQ(SecondsToOffset(text, format), offset) << text.substr(0, 12);
    EXPECT_EQ(endOffset("", format), 10000U);
    EXPECT_EQ(endOffset("0", format), 0U);
}

// The C library's and C++'s number conversions follow the locale; these do not.
TEST(EditPositions, CommaLocalesChangeNothing) {
    const EditFormat format{.bytesPerValue = 2, .channels = 1, .rate = 44100, .dataSize = 1 << 30};
    struct CommaPoint : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale(), new CommaPoint));
    const std::string previousC = std::setlocale(LC_NUMERIC, nullptr);
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "fr_FR"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr)
            break;
    EXPECT_EQ(SecondsToOffset("0,5", format), 0U);
    EXPECT_EQ(SecondsToOffset("0.5", format), 44100U);
    EXPECT_EQ(offsetToSeconds(44100, format), "0.500");
    std::setlocale(LC_NUMERIC, previousC.c_str());
    std::locale::global(previous);
}

TEST(EditPositions, OffsetToSecondsAndSelections) {
    const EditFormat stereo{.bytesPerValue = 2, .channels = 2, .rate = 44100, .dataSize = 700000};
    EXPECT_EQ(offsetToSeconds(0, stereo), "0.000");
    EXPECT_EQ(offsetToSeconds(176400, stereo), "1.000");
    EXPECT_EQ(offsetToSeconds(700000, stereo), "3.968");
    EXPECT_EQ(offsetToSeconds(4, stereo), "0.000");
    // Single precision: 65.5 s of 8-bit mono at 3 Hz would print the float's value.
    const EditFormat slow{.bytesPerValue = 1, .channels = 1, .rate = 3, .dataSize = 1000};
    EXPECT_EQ(offsetToSeconds(1, slow), "0.333");
    struct Case {
        FrameSpan frames;
        std::uint32_t start;
        std::uint32_t length;
    };
    const Case cases[] = {
        {{}, 0, 700000},
        {{.first = 10, .count = 5}, 40, 20},
        {{.first = 174999, .count = 10}, 699996, 4},
        {{.first = 175000, .count = 10}, 700000, 0},
        {{.first = 4000000000U, .count = 4000000000U}, 700000, 0},
        {{.first = 7, .count = 0}, 28, 0},
    };
    for (const Case& c : cases) {
        const ByteSpan span = selectionBytes(c.frames, stereo);
        EXPECT_EQ(span.start, c.start) << c.frames.first;
        EXPECT_EQ(span.length, c.length) << c.frames.first;
    }
}

class SelectionEdits : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    std::string out = dir.file("out.wav");

    std::string source(const Values& values, int channels, int rate = 44100) {
        return test::writeWave(dir.file("source.wav"), values, channels, rate);
    }
    test::JobRun run(const OperationDecl& op, const Values& values, int channels,
                     const FrameSpan& selection = {}, const Parameters* p = nullptr) {
        const std::string path = source(values, channels);
        return test::runOperation(op, p != nullptr ? *p : op.defaults(),
                                  {.source = path, .selection = selection}, reporter,
                                  {.destination = out});
    }
    static Parameters positions(const OperationDecl& op, const std::string& start,
                                const std::string& end) {
        Parameters p = op.defaults();
        p.setText("start", start);
        p.setText("end", end);
        return p;
    }
};

// The model of each selection job on values: the selection [s, s + n) of the values.
Values modelEdit(const std::string& name, Values v, std::size_t s, std::size_t n) {
    const auto first = v.begin() + static_cast<std::ptrdiff_t>(s);
    const auto last = first + static_cast<std::ptrdiff_t>(n);
    if (name == "crop")
        return Values(v.begin() + static_cast<std::ptrdiff_t>(s & ~std::size_t{1}),
                      v.begin() + static_cast<std::ptrdiff_t>((s + n) & ~std::size_t{1}));
    if (name == "remove-selection")
        v.erase(first, last);
    else if (name == "mute-selection")
        std::fill(first, last, 0);
    else if (name == "reverse")
        std::reverse(first, last);
    else if (name == "invert")
        std::transform(first, last, first, [](std::int16_t x) { return std::int16_t(-x - 1); });
    return v;
}

TEST_F(SelectionEdits, EveryJobAtPieceBoundariesMatchesTheModel) {
    // 128002 values; the selections in bytes: 0, one frame, 64000, 64002 (mono), 70000, and
    // from the middle of a piece to the end.
    const Values values = test::ramp(128002, -32768, 977);
    for (int channels : {1, 2}) {
        const std::size_t frame = 2 * static_cast<std::size_t>(channels);
        for (std::size_t startBytes : {std::size_t{0}, std::size_t{4}, std::size_t{60000}}) {
            for (std::size_t lengthBytes :
                 {std::size_t{0}, frame, std::size_t{64000}, std::size_t{64002}, std::size_t{70000},
                  2 * values.size() - startBytes}) {
                if (lengthBytes % frame != 0)
                    continue;
                const FrameSpan span{.first = static_cast<std::uint32_t>(startBytes / frame),
                                     .count = static_cast<std::uint32_t>(lengthBytes / frame)};
                for (const char* name :
                     {"crop", "remove-selection", "mute-selection", "reverse", "invert"}) {
                    SCOPED_TRACE(std::string(name) + " of " + std::to_string(lengthBytes) +
                                 " bytes from " + std::to_string(startBytes) + ", " +
                                 std::to_string(channels) + " channel(s)");
                    const test::JobRun r = run(*findOperation(name), values, channels, span);
                    const bool refused = (lengthBytes == 0 && std::string(name) == "crop") ||
                                         (lengthBytes == 2 * values.size() &&
                                          std::string(name) == "remove-selection");
                    if (refused) {
                        EXPECT_FALSE(r.written);
                        continue;
                    }
                    ASSERT_EQ(r.outcome, JobOutcome::Completed);
                    EXPECT_EQ(r.output, modelEdit(name, values, startBytes / 2, lengthBytes / 2));
                    ASSERT_FALSE(r.progress.empty());
                    EXPECT_EQ(r.progress.back(), 100);
                    EXPECT_TRUE(std::is_sorted(r.progress.begin(), r.progress.end()));
                }
            }
        }
    }
}

// A fade reaches k × 64000 / D of its way at the start of piece k + 1 and ramps linearly inside
// each piece: on a constant signal the value at a piece start is the constant times that gain.
TEST_F(SelectionEdits, FadeGainsAtPieceStarts) {
    const std::int16_t level = 30000;
    const Values flat(200000, level);
    for (const std::uint32_t bytes : {70000U, 128000U, 200000U, 300002U}) {
        for (const char* name : {"fade-in", "fade-out"}) {
            SCOPED_TRACE(std::string(name) + " over " + std::to_string(bytes) + " bytes");
            const bool in = std::string(name) == "fade-in";
            const test::JobRun r =
                run(*findOperation(name), flat, 1, {.first = 1000, .count = bytes / 2});
            ASSERT_EQ(r.outcome, JobOutcome::Completed);
            ASSERT_EQ(r.output.size(), flat.size());
            EXPECT_EQ(r.output[999], level);              // before: unchanged
            EXPECT_EQ(r.output[1000 + bytes / 2], level); // after: unchanged
            EXPECT_EQ(r.output[1000], in ? 0 : level);    // the first value: g0 exactly
            for (std::uint32_t k = 1; k * 64000 <= bytes - 2; ++k) {
                const double done = k * 64000.0 / bytes;
                const double gain = in ? done : 1 - done;
                EXPECT_EQ(r.output[1000 + k * 32000], std::int16_t(level * gain)) << k;
            }
            // Monotonic within the fade, ending near the far level.
            const auto first = r.output.begin() + 1000;
            const auto last = first + bytes / 2;
            if (in)
                EXPECT_TRUE(std::is_sorted(first, last));
            else
                EXPECT_TRUE(std::is_sorted(first, last, std::greater<>()));
            EXPECT_NEAR(*(last - 1), in ? level : 0, 2);
        }
    }
}

TEST_F(SelectionEdits, ReverseOfAStereoSelectionExchangesItsChannels) {
    const Values lr = {1, -1, 2, -2, 3, -3, 4, -4};
    const test::JobRun r = run(reverseOperation(), lr, 2, {.first = 1, .count = 2});
    EXPECT_EQ(r.output, (Values{1, -1, -3, 3, -2, 2, 4, -4}));
    const test::JobRun inv = run(invertOperation(), {0, 100, -32768, 32767}, 1);
    EXPECT_EQ(inv.output, (Values{-1, -101, 32767, -32768}));
}

TEST_F(SelectionEdits, ExtractRemoveAndMuteFromTypedPositions) {
    const Values stereo = test::ramp(2 * 100000, -20000, 13); // 100000 frames, 2.27 s
    struct Case {
        const char* op;
        const char* start;
        const char* end;
        std::size_t keepFrom; // values of the source the result starts with
        std::size_t keepCount;
        std::string message; // refused with this text
    };
    const Case cases[] = {
        {"extract", "0.000", "1.000", 0, 88200, ""},
        {"extract", "0.5", "", 44100, 200000 - 44100, ""},
        {"extract", "0.00001", "0.00002", 0, 0, ""}, // one 4-byte unit: a file with no data
        {"extract", "1", "1.0", 0, 0, "No data selected"},
        {"extract", "2", "1", 0, 0, "Selection is empty"},
        {"extract", "-5", "99", 0, 200000, ""},
        {"remove", "0.000", "", 0, 0, "Nothing to output,\nplease select a part of the file"},
        {"remove", "0", "2.2675", 0, 0, "Nothing to output,\nplease select a part of the file"},
        {"remove", "2", "1", 0, 200000, ""}, // end before start: a copy
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.op) + " " + c.start + ".." + c.end);
        reporter.reports.clear();
        const OperationDecl& op = *findOperation(c.op);
        const Parameters p = positions(op, c.start, c.end);
        const test::JobRun r = run(op, stereo, 2, {}, &p);
        if (!c.message.empty()) {
            EXPECT_FALSE(r.written);
            ASSERT_EQ(reporter.texts(), std::vector<std::string>{c.message});
            continue;
        }
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        const auto from = stereo.begin() + static_cast<std::ptrdiff_t>(c.keepFrom);
        EXPECT_EQ(r.output, Values(from, from + static_cast<std::ptrdiff_t>(c.keepCount)));
    }
    // Remove of a middle stretch: both ends rounded down to 4 bytes.
    const Parameters middle = positions(removeOperation(), "0.5", "1.0000113");
    const test::JobRun removed = run(removeOperation(), stereo, 2, {}, &middle);
    Values expected = stereo;
    expected.erase(expected.begin() + 44100, expected.begin() + 88200);
    EXPECT_EQ(removed.output, expected);
}

TEST_F(SelectionEdits, MuteRoundsToFramesAndNeverRunsBackwards) {
    const Values mono = test::ramp(44100, 5, 7);
    const Values stereo = test::ramp(2 * 44100, 5, 7);
    struct Case {
        int channels;
        const char* start;
        const char* end;
        std::size_t from; // values muted
        std::size_t to;
    };
    const Case cases[] = {
        {1, "0.5", "0.75", 22050, 33075},
        {2, "0.00001", "0.0001", 0, 8},      // bytes 1.76 and 17.6: frames 0 and 16
        {1, "0.0000113", "0.0000339", 0, 1}, // bytes 0.99 and 2.99: 0 and 2
        {2, "0.8", "0.2", 0, 0},             // end before start: nothing
        {1, "0.9", "", 39690, 44100},
        {2, "0.9", "5", 79380, 88200}, // past the end: up to the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + ".." + c.end);
        const Values& in = c.channels == 1 ? mono : stereo;
        const Parameters p = positions(muteOperation(), c.start, c.end);
        const test::JobRun r = run(muteOperation(), in, c.channels, {}, &p);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        Values expected = in;
        std::fill(expected.begin() + static_cast<std::ptrdiff_t>(c.from),
                  expected.begin() + static_cast<std::ptrdiff_t>(c.to), 0);
        EXPECT_EQ(r.output, expected);
    }
}

TEST_F(SelectionEdits, FadeLengths) {
    const Values flat(20000, 1000); // 40000 bytes of mono at 44100 Hz: 0.4535 s
    struct Case {
        const char* length;
        const char* type;
        std::size_t inValues;  // values faded at the start
        std::size_t outValues; // values faded at the end
    };
    const Case cases[] = {
        {"0.010", "both", 441, 441},
        {"0.3", "both", 10000, 10000}, // longer than half: each half the file
        {"0", "both", 10000, 10000},
        {"0", "in", 20000, 0},     // one fade of length 0: the whole file
        {"5", "out", 0, 20000},    // longer than the file: the whole file
        {"0.0000227", "in", 1, 0}, // 2.0 bytes: one value
        {"0.0000339", "in", 1, 0}, // 2.99 bytes: rounded down to a frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.length) + " " + c.type);
        Parameters p = fadeOperation().defaults();
        p.setText("length", c.length);
        p.setText("type", c.type);
        const test::JobRun r = run(fadeOperation(), flat, 1, {}, &p);
        ASSERT_EQ(r.outcome, JobOutcome::Completed);
        ASSERT_EQ(r.output.size(), flat.size());
        // The faded values are below the level but for the fade out's first; the ones between
        // are untouched.
        const std::size_t full = flat.size() - c.inValues - c.outValues + (c.outValues > 0);
        EXPECT_EQ(std::count(r.output.begin(), r.output.end(), 1000), full);
        if (c.inValues > 0) {
            EXPECT_EQ(r.output.front(), 0);
        }
        if (c.outValues > 0) {
            EXPECT_EQ(r.output[flat.size() - c.outValues], 1000);
            EXPECT_LT(r.output.back(), 1000 / 16);
        }
    }
}

TEST_F(SelectionEdits, SelectAndSelectionPositionReport) {
    const Values stereo = test::ramp(2 * 44100, 5, 7);
    struct Case {
        const char* start;
        const char* end;
        std::string report; // empty: refused
    };
    const Case cases[] = {
        {"0.5", "0.75", "22050 11025\n"},
        {"0.00001", "", "0 44100\n"},
        {"0.75", "0.2", "33075 0\n"}, // an empty selection at the start
        {"0.00001", "0.00002", ""},   // both in frame 0
        {"2", "3", ""},               // both held at the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + ".." + c.end);
        reporter.reports.clear();
        const Parameters p = positions(selectOperation(), c.start, c.end);
        const test::JobRun r = run(selectOperation(), stereo, 2, {}, &p);
        EXPECT_EQ(r.report, c.report);
        if (c.report.empty()) {
            EXPECT_EQ(reporter.texts(),
                      std::vector<std::string>{"No data selected,\nStart and End position must be "
                                               "different."});
        }
    }
    const test::JobRun position =
        run(selectionPositionOperation(), stereo, 2, {.first = 22050, .count = 11025});
    EXPECT_EQ(position.report, "0.500 0.750\n");
    EXPECT_EQ(run(selectionPositionOperation(), stereo, 2).report, "0.000 1.000\n");
}

// Extract and Remove keep an 8-bit file's bytes and format; the jobs that compute on 16-bit
// values refuse it, and Mute fills with the 8-bit silence.
TEST_F(SelectionEdits, EightBitFiles) {
    test::WaveSpec shape;
    shape.bits = 8;
    shape.rate = 8000;
    shape.samples = test::ramp(4000, 3, 11); // 8000 bytes: one second
    const std::string path = dir.file("eight.wav");
    test::writeBytes(path, test::buildWave(shape));
    const test::Bytes data = test::readBytes(path);
    const auto firstData = data.begin() + 44;

    Parameters half = positions(extractOperation(), "0.25", "0.75");
    test::JobRun r = test::runOperation(extractOperation(), half, {.source = path}, reporter,
                                        {.destination = out});
    ASSERT_EQ(r.outcome, JobOutcome::Completed);
    test::Bytes result = test::readBytes(out);
    EXPECT_EQ(readLe16(&result[34]), 8);
    EXPECT_EQ(readLe32(&result[24]), 8000U);
    EXPECT_EQ(test::Bytes(result.begin() + 44, result.end() - 82),
              test::Bytes(firstData + 2000, firstData + 6000));

    Parameters muted = positions(muteOperation(), "0.5", "");
    r = test::runOperation(muteOperation(), muted, {.source = path}, reporter,
                           {.destination = out});
    ASSERT_EQ(r.outcome, JobOutcome::Completed);
    result = test::readBytes(out);
    EXPECT_EQ(test::Bytes(result.begin() + 44, result.begin() + 4044),
              test::Bytes(firstData, firstData + 4000));
    EXPECT_EQ(test::Bytes(result.begin() + 4044, result.end() - 82), test::Bytes(4000, 0x80));

    for (const OperationDecl* op : {&reverseOperation(), &fadeOperation()}) {
        reporter.reports.clear();
        r = test::runOperation(*op, op->defaults(), {.source = path}, reporter,
                               {.destination = out});
        EXPECT_FALSE(r.written);
        ASSERT_EQ(reporter.reports.size(), 1U);
        EXPECT_NE(reporter.reports[0].text.find("8-bit"), std::string::npos);
    }
}

} // namespace
} // namespace sonarium
