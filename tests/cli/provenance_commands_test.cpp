// What made each result, as commands: every operation's recorded command makes its result again
// through the command line; a chain of results comes back as a script that makes the last one;
// replay and batch run a chain on other originals.
#include "chain_commands.h"
#include "cli_runner.h"
#include "operation_commands.h"
#include "operations/recorded_job.h"
#include "provenance/chain.h"
#include "provenance/shell_words.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

struct NoProgress final : Progress {
    void setProgress(int) override {}
};

std::vector<std::int16_t> noise(std::size_t values, std::uint32_t seed) {
    std::vector<std::int16_t> out(values);
    std::uint32_t state = seed;
    for (std::size_t i = 0; i < values; ++i) {
        state = state * 214013U + 2531011U;
        const int level = (i / 700) % 3 == 1 ? 0 : 12000; // a silent stretch for the detectors
        out[i] = static_cast<std::int16_t>(level == 0 ? 0
                                                      : static_cast<int>((state >> 16) & 0x7FFF) -
                                                            16384 + static_cast<int>(i % 50) * 200);
    }
    return out;
}

// Runs an operation as the editor does, with its record written: results are drawn in order
// from `results`, a report's record goes to reportFolder.
JobOutcome runRecorded(const OperationDecl& op, const Parameters& p, const JobInput& input,
                       std::vector<std::string> results, const std::string& reportFolder,
                       Reporter& reporter) {
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    NoProgress progress;
    std::size_t next = 0;
    JobContext context{
        .wave = wave,
        .progress = progress,
        .input = input,
        .destination = [&results,
                        &next] { return next < results.size() ? results[next++] : std::string(); },
        .result = ResultFile::Finish};
    return runRecordedJob(op, context, p, {.record = true, .reportDirectory = reportFolder});
}

// Settings a little off the defaults: numbers moved by a small awkward step, the last choice,
// check boxes flipped; a seed taken from the clock fixed.
Parameters offDefaults(const OperationDecl& op) {
    Parameters p = op.defaults();
    for (const FieldSpec& f : op.fields) {
        if (!f.enabled || f.member.empty() || f.dialogOnly)
            continue;
        if (f.member == "seed") {
            p.setNumber(f.member, 12345);
        } else if (f.type == FieldType::CheckBox) {
            p.setNumber(f.member, f.defaultValue != 0 ? 0 : 1);
        } else if (f.hasChoices()) {
            p.setText(f.member, std::string(f.choices.back().value));
        } else if (f.type == FieldType::Text) {
            // Positions and lengths in seconds, inside the 3000-frame sources.
            p.setText(f.member, f.member == "end" ? "0.040" : "0.010");
        } else if (f.isNumeric() && f.maximum > f.minimum) {
            const bool up = f.maximum > f.defaultValue;
            double step =
                f.isInteger()
                    ? 1
                    : (up ? f.maximum - f.defaultValue : f.defaultValue - f.minimum) / 997.0;
            step = std::min(step, f.isInteger() ? 1.0 : 0.37);
            double value = f.defaultValue + (up ? step : -step);
            if (f.type == FieldType::Float)
                value = static_cast<float>(value);
            p.setNumber(f.member, value);
        }
    }
    return p;
}

Parameters fixedDefaults(const OperationDecl& op) {
    Parameters p = op.defaults();
    if (const FieldSpec* seed = op.field("seed"); seed != nullptr && !seed->isTextual())
        p.setNumber("seed", 12345);
    return p;
}

class ProvenanceCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    std::string mono = test::writeWave(dir.file("take one.wav"), noise(3000, 1));
    std::string stereo = test::writeWave(dir.file("stereo's.wav"), noise(3000, 2), 2);
    std::string aux = test::writeWave(dir.file("aux.wav"), noise(2600, 3));
    std::string results = (dir.path() / "tempsnds").string();

    void SetUp() override { fs::create_directories(results); }

    std::vector<ProvenanceRecord> records() const { return readHistory(historyPathIn(results)); }
};

// The copied command goes through a shell's word splitting, as a user pasting it would.
std::vector<std::string> pasted(const std::vector<std::string>& words) {
    std::size_t next = 0;
    return *splitShellWords(shellCommand(words), next);
}

