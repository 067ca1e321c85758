// Properties of every declared operation, each run on inputs that fit what it reads: sane
// declarations, untouched sources, honest headers, the channel count it declares, no result
// over a source, and parameters that only hold what the declaration has.
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <stdexcept>

SONARIUM_DECLARE_OPERATION(volume);
SONARIUM_DECLARE_OPERATION(normalize);
SONARIUM_DECLARE_OPERATION(silentZone);
SONARIUM_DECLARE_OPERATION(crop);

namespace sonarium {
namespace {

TEST(OperationDeclarations, FieldsAreConsistent) {
    std::set<std::string_view> names;
    std::set<int> commands;
    for (const OperationDecl* op : allOperations()) {
        SCOPED_TRACE(std::string(op->name));
        EXPECT_TRUE(names.insert(op->name).second);
        EXPECT_TRUE(commands.insert(op->commandId).second);
        EXPECT_EQ(findOperation(op->name), op);
        EXPECT_EQ(findOperationByCommand(op->commandId), op);
        EXPECT_FALSE(op->caption.empty());
        EXPECT_TRUE(op->completion.empty() || op->completion.ends_with(" - done"));
        if (op->progressOnly || (op->hasDialog() && op->helpItem == 0)) {
            // Nothing to set and nothing to ask: a progress bar only, no Help button or page.
            EXPECT_TRUE(op->fields.empty());
            EXPECT_TRUE(op->helpCode.empty());
            EXPECT_EQ(op->helpItem, 0);
        } else if (op->hasDialog()) {
            EXPECT_FALSE(op->helpCode.empty());
            EXPECT_NE(op->helpItem, 0);
            EXPECT_TRUE(op->dialogClass.starts_with("C") && op->dialogClass.ends_with("Dialog"));
        } else {
            // Without a dialog there is nowhere to set a field.
            EXPECT_TRUE(op->fields.empty());
        }
        EXPECT_TRUE(op->prepare);
        std::set<int> items{op->helpItem};
        std::set<std::string> options{"sel-start", "sel-length"};
        for (const FieldSpec& f : op->fields) {
            if (f.item != 0) {
                EXPECT_TRUE(items.insert(f.item).second) << f.item;
            }
            for (const Choice& c : f.choices) {
                if (c.item != 0) { // list entries are no dialog items
                    EXPECT_TRUE(items.insert(c.item).second) << c.item;
                }
            }
            if (!f.enabled)
                continue;
            EXPECT_FALSE(f.member.empty()) << f.label;
            EXPECT_FALSE(f.dialogOnly && f.commandLineOnly) << f.label;
            if (!f.dialogOnly) {
                EXPECT_TRUE(options.insert(f.optionName()).second) << f.optionName();
            }
            if (f.isNumeric()) {
                EXPECT_FALSE(rangeMessage(f, f.defaultValue).has_value()) << f.label;
                EXPECT_LE(f.minimum, f.maximum);
            }
            // A radio group may open with no button checked; an editable list takes any text.
            if (f.hasChoices() && !f.defaultChoice.empty() && f.type != FieldType::EditableList) {
                bool found = false;
                for (const Choice& c : f.choices)
                    found = found || c.value == f.defaultChoice;
                EXPECT_TRUE(found) << f.label;
            }
        }
    }
}

TEST(OperationDeclarations, RangeMessages) {
    const OperationDecl& volume = volumeOperation();
    const FieldSpec& ratio = *volume.field("ratio");
    EXPECT_FALSE(rangeMessage(ratio, -32768).has_value());
    EXPECT_EQ(rangeMessage(ratio, 32767.5), "Please enter a number between -32768 and 32767.");
    const FieldSpec& maxOutput = *normalizeOperation().field("maxOutput");
    EXPECT_EQ(rangeMessage(maxOutput, 0), "Please enter a number between 0.01 and 100.");
    const FieldSpec& threshold = *silentZoneOperation().field("T");
    EXPECT_EQ(rangeMessage(threshold, 2.5), "Please enter an integer between 1 and 32767.");
    double value = 0;
    EXPECT_EQ(parseFieldValue(threshold, "abc", value),
              "Please enter an integer between 1 and 32767.");
    EXPECT_FALSE(parseFieldValue(threshold, "  12 ", value).has_value());
    EXPECT_EQ(value, 12);
    EXPECT_EQ(parseFieldValue(ratio, "", value), "Please enter a number between -32768 and 32767.");
}

// A member the declaration does not have, or a number asked for as a text, is a programming
// error the tests see, never a silent 0 or "".
TEST(OperationDeclarations, ParametersHoldOnlyTheDeclaredMembers) {
    const Parameters p = silentZoneOperation().defaults();
    EXPECT_EQ(p.number("T"), 5000);
    EXPECT_EQ(p.text("detection"), "silent");
    EXPECT_THROW(p.number("ratio"), std::logic_error);
    EXPECT_THROW(p.flag("stereoFlush"), std::logic_error);
    EXPECT_THROW(p.text("T"), std::logic_error);
    EXPECT_THROW(p.number("detection"), std::logic_error);
}

// The inputs that fit an operation: no file, the source, source and aux, or the source with
// selections that cover it whole, in part, past its end and not at all.
std::vector<JobInput> inputsFor(const OperationDecl& op, const std::string& source,
                                const std::string& aux) {
    switch (op.input) {
    case InputKind::None:
        return {JobInput{}};
    case InputKind::One:
        return {JobInput{.source = source}};
    case InputKind::Two: // another file, and the Source's own
        return {JobInput{.source = source, .aux = aux}, JobInput{.source = source, .aux = source}};
    case InputKind::OneWithSelection:
        return {JobInput{.source = source},
                JobInput{.source = source, .selection = {.first = 1000, .count = 70001}},
                JobInput{.source = source, .selection = {.first = 140000, .count = 99999}},
                JobInput{.source = source, .selection = {.first = 5, .count = 0}}};
    }
    return {};
}

int expectedChannels(const OperationDecl& op, int sourceChannels) {
    switch (op.channels) {
    case OutputChannels::Mono:
        return 1;
    case OutputChannels::Stereo:
        return 2;
    case OutputChannels::AsSource:
        break;
    }
    return sourceChannels;
}

// Every operation, on sources of lengths around the block boundaries, mono and stereo.
TEST(OperationDeclarations, EveryOperationLeavesItsSourcesAndWritesHonestFiles) {
    test::TempDir dir;
    for (const auto& [channels, values] : std::vector<std::pair<int, std::size_t>>{{1, 1},
                                                                                   {1, 3},
                                                                                   {1, 64000},
                                                                                   {1, 64001},
                                                                                   {1, 128002},
                                                                                   {1, 150001},
                                                                                   {2, 2},
                                                                                   {2, 4},
                                                                                   {2, 64000},
                                                                                   {2, 64002},
                                                                                   {2, 128002},
                                                                                   {2, 150002}}) {
        const std::string source =
            test::writeWave(dir.file("source.wav"), test::ramp(values, -20000, 977), channels);
        const std::string aux =
            test::writeWave(dir.file("aux.wav"), test::ramp(90001, 3000, 331), channels);
        const test::Bytes sourceBefore = test::readBytes(source);
        const test::Bytes auxBefore = test::readBytes(aux);
        for (const OperationDecl* op : allOperations()) {
            for (const JobInput& input : inputsFor(*op, source, aux)) {
                SCOPED_TRACE(std::string(op->name) + " on " + std::to_string(values) + " values, " +
                             std::to_string(channels) + " channel(s), selection from " +
                             std::to_string(input.selection.first));
                test::RecordingReporter reporter;
                const std::string out = dir.file(std::string(op->name) + ".wav");
                const test::JobRun run =
                    test::runOperation(*op, op->defaults(), input, reporter, {.destination = out});
                EXPECT_EQ(test::readBytes(source), sourceBefore);
                EXPECT_EQ(test::readBytes(aux), auxBefore);
                if (run.outcome != JobOutcome::Completed)
                    continue;
                if (op->output == OutputKind::TextReport) {
                    EXPECT_FALSE(run.written);
                    EXPECT_FALSE(run.report.empty());
                    continue;
                }
                ASSERT_TRUE(run.written);
                ASSERT_EQ(run.secondWritten, op->resultCount() == 2);
                std::vector<std::string> results{out};
                if (run.secondWritten)
                    results.push_back(out + ".second.wav");
                for (const std::string& path : results) {
                    const test::Bytes result = test::readBytes(path);
                    ASSERT_GE(result.size(), 44U + 82U);
                    EXPECT_EQ(readLe32(&result[4]), result.size() - 8);
                    EXPECT_EQ(readLe32(&result[40]), result.size() - 44 - 82);
                }
                EXPECT_EQ(run.channels, expectedChannels(*op, channels));
                EXPECT_EQ(run.writeFailures, 0);
            }
        }
    }
}

TEST(OperationDeclarations, NoOperationWritesOverItsSource) {
    test::TempDir dir;
    const std::string source =
        test::writeWave(dir.file("source.wav"), test::ramp(3000, -20000, 977));
    const std::string aux = test::writeWave(dir.file("aux.wav"), test::ramp(2000, 30, 41));
    const std::string link = dir.file("link.wav");
    std::filesystem::create_symlink(source, link);
    // The tools that take only stereo files get a stereo source.
    const std::string stereo =
        test::writeWave(dir.file("stereo.wav"), test::ramp(3000, -20000, 977), 2);
    const test::Bytes before = test::readBytes(source);
    const test::Bytes auxBefore = test::readBytes(aux);
    for (const OperationDecl* op : allOperations()) {
        if (op->input == InputKind::None || op->output == OutputKind::TextReport)
            continue;
        if (op->channels == OutputChannels::Mono)
            continue; // run below on the stereo file
        const bool two = op->input == InputKind::Two;
        const JobInput input{.source = source, .aux = two ? aux : ""};
        {
            // Only an operation that writes a result with its defaults has one to refuse.
            test::RecordingReporter quiet;
            if (test::runOperation(*op, op->defaults(), input, quiet,
                                   {.destination = dir.file("elsewhere.wav")})
                    .outcome != JobOutcome::Completed)
                continue;
        }
        std::vector<std::string> destinations{source, link};
        if (two)
            destinations.push_back(aux);
        for (const std::string& destination : destinations) {
            SCOPED_TRACE(std::string(op->name) + " into " + destination);
            test::RecordingReporter reporter;
            const test::JobRun run = test::runOperation(*op, op->defaults(), input, reporter,
                                                        {.destination = destination});
            EXPECT_EQ(run.outcome, JobOutcome::EndedWithMessage);
            EXPECT_EQ(test::readBytes(source), before);
            EXPECT_EQ(test::readBytes(aux), auxBefore);
            ASSERT_EQ(reporter.reports.size(), 1U);
            EXPECT_NE(reporter.reports[0].text.find("cannot be written over"), std::string::npos);
        }
    }
    const test::Bytes stereoBefore = test::readBytes(stereo);
    for (const OperationDecl* op : allOperations()) {
        if (op->channels != OutputChannels::Mono || op->input != InputKind::One)
            continue;
        SCOPED_TRACE(std::string(op->name) + " over its stereo source");
        test::RecordingReporter reporter;
        const test::JobRun run = test::runOperation(*op, op->defaults(), {.source = stereo},
                                                    reporter, {.destination = stereo});
        EXPECT_EQ(run.outcome, JobOutcome::EndedWithMessage);
        EXPECT_EQ(test::readBytes(stereo), stereoBefore);
        EXPECT_EQ(reporter.texts().size(), 1U);
    }
}

// Crop keeps the selected frames of either layout, at the source's own rate.
TEST(OperationDeclarations, CropKeepsTheSelectedFrames) {
    test::TempDir dir;
    const std::vector<std::int16_t> values = test::ramp(200000, -3000, 13);
    struct Case {
        int channels;
        FrameSpan span;
        std::size_t firstValue; // of the source
        std::size_t valueCount;
    };
    const Case cases[] = {
        {1, {}, 0, 200000},
        {1, {.first = 10, .count = 5}, 10, 4}, // ends rounded down to 4 bytes, mono too
        {2, {.first = 10, .count = 5}, 20, 10},
        {2, {.first = 99990, .count = 50}, 199980, 20}, // past the end: up to the end
        {1, {.first = 64000, .count = 64001}, 64000, 64000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.channels) + " channel(s) from " +
                     std::to_string(c.span.first));
        const std::string source =
            test::writeWave(dir.file("source.wav"), values, c.channels, 22050);
        test::RecordingReporter reporter;
        const std::string out = dir.file("crop.wav");
        const test::JobRun run = test::runOperation(
            cropOperation(), cropOperation().defaults(), {.source = source, .selection = c.span},
            reporter, {.destination = out, .result = ResultFile::Open});
        ASSERT_EQ(run.outcome, JobOutcome::Completed);
        const auto first = values.begin() + static_cast<std::ptrdiff_t>(c.firstValue);
        EXPECT_EQ(run.output, std::vector<std::int16_t>(
                                  first, first + static_cast<std::ptrdiff_t>(c.valueCount)));
        EXPECT_EQ(readLe32(&test::readBytes(out)[24]), 22050U);
        EXPECT_EQ(run.opened, std::vector<std::string>{out});
        EXPECT_TRUE(reporter.reports.empty());
    }
}

} // namespace
} // namespace sonarium
