// Provenance records: the content hash, the JSON of the history lines, shell quoting, the options
// that write every operation's settings down, and history files a writer left torn.
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "provenance/content_hash.h"
#include "provenance/json_value.h"
#include "provenance/provenance_record.h"
#include "provenance/shell_words.h"
#include "test_support.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace sonarium {
namespace {

TEST(ContentHash, KnownValuesAndAnySplitOfTheBytes) {
    // Published values of the function.
    EXPECT_EQ(hexHash(contentHash("")), "ef46db3751d8e999");
    EXPECT_EQ(hexHash(contentHash("abc")), "44bc2cf5ad770999");
    // Fed in two pieces, split anywhere, the bytes hash as they do in one: the 32-byte stripes
    // and the tail are carried across pieces.
    std::string bytes;
    for (int i = 0; i < 100; ++i)
        bytes += static_cast<char>(i * 37 + 11);
    for (std::size_t length : {0U, 7U, 31U, 32U, 33U, 64U, 99U}) {
        const std::string_view text(bytes.data(), length);
        for (std::size_t cut = 0; cut <= length; ++cut) {
            ContentHasher hasher;
            hasher.update(text.data(), cut);
            hasher.update(text.data() + cut, length - cut);
            ASSERT_EQ(hasher.digest(), contentHash(text)) << length << " cut at " << cut;
        }
    }
    EXPECT_NE(contentHash(std::string_view(bytes.data(), 64)),
              contentHash(std::string_view(bytes.data(), 63)));
}

TEST(JsonValue, TextsRoundTripAndBrokenLinesAreRefused) {
    static constexpr char kControls[] = "nul \0 and \x01 bell \x07";
    const std::string texts[] = {"",
                                 "plain",
                                 "quote \" and backslash \\",
                                 "line\nbreak\ttab\rreturn",
                                 std::string(kControls, sizeof kControls - 1),
                                 "caf\xc3\xa9 \xe2\x82\xac",
                                 "/odd/\xff\xfe bytes"};
    for (const std::string& text : texts) {
        const JsonValue value(JsonValue::Object{{"t", text}, {"n", std::int64_t{-1234567890123}}});
        const std::string line = value.write();
        EXPECT_EQ(line.find('\n'), std::string::npos) << "one record, one line";
        const auto back = JsonValue::parse(line);
        ASSERT_TRUE(back) << line;
        EXPECT_EQ(*back->member("t")->string(), text);
        EXPECT_EQ(*back->member("n")->integer(), -1234567890123);
    }
    EXPECT_EQ(*JsonValue::parse(R"("\u00e9\ud83d\ude00")")->string(), "\xc3\xa9\xf0\x9f\x98\x80");
    for (const char* broken : {"", "{", R"({"a":1)", R"({"a":"x)", "[1,]", R"({"a" 1})", "nul",
                               R"({"a":1} x)", "\"\x01\""})
        EXPECT_FALSE(JsonValue::parse(broken)) << broken;
}

// Texts a shell would otherwise split, expand, substitute or take as an option.
const std::vector<std::string>& awkwardTexts() {
    static const std::vector<std::string> texts{"",
                                                "plain.wav",
                                                "with space.wav",
                                                "it's.wav",
                                                "'''",
                                                "double\"quote.wav",
                                                "$HOME.wav",
                                                "${x:-y}",
                                                "`id`.wav",
                                                "$(id)",
                                                "new\nline.wav",
                                                "-leading-dash.wav",
                                                "--sel-start",
                                                "back\\slash",
                                                "tab\there",
                                                "*.wav",
                                                "~user",
                                                "a;b&c|d<e>f",
                                                "#hash",
                                                "caf\xc3\xa9"};
    return texts;
}