TEST_F(ProvenanceCommands, EveryOperationsRecordedCommandMakesItsResultAgain) {
    int compared = 0;
    for (const OperationDecl* op : allOperations()) {
        if (op->editorOnly || op->output == OutputKind::ExternalFile)
            continue;
        SCOPED_TRACE(std::string(op->name));
        const std::size_t before = records().size();
        std::vector<std::string> made;
        for (int k = 0; k < std::max(op->resultCount(), 1); ++k)
            made.push_back(results + "/" + std::string(op->name) + std::to_string(k) + ".wav");
        // Off its defaults where the operation takes them, on a mono Source or else a stereo one.
        bool completed = false;
        for (const Parameters& p : {offDefaults(*op), fixedDefaults(*op)}) {
            for (const std::string& source : {mono, stereo}) {
                test::RecordingReporter reporter;
                const JobInput input{op->sourceCount() > 0 ? source : "",
                                     op->sourceCount() > 1 ? aux : "", FrameSpan{150, 1700}};
                completed =
                    runRecorded(*op, p, input, made, results, reporter) == JobOutcome::Completed;
                if (completed)
                    break;
            }
            if (completed)
                break;
        }
        ASSERT_TRUE(completed);
        const auto all = records();
        ASSERT_EQ(all.size(), before + 1) << "one record per completed job";
        const ProvenanceRecord& record = all.back();
        EXPECT_EQ(record.operation, op->name);
        ASSERT_EQ(record.outputs.size(), static_cast<std::size_t>(op->resultCount()));
        ASSERT_EQ(record.inputs.size(), static_cast<std::size_t>(op->sourceCount()));
        for (const FileStamp& input : record.inputs)
            EXPECT_TRUE(stillMatches(input)) << input.path;
        if (op->resultCount() == 0)
            continue; // a report: nothing to compare
        // The command, its results sent elsewhere, run through the command line's own path.
        std::size_t output = 0;
        std::vector<std::string> again;
        const auto words = pasted(record.command([&](const FileStamp& stamp) {
            if (output < record.inputs.size() && stamp.path == record.inputs[output].path) {
                ++output;
                return stamp.path;
            }
            again.push_back(dir.file("again" + std::to_string(again.size()) + ".wav"));
            return again.back();
        }));
        ASSERT_EQ(words[1], op->name);
        EXPECT_EQ(runOperation(*op, std::vector<std::string>(words.begin() + 2, words.end())), 0)
            << shellCommand(words);
        for (std::size_t k = 0; k < again.size(); ++k)
            EXPECT_EQ(test::readBytes(again[k]), test::readBytes(made[k])) << shellCommand(words);
        ++compared;
    }
    EXPECT_GT(compared, 40);
}

// A chain of five results from two originals: a synthesis, a selection edit, a two-file
// interaction with the synthesis, an effect, and a channel tool.
class Chain : public ProvenanceCommands {
protected:
    std::string result(int n) const { return results + "/00" + std::to_string(n) + ".wav"; }

    struct Step {
        const char* operation;
        std::vector<std::pair<std::string, std::string>> settings;
        std::vector<std::string> inputs; // "@N": result N, else a path
        FrameSpan selection;
    };
    std::vector<Step> steps() const {
        return {{"gaussian-synthesis", {{"seed", "7"}}, {}, {}},
                {"remove-selection", {}, {"ORIGINAL"}, FrameSpan{200, 900}},
                {"multiply", {}, {"@1", "@0"}, {}},
                {"volume", {{"ratio", "150"}}, {"@2"}, {}},
                {"mono-to-stereo", {}, {"@3"}, {}}};
    }

    // Runs the chain on an original, results in folder; the last result's path.
    std::string runChain(const std::string& original, const std::string& folder) {
        std::vector<std::string> made;
        int n = 0;
        for (const Step& step : steps()) {
            const OperationDecl* op = findOperation(step.operation);
            EXPECT_NE(op, nullptr) << step.operation;
            Parameters p = op->defaults();
            for (const auto& [member, value] : step.settings) {
                const FieldSpec* field = nullptr;
                for (const FieldSpec& f : op->fields)
                    if (f.optionName() == member)
                        field = &f;
                p.setNumber(field->member, std::stod(value));
            }
            JobInput input;
            input.selection = step.selection;
            for (std::size_t k = 0; k < step.inputs.size(); ++k) {
                const std::string& word = step.inputs[k];
                const std::string path =
                    word == "ORIGINAL" ? original : made[static_cast<std::size_t>(word[1] - '0')];
                (k == 0 ? input.source : input.aux) = path;
            }
            made.push_back(folder + "/00" + std::to_string(n++) + ".wav");
            test::RecordingReporter reporter;
            EXPECT_EQ(runRecorded(*op, p, input, {made.back()}, folder, reporter),
                      JobOutcome::Completed)
                << step.operation;
        }
        return made.back();
    }
};

