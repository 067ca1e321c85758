// Known results of every operation: each one runs on two fixed inputs (and an Aux where it takes
// one), at its defaults and with one field at a time set off its default, and its result must
// match the table in golden_results.txt exactly (the bytes' hash and the first and last values,
// or the report's text, or the messages it ended with). The generic properties see plumbing; this
// table sees values, so an effect that computes the wrong thing fails here. A new operation must
// join the table: SONARIUM_GOLDEN_WRITE=FILE writes the table the build computes to FILE.
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <regex>
#include <set>
#include <sstream>

namespace sonarium {
namespace {

constexpr std::size_t kMonoValues = 70001;
constexpr std::size_t kStereoValues = 140002;
constexpr std::int64_t kGoldenSeed = 12345; // replaces a seed that would be taken from the clock

// A signal with something for every effect: a rising sweep at two levels, noise, a silent stretch
// (silence detection), a stretch stuck at full scale (clipping, rectifying) and both extremes.
std::vector<std::int16_t> signal(std::size_t frames, int channels, double pitch,
                                 std::uint32_t seed) {
    std::vector<std::int16_t> values;
    values.reserve(frames * static_cast<std::size_t>(channels));
    std::uint32_t state = seed;
    for (std::size_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            state = state * 214013U + 2531011U;
            const double noise = static_cast<double>((state >> 16) & 0x7FFF) - 16384.0;
            const double t = static_cast<double>(i) / 44100.0;
            const double amplitude = (i / 9000) % 2 == 0 ? 24000.0 : 6000.0;
            double v =
                amplitude * std::sin(2 * std::numbers::pi * pitch * (c + 1) * t * (1 + 8 * t)) +
                noise / 8;
            const std::size_t place = i % 40000;
            if (place >= 15000 && place < 18000)
                v = 0; // silence
            else if (place >= 25000 && place < 25400)
                v = (place % 2 == 0) != (c == 1) ? 32767 : -32768;
            values.push_back(static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return values;
}

// 64-bit FNV-1a: enough to tell any two results apart in a table of this size.
std::uint64_t hashBytes(const test::Bytes& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char b : bytes) {
        hash ^= b;
        hash *= 1099511628211ULL;
    }
    return hash;
}

std::string hexHash(const test::Bytes& bytes) {
    std::ostringstream out;
    out << std::hex << hashBytes(bytes);
    return out.str();
}

std::string valueList(const std::vector<std::int16_t>& values, bool last) {
    std::ostringstream out;
    const std::size_t n = std::min<std::size_t>(16, values.size());
    const std::size_t from = last ? values.size() - n : 0;
    for (std::size_t i = from; i < from + n; ++i)
        out << (i == from ? "" : ",") << values[i];
    return out.str();
}

// One setting an operation is run with: its name in the table and its parameters.
struct Setting {
    std::string name;
    Parameters parameters;
};

double nonDefaultNumber(const FieldSpec& f) {
    const double room =
        f.maximum > f.defaultValue ? f.maximum - f.defaultValue : f.minimum - f.defaultValue;
    double value = f.defaultValue + room / 100;
    if (f.isInteger())
        value = room > 0 ? std::max(std::ceil(value), f.defaultValue + 1)
                         : std::min(std::floor(value), f.defaultValue - 1);
    if (f.type == FieldType::Float)
        value = static_cast<float>(value);
    return value;
}

// The defaults, then one field at a time off its default: the first numeric field of each
// numeric kind, every check box, every other choice of every radio group and list, the first
// text edit.
std::vector<Setting> settingsFor(const OperationDecl& op) {
    Parameters base = op.defaults();
    for (const FieldSpec& f : op.fields)
        if (f.member == "seed" && f.defaultValue < 0)
            base.setNumber(f.member, static_cast<double>(kGoldenSeed));
    std::vector<Setting> settings{{"default", base}};
    std::set<FieldType> numericKinds;
    bool textDone = false;
    for (const FieldSpec& f : op.fields) {
        if (!f.enabled || f.member.empty() || f.dialogOnly)
            continue;
        const std::string member(f.member);
        if (f.isNumeric() && f.type != FieldType::CheckBox) {
            if (f.minimum == f.maximum || !numericKinds.insert(f.type).second)
                continue;
            Parameters p = base;
            const double value = nonDefaultNumber(f);
            p.setNumber(f.member, value);
            std::ostringstream name;
            name << member << "=" << value;
            settings.push_back({name.str(), p});
        } else if (f.type == FieldType::CheckBox) {
            Parameters p = base;
            p.setNumber(f.member, f.defaultValue != 0 ? 0 : 1);
            settings.push_back({member + (f.defaultValue != 0 ? "=off" : "=on"), p});
        } else if (f.hasChoices()) {
            for (const Choice& c : f.choices) {
                if (c.value == f.defaultChoice)
                    continue;
                Parameters p = base;
                p.setText(f.member, std::string(c.value));
                settings.push_back({member + "=" + std::string(c.value), p});
            }
        } else if (f.type == FieldType::Text && !textDone) {
            textDone = true;
            Parameters p = base;
            p.setText(f.member, "0.5");
            settings.push_back({member + "=0.5", p});
        }
    }
    return settings;
}

// Folder names and clock times made readable and repeatable, line breaks escaped.
std::string cleaned(std::string text, const std::string& folder) {
    for (std::size_t at; (at = text.find(folder)) != std::string::npos;)
        text.replace(at, folder.size(), "<dir>");
    static const std::regex time("[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4} "
                                 "[0-9]{2}:[0-9]{2}:[0-9]{2}");
    text = std::regex_replace(text, time, "<time>");
    std::string escaped;
    for (char c : text)
        escaped += c == '\n'  ? std::string("\\n")
                   : c == '|' ? std::string("\\|")
                              : std::string(1, c);
    return escaped;
}

// A run's outcome in one line of text: what it wrote (hash, channels, value count, first and last
// values of each result), its report's hash, and the messages it ended with.
std::string describeRun(const test::JobRun& run, const test::RecordingReporter& reporter,
                        const std::string& out, const std::string& folder) {
    std::ostringstream line;
    line << (run.outcome == JobOutcome::Completed   ? "completed"
             : run.outcome == JobOutcome::Cancelled ? "cancelled"
                                                    : "ended");
    auto describeFile = [&line](const std::string& path, const std::vector<std::int16_t>& values,
                                int channels) {
        line << " | " << hexHash(test::readBytes(path)) << " " << channels << "ch " << values.size()
             << " [" << valueList(values, false) << "] [" << valueList(values, true) << "]";
    };
    if (run.written)
        describeFile(out, run.output, run.channels);
    if (run.secondWritten)
        describeFile(out + ".second.wav", run.secondOutput, run.secondChannels);
    if (!run.report.empty()) {
        const std::string report = cleaned(run.report, folder);
        line << " | report " << hexHash(test::Bytes(report.begin(), report.end())) << " "
             << report.substr(0, 48);
    }
    for (const std::string& text : reporter.texts())
        line << " | message " << cleaned(text, folder);
    return line.str();
}

// The table: "operation input setting" -> the run's line.
using Table = std::map<std::string, std::string>;

Table readTable(const std::filesystem::path& path) {
    Table table;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos)
            continue;
        table[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return table;
}

std::filesystem::path tablePath() {
    return SONARIUM_GOLDEN_TABLE;
}

// Every operation's runs, keyed as in the table.
Table computeTable(const std::set<std::string_view>& only = {}) {
    test::TempDir dir;
    const std::string folder = dir.path().string();
    struct Input {
        std::string name;
        JobInput files;
    };
    const std::string mono =
        test::writeWave(dir.file("mono.wav"), signal(kMonoValues, 1, 110, 1), 1);
    const std::string stereo =
        test::writeWave(dir.file("stereo.wav"), signal(kStereoValues / 2, 2, 70, 2), 2);
    const std::string monoAux =
        test::writeWave(dir.file("mono-aux.wav"), signal(50001, 1, 330, 3), 1);
    const std::string stereoAux =
        test::writeWave(dir.file("stereo-aux.wav"), signal(45001, 2, 250, 4), 2);
    Table table;
    for (const OperationDecl* op : allOperations()) {
        if (!only.empty() && !only.contains(op->name))
            continue;
        std::vector<Input> inputs;
        switch (op->input) {
        case InputKind::None:
            inputs = {{"none", {}}};
            break;
        case InputKind::One:
            inputs = {{"mono", {.source = mono}}, {"stereo", {.source = stereo}}};
            break;
        case InputKind::Two:
            inputs = {{"mono+aux", {.source = mono, .aux = monoAux}},
                      {"stereo+aux", {.source = stereo, .aux = stereoAux}},
                      {"mono+stereo-aux", {.source = mono, .aux = stereoAux}}};
            break;
        case InputKind::OneWithSelection:
            inputs = {{"mono", {.source = mono}},
                      {"stereo", {.source = stereo}},
                      {"mono@1000+30001", {.source = mono, .selection = {1000, 30001}}},
                      {"stereo@20001+40000", {.source = stereo, .selection = {20001, 40000}}}};
            break;
        }
        for (const Setting& setting : settingsFor(*op)) {
            for (const Input& input : inputs) {
                test::RecordingReporter reporter;
                const std::string out = dir.file("result.wav");
                const test::JobRun run = test::runOperation(*op, setting.parameters, input.files,
                                                            reporter, {.destination = out});
                const std::string key =
                    std::string(op->name) + " " + input.name + " " + setting.name;
                table[key] = describeRun(run, reporter, out, folder);
            }
        }
    }
    return table;
}

TEST(GoldenResults, EveryOperationGivesItsKnownResults) {
    const Table expected = readTable(tablePath());
    const Table computed = computeTable();
    if (const char* write = std::getenv("SONARIUM_GOLDEN_WRITE")) {
        std::ofstream out(write);
        out << "# operation input setting<TAB>outcome | result hash, channels, values, first and "
               "last 16 values | report | messages\n";
        for (const auto& [key, line] : computed)
            out << key << '\t' << line << '\n';
    }
    for (const auto& [key, line] : computed) {
        const auto entry = expected.find(key);
        if (entry == expected.end())
            ADD_FAILURE() << key << " has no entry in the table of known results";
        else
            EXPECT_EQ(line, entry->second) << key;
    }
    for (const auto& [key, line] : expected)
        EXPECT_TRUE(computed.contains(key)) << key << " is in the table but was not run";
}

} // namespace
} // namespace sonarium