TEST(ShellWords, QuotedTextsReachTheProgramAsTheyAre) {
    // One sh reads every quoted word and prints each back, NUL-separated.
    std::vector<std::string> words{"printf", "%s\\0"};
    words.insert(words.end(), awkwardTexts().begin(), awkwardTexts().end());
    std::string command = "printf '%s\\0'";
    for (const std::string& text : awkwardTexts())
        command += " " + shellQuote(text);
    FILE* shell = ::popen(("sh -c " + shellQuote(command)).c_str(), "r");
    ASSERT_NE(shell, nullptr);
    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, shell)) > 0;)
        out.append(buffer, got);
    ASSERT_EQ(::pclose(shell), 0);
    std::vector<std::string> printed;
    for (std::size_t start = 0, end; (end = out.find('\0', start)) != std::string::npos;
         start = end + 1)
        printed.push_back(out.substr(start, end - start));
    EXPECT_EQ(printed, awkwardTexts());

    // The script reader takes the same words back, whatever the quoting.
    const std::string line = shellCommand(awkwardTexts()) + " # a comment\nnext";
    std::size_t next = 0;
    const auto read = splitShellWords(line, next);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, awkwardTexts());
    EXPECT_EQ(line.substr(next), "next");
    next = 0;
    const auto quoted = splitShellWords(R"("$cli" "a\"b\$c" x\ y 'it'\''s')", next);
    ASSERT_TRUE(quoted);
    EXPECT_EQ(*quoted, (std::vector<std::string>{"$cli", "a\"b$c", "x y", "it's"}));
    next = 0;
    EXPECT_FALSE(splitShellWords("volume 'open", next));
}

// A setting off its default for every field the command line takes: numbers near the far end of
// their range (with fractions where the kind has them), the last choice, check boxes flipped,
// texts with blanks and quotes.
Parameters awkwardSettings(const OperationDecl& op) {
    Parameters p = op.defaults();
    for (const FieldSpec& f : op.fields) {
        if (!f.enabled || f.member.empty() || f.dialogOnly)
            continue;
        if (f.type == FieldType::CheckBox) {
            p.setNumber(f.member, f.defaultValue != 0 ? 0 : 1);
        } else if (f.hasChoices()) {
            p.setText(f.member, std::string(f.choices.back().value));
        } else if (f.type == FieldType::Text) {
            p.setText(f.member, f.maxLength > 0 && f.maxLength < 12 ? "0.5" : "0.25 'x' \"y\"");
        } else {
            double value = f.minimum + (f.maximum - f.minimum) * 0.7071;
            if (f.isInteger())
                value = std::floor(value);
            if (f.type == FieldType::Float)
                value = static_cast<float>(value);
            p.setNumber(f.member, value);
        }
    }
    return p;
}