TEST_F(Chain, ItsScriptMakesTheLastResultAndReplayMakesItFromOtherOriginals) {
    const std::string last = runChain(mono, results);
    std::string problem;
    auto chain = findChain(last, {}, problem);
    ASSERT_TRUE(chain) << problem;
    ASSERT_EQ(chain->steps.size(), 5U);
    EXPECT_EQ(chain->originals, std::vector<std::string>{mono});
    const std::string script = chainScript(*chain);
    EXPECT_EQ(script.find("changed since"), std::string::npos) << script;

    // Run in an empty folder, the script makes the file byte for byte.
    test::TempDir empty;
    const std::string scriptPath = dir.file("chain.sh");
    std::ofstream(scriptPath) << script;
    const auto run = test::runProgramForTests(
        "sh", {"-c", "cd " + shellQuote(empty.path().string()) + " && SONARIUM_CLI=" +
                         shellQuote(SONARIUM_CLI_PATH) + " sh " + shellQuote(scriptPath)});
    ASSERT_EQ(run.status, 0) << run.err << script;
    EXPECT_EQ(test::readBytes(empty.file("004.wav")), test::readBytes(last)) << script;

    // Replayed on two other originals (named by file name, then by path, from the script and from
    // the records), it makes what running the chain by hand on them makes.
    const std::string records = dir.file("records.jsonl");
    {
        std::vector<ProvenanceRecord> chainRecords;
        for (const ChainStep& step : chain->steps)
            chainRecords.push_back(step.record);
        std::ofstream(records) << historyLines(chainRecords);
    }
    const std::string others[] = {test::writeWave(dir.file("other-1.wav"), noise(4100, 9)),
                                  test::writeWave(dir.file("$other 2.wav"), noise(1900, 10))};
    const std::pair<std::string, std::string> replays[] = {{scriptPath, "take one.wav"},
                                                           {records, mono}};
    for (std::size_t k = 0; k < 2; ++k) {
        const std::string byHand = dir.file("hand" + std::to_string(k));
        fs::create_directories(byHand);
        const std::string expected = runChain(others[k], byHand);
        const std::string out = dir.file("replayed " + std::to_string(k) + ".wav");
        std::vector<std::string> args{
            replays[k].first, "--quiet", "--input", replays[k].second + "=" + others[k], "-o", out};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        ASSERT_EQ(runReplayCommand(static_cast<int>(argv.size()), argv.data()), 0);
        EXPECT_EQ(test::readBytes(out), test::readBytes(expected)) << k;
    }
    // Only the result is left beside OUT: the working folder is gone.
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".replay")) << entry.path();
}

TEST_F(Chain, ARenamedResultKeepsItsRecordAndAChangedInputIsFlagged) {
    const std::string last = runChain(mono, results);
    // Saved elsewhere under another name: known by its content in the output folder's history.
    const std::string saved = dir.file("final mix.wav");
    fs::copy_file(last, saved);
    std::string problem;
    auto chain = findChain(saved, {results}, problem);
    ASSERT_TRUE(chain) << problem;
    EXPECT_EQ(chain->steps.size(), 5U);
    EXPECT_NE(chainScript(*chain).find(" -o 'final mix.wav'\n"), std::string::npos)
        << chainScript(*chain);
    EXPECT_FALSE(findChain(saved, {}, problem)) << "not looked for in the output folder";

    // The original changes after the chain was made: the step that read it says so.
    test::writeWave(mono, noise(3000, 99));
    chain = findChain(last, {}, problem);
    ASSERT_TRUE(chain) << problem;
    ASSERT_EQ(chain->steps.size(), 5U);
    std::size_t flagged = 0;
    for (const ChainStep& step : chain->steps) {
        flagged += step.changedInputs.size();
        if (!step.changedInputs.empty()) {
            EXPECT_EQ(step.record.operation, "remove-selection");
        }
    }
    EXPECT_EQ(flagged, 1U);
    EXPECT_NE(chainScript(*chain).find("# changed since: " + shellQuote(mono)), std::string::npos);
}

TEST_F(Chain, HistoryCommandPrintsTheScriptAndTheRecords) {
    const std::string last = runChain(mono, results);
    const auto script = test::runCli({"history", last});
    ASSERT_EQ(script.status, 0) << script.err;
    std::string problem;
    EXPECT_EQ(script.out, chainScript(*findChain(last, {}, problem)));
    EXPECT_NE(script.out.find("\"$cli\" volume --ratio 150 002.wav -o 003.wav"), std::string::npos)
        << script.out;
    const auto json = test::runCli({"history", "--json", last});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 5);
    const auto none = test::runCli({"history", mono});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("no record of what made"), std::string::npos) << none.err;
    // The command line records only when asked.
    const std::string plain = dir.file("plain.wav");
    const std::string recorded = dir.file("recorded.wav");
    ASSERT_EQ(test::runCli({"volume", "--ratio", "80", mono, "-o", plain}).status, 0);
    EXPECT_FALSE(fs::exists(historyPathIn(dir.path().string())));
    ASSERT_EQ(test::runCli({"volume", "--record", "--ratio", "80", mono, "-o", recorded}).status,
              0);
    const auto own = readHistory(historyPathIn(dir.path().string()));
    ASSERT_EQ(own.size(), 1U);
    EXPECT_EQ(own[0].command(), (std::vector<std::string>{"sonarium-cli", "volume", "--ratio", "80",
                                                          mono, "-o", recorded}));
}

