// Properties of every declared operation: sane declarations, untouched sources, honest headers.
#include "operations/operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>

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
        EXPECT_FALSE(op->helpCode.empty());
        EXPECT_TRUE(op->completion.ends_with(" - done"));
        EXPECT_TRUE(op->dialogClass.starts_with("C") && op->dialogClass.ends_with("Dialog"));
        EXPECT_TRUE(op->run);
        std::set<int> items{op->helpItem};
        std::set<std::string> options;
        for (const FieldSpec& f : op->fields) {
            if (f.item != 0) {
                EXPECT_TRUE(items.insert(f.item).second) << f.item;
            }
            for (const Choice& c : f.choices)
                EXPECT_TRUE(items.insert(c.item).second) << c.item;
            if (!f.enabled)
                continue;
            EXPECT_FALSE(f.member.empty()) << f.label;
            EXPECT_TRUE(options.insert(f.optionName()).second) << f.optionName();
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
    const OperationDecl& volume = *findOperation("volume");
    const FieldSpec& ratio = *volume.field("ratio");
    EXPECT_FALSE(rangeMessage(ratio, -32768).has_value());
    EXPECT_EQ(rangeMessage(ratio, 32767.5), "Please enter a number between -32768 and 32767.");
    const FieldSpec& maxOutput = *findOperation("normalize")->field("maxOutput");
    EXPECT_EQ(rangeMessage(maxOutput, 0), "Please enter a number between 0.01 and 100.");
    const FieldSpec& threshold = *findOperation("silent-zone")->field("T");
    EXPECT_EQ(rangeMessage(threshold, 2.5), "Please enter an integer between 1 and 32767.");
    double value = 0;
    EXPECT_EQ(parseFieldValue(threshold, "abc", value),
              "Please enter an integer between 1 and 32767.");
    EXPECT_FALSE(parseFieldValue(threshold, "  12 ", value).has_value());
    EXPECT_EQ(value, 12);
    EXPECT_EQ(parseFieldValue(ratio, "", value), "Please enter a number between -32768 and 32767.");
}

TEST(OperationDeclarations, EveryOperationLeavesItsSourcesAndWritesHonestFiles) {
    test::TempDir dir;
    for (int channels : {1, 2}) {
        test::WaveSpec shape;
        shape.channels = channels;
        shape.samples = test::ramp(150001, -20000, 977);
        shape.tail = test::Bytes(builtInTrailer().begin(), builtInTrailer().end());
        const std::string source = dir.file("source.wav");
        const std::string aux = dir.file("aux.wav");
        test::writeBytes(source, test::buildWave(shape));
        test::writeBytes(aux, test::buildWave(shape));
        const test::Bytes before = test::readBytes(source);
        for (const OperationDecl* op : allOperations()) {
            SCOPED_TRACE(std::string(op->name) + " on " + std::to_string(channels) + " channel(s)");
            test::RecordingReporter reporter;
            WaveContext wave{reporter, "", {}};
            NullProgress progress;
            const std::string out = dir.file(std::string(op->name) + ".wav");
            JobContext context{wave, progress, [&] { return out; }, false};
            JobPaths paths;
            if (op->sources != SourceKind::None)
                paths.source = source;
            if (op->sources == SourceKind::Two)
                paths.aux = aux;
            const JobOutcome outcome = op->run(context, paths, op->defaults());
            EXPECT_EQ(test::readBytes(source), before);
            EXPECT_EQ(test::readBytes(aux), before);
            if (outcome != JobOutcome::Completed)
                continue;
            const test::Bytes result = test::readBytes(out);
            ASSERT_GE(result.size(), 44U + 82U);
            EXPECT_EQ(readLe32(&result[4]), result.size() - 8);
            EXPECT_EQ(readLe32(&result[40]), result.size() - 44 - 82);
            EXPECT_EQ(readLe16(&result[22]), channels);
        }
    }
}

TEST(OperationDeclarations, NoOperationWritesOverItsSource) {
    test::TempDir dir;
    test::WaveSpec shape;
    shape.samples = test::ramp(3000, -20000, 977);
    shape.tail = test::Bytes(builtInTrailer().begin(), builtInTrailer().end());
    const std::string source = dir.file("source.wav");
    const std::string link = dir.file("link.wav");
    test::writeBytes(source, test::buildWave(shape));
    std::filesystem::create_symlink(source, link);
    const test::Bytes before = test::readBytes(source);
    for (const OperationDecl* op : allOperations()) {
        if (op->sources == SourceKind::None)
            continue;
        for (const std::string& destination : {source, link}) {
            SCOPED_TRACE(std::string(op->name) + " into " + destination);
            test::RecordingReporter reporter;
            WaveContext wave{reporter, "", {}};
            NullProgress progress;
            JobContext context{wave, progress, [&] { return destination; }, false};
            const JobPaths paths{source, op->sources == SourceKind::Two ? source : ""};
            EXPECT_EQ(op->run(context, paths, op->defaults()), JobOutcome::EndedWithMessage);
            EXPECT_EQ(test::readBytes(source), before);
            ASSERT_EQ(reporter.reports.size(), 1U);
            EXPECT_NE(reporter.reports[0].text.find("cannot be written over"), std::string::npos);
        }
    }
}

} // namespace
} // namespace sonarium