TEST(OptionWords, EveryOperationsSettingsReadBackAsTheSame) {
    int checked = 0;
    for (const OperationDecl* op : allOperations()) {
        for (const Parameters& p : {op->defaults(), awkwardSettings(*op)}) {
            std::vector<std::string> words = optionWords(*op, p);
            const JobInput input{"-in put.wav", "aux 'x'.wav", {5, 17}};
            std::vector<std::string> inputs;
            for (int k = 0; k < op->sourceCount(); ++k)
                inputs.push_back(k == 0 ? input.source : input.aux);
            if (op->input == InputKind::OneWithSelection) {
                const auto span = selectionWords(input.selection);
                words.insert(words.end(), span.begin(), span.end());
            }
            std::vector<std::string> outputs;
            for (int k = 0; k < op->resultCount(); ++k)
                outputs.push_back("-out" + std::to_string(k) + ".wav");
            const auto command = commandWords("sonarium-cli", op->name, words, inputs, outputs);
            OperationArguments parsed;
            const std::vector<std::string> arguments(command.begin() + 2, command.end());
            ASSERT_EQ(parseOperationArguments(*op, arguments, parsed), std::nullopt)
                << op->name << ": " << shellCommand(command);
            for (const FieldSpec& f : op->fields) {
                if (!f.enabled || f.member.empty() || f.dialogOnly)
                    continue;
                if (f.isTextual()) {
                    EXPECT_EQ(parsed.parameters.text(f.member), p.text(f.member))
                        << op->name << " --" << f.optionName();
                } else if (f.type == FieldType::Float) {
                    // Read as single precision, as the job and the dialog read it.
                    EXPECT_EQ(static_cast<float>(parsed.parameters.number(f.member)),
                              static_cast<float>(p.number(f.member)))
                        << op->name << " --" << f.optionName();
                } else {
                    EXPECT_EQ(parsed.parameters.number(f.member), p.number(f.member))
                        << op->name << " --" << f.optionName();
                }
            }
            EXPECT_EQ(parsed.outputs, outputs) << op->name;
            if (op->sourceCount() > 0) {
                EXPECT_EQ(parsed.input.source, input.source) << op->name;
            }
            if (op->input == InputKind::OneWithSelection) {
                EXPECT_EQ(parsed.input.selection, input.selection) << op->name;
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2 * static_cast<int>(allOperations().size()));
}

ProvenanceRecord sampleRecord(int n) {
    ProvenanceRecord record;
    record.operation = "volume";
    record.options = {"--ratio", std::to_string(100 + n)};
    record.inputs = {{"/in/" + std::to_string(n) + ".wav", 1000, "0123456789abcdef", 17}};
    record.outputs = {{"/out/" + std::to_string(n) + ".wav", 2000, "fedcba9876543210", 18}};
    record.selection = FrameSpan{3, FrameSpan::kToEnd};
    record.version = "1.0";
    record.time = "2026-01-01T00:00:00Z";
    return record;
}

TEST(HistoryFile, RecordsReadBackAndATornLineIsPassedOver) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(appendRecord(dir.path().string(), sampleRecord(1), error)) << error;
    ASSERT_TRUE(appendRecord(dir.path().string(), sampleRecord(2), error)) << error;
    const std::string history = historyPathIn(dir.path().string());
    {
        // A writer that died half-way through its line.
        const std::string line = sampleRecord(3).toJson().write();
        std::ofstream(history, std::ios::app) << line.substr(0, line.size() / 2);
    }
    auto records = readHistory(history);
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[0].toJson().write(), sampleRecord(1).toJson().write());
    EXPECT_EQ(records[1].inputs[0].path, "/in/2.wav");
    EXPECT_EQ(records[1].selection, (FrameSpan{3, FrameSpan::kToEnd}));
    EXPECT_EQ(records[1].command(),
              (std::vector<std::string>{"sonarium-cli", "volume", "--ratio", "102", "--sel-start",
                                        "3", "/in/2.wav", "-o", "/out/2.wav"}));
    // The next record starts a line of its own: the torn one stays alone and unread.
    ASSERT_TRUE(appendRecord(dir.path().string(), sampleRecord(4), error)) << error;
    records = readHistory(history);
    ASSERT_EQ(records.size(), 3U);
    EXPECT_EQ(records[2].inputs[0].path, "/in/4.wav");
    // Lines of another shape are no records.
    std::ofstream(history, std::ios::app) << "{\"operation\":\"volume\"}\n[1,2]\n\n";
    EXPECT_EQ(readHistory(history).size(), 3U);
}

TEST(HistoryFile, WritersInManyProcessesNeverMixTheirLines) {
    test::TempDir dir;
    constexpr int kWriters = 4;
    constexpr int kEach = 50;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            std::string error;
            ProvenanceRecord record = sampleRecord(w);
            record.options.push_back(std::string(3000, static_cast<char>('a' + w)));
            for (int i = 0; i < kEach; ++i)
                appendRecord(dir.path().string(), record, error);
            ::_exit(0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children)
        ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(readHistory(historyPathIn(dir.path().string())).size(),
              static_cast<std::size_t>(kWriters * kEach));
}

TEST(FileStamps, AChangedFileNoLongerMatches) {
    test::TempDir dir;
    const std::string path = dir.file("a.wav");
    test::writeBytes(path, test::Bytes(5000, 7));
    const auto stamp = stampFile(path);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 5000U);
    EXPECT_TRUE(stillMatches(*stamp));
    // Same size, one byte changed, the time set back: the content tells.
    test::Bytes changed(5000, 7);
    changed[4000] = 8;
    test::writeBytes(path, changed);
    FileStamp sameTime = *stamp;
    sameTime.modified = 0;
    EXPECT_FALSE(stillMatches(sameTime));
    EXPECT_FALSE(stillMatches(*stamp));
    std::filesystem::remove(path);
    EXPECT_FALSE(stillMatches(*stamp));
}

} // namespace
} // namespace sonarium