// A two-step chain on many small files, through batch.
class Batch : public ProvenanceCommands {
protected:
    std::string chainPath = dir.file("chain.sh");
    std::vector<std::string> inputs;

    void SetUp() override {
        ProvenanceCommands::SetUp();
        ASSERT_EQ(
            test::runCli({"volume", "--record", "--ratio", "130", mono, "-o", results + "/000.wav"})
                .status,
            0);
        ASSERT_EQ(
            test::runCli({"reverse", "--record", results + "/000.wav", "-o", results + "/001.wav"})
                .status,
            0);
        const auto script = test::runCli({"history", results + "/001.wav"});
        ASSERT_EQ(script.status, 0) << script.err;
        std::ofstream(chainPath) << script.out;
        fs::create_directories(dir.file("in"));
        for (int i = 0; i < 50; ++i)
            inputs.push_back(test::writeWave(
                dir.file("in/f" + std::to_string(i) + ".wav"),
                noise(800 + 37 * static_cast<std::size_t>(i), static_cast<std::uint32_t>(i + 20))));
    }

    // What a single replay of the chain makes of an input.
    test::Bytes single(const std::string& input) {
        const std::string out = dir.file("single.wav");
        std::vector<std::string> args{chainPath,          "--quiet", "--input",
                                      mono + "=" + input, "-o",      out};
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        EXPECT_EQ(runReplayCommand(static_cast<int>(argv.size()), argv.data()), 0);
        return test::readBytes(out);
    }

    std::vector<std::string> batchArguments(const std::string& out, std::vector<std::string> more) {
        std::vector<std::string> args{"batch", chainPath};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), {"-o", out});
        args.insert(args.end(), inputs.begin(), inputs.end());
        return args;
    }
};

TEST_F(Batch, ThreeAtATimeEqualsSingleRunsAndAKilledBatchResumes) {
    const std::string out = dir.file("out");
    const auto run = test::runCli(batchArguments(out, {"--jobs", "3"}), 120);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "batch: 50 done, 0 already there, 0 failed\n");
    for (const std::string& input : inputs)
        ASSERT_EQ(test::readBytes(out + "/" + fs::path(input).filename().string()), single(input))
            << input;

    // Killed part of the way through, then resumed: every result is whole.
    const std::string again = dir.file("again");
    fs::create_directories(again);
    auto finished = [&again] {
        std::size_t wholeResults = 0;
        for (const std::string& name : test::folderEntries(again))
            if (name.ends_with(".wav"))
                ++wholeResults;
        return wholeResults;
    };
    const pid_t batch = test::startCli(batchArguments(again, {"--jobs", "1"}));
    for (int wait = 0; wait < 5000 && finished() < 10; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ::kill(batch, SIGKILL);
    test::waitCli(batch);
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the replay it left finishes
    const auto resumed = test::runCli(batchArguments(again, {"--jobs", "2", "--resume"}), 120);
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_NE(resumed.out.find(" already there, 0 failed"), std::string::npos) << resumed.out;
    EXPECT_EQ(resumed.out.find(" 0 already there"), std::string::npos) << resumed.out;
    for (const std::string& input : inputs)
        EXPECT_EQ(test::readBytes(again + "/" + fs::path(input).filename().string()),
                  test::readBytes(out + "/" + fs::path(input).filename().string()))
            << input;
}

TEST_F(Batch, AFailureIsSummedUpWithItsReason) {
    inputs.resize(3);
    test::writeBytes(inputs[1], test::Bytes(100, 1)); // no wave file
    const auto run = test::runCli(batchArguments(dir.file("out"), {"--jobs", "2"}));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("batch: 2 done, 0 already there, 1 failed\nfailed: " + inputs[1] + ": "),
              std::string::npos)
        << run.out;
    EXPECT_EQ(test::runCli({"batch", chainPath, "-o", dir.file("x")}).status, 2);
}

TEST_F(Batch, TheSameCommandRunsUnderGnuParallel) {
    if (test::runProgramForTests("parallel", {"--version"}).status != 0)
        GTEST_SKIP() << "GNU parallel is not installed";
    inputs.resize(6);
    const std::string out = dir.file("par");
    fs::create_directories(out);
    // --quote: each word reaches the program as it is, paths with blanks included.
    std::vector<std::string> args{
        "--will-cite", "--quote", "-j",         "2",  SONARIUM_CLI_PATH, "replay", chainPath,
        "--quiet",     "--input", mono + "={}", "-o", out + "/{/}",      ":::"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const auto run = test::runProgramForTests("parallel", args, 120);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const std::string& input : inputs)
        EXPECT_EQ(test::readBytes(out + "/" + fs::path(input).filename().string()), single(input));
}

} // namespace
} // namespace sonarium
