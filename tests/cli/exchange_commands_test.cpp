// The exchange commands: the 8-bit and raw conversions against the editor's jobs and sox, the
// refusals that must not hang, and the MP3 export with a stand-in lame recording what it is given.
#include "cli_runner.h"
#include "operations/exchange/eight_bit_export.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/mp3_batch.h"
#include "operations/exchange/raw_import.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::CliRun;
using test::runCli;

// PATH replaced for the lifetime of the object.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path) {
        if (const char* old = std::getenv("PATH"))
            previous_ = old;
        test::setEnvironment("PATH", path);
    }
    ~ScopedPath() { test::setEnvironment("PATH", previous_); }
    ScopedPath(const ScopedPath&) = delete;
    ScopedPath& operator=(const ScopedPath&) = delete;
    static std::string current() {
        const char* path = std::getenv("PATH");
        return path != nullptr ? path : "/usr/bin:/bin";
    }

private:
    std::optional<std::string> previous_;
};

void writeScript(const fs::path& path, const std::string& text) {
    test::writeBytes(path.string(), Bytes(text.begin(), text.end()));
    fs::permissions(path, fs::perms::owner_all);
}

// Every file under the folders, by path, with its contents (its length alone for the sparse
// giant of the refusals).
std::map<std::string, Bytes> snapshot(const std::vector<fs::path>& folders) {
    std::map<std::string, Bytes> files;
    for (const fs::path& folder : folders)
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) {
                const std::string length = std::to_string(entry.file_size());
                files[entry.path().string()] = entry.file_size() > (1U << 24)
                                                   ? Bytes(length.begin(), length.end())
                                                   : test::readBytes(entry.path().string());
            }
    return files;
}

class ExchangeCommands : public ::testing::Test {
protected:
    test::TempAudioRoot root;
    test::TempDir dir;
    test::TempDir tools; // stand-in programs
    test::TempDir cwd;   // where the commands run: nothing may appear here
    std::string record = tools.file("lame.record");

    void SetUp() override {
        // Records each call's arguments (a link as what it links to), each ended by a NUL and
        // the call by one more; fails like lame on an input it cannot read; writes its output.
        writeScript(tools.path() / "lame", "#!/bin/sh\n"
                                           "for a in \"$@\"; do [ -L \"$a\" ] && "
                                           "a=$(readlink -- \"$a\"); printf '%s\\0' \"$a\"; "
                                           "done >>'" +
                                               record +
                                               "'\n"
                                               "printf '\\0' >>'" +
                                               record +
                                               "'\n"
                                               "for a in \"$@\"; do in=$out; out=$a; done\n"
                                               "[ -r \"$in\" ] || exit 1\n"
                                               "case $in in *fails*) exit 1 ;; esac\n"
                                               "printf 'stand-in mp3' >\"$out\"\n");
    }
    std::vector<std::vector<std::string>> lameCalls() const {
        std::vector<std::vector<std::string>> calls(1);
        if (!fs::exists(record))
            return {};
        const Bytes bytes = test::readBytes(record);
        std::string current;
        for (unsigned char c : bytes) {
            if (c != 0) {
                current += static_cast<char>(c);
            } else if (!current.empty()) {
                calls.back().push_back(current);
                current.clear();
            } else {
                calls.emplace_back();
            }
        }
        calls.pop_back(); // after the last call's end
        return calls;
    }
    CliRun exportMp3(const std::vector<std::string>& arguments) {
        ScopedPath path(tools.path().string() + ":" + ScopedPath::current());
        std::vector<std::string> all{"export-mp3"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return runCli(all, 60, cwd.path().string());
    }
};

// The command line writes the very file the editor's job writes; sources stay untouched and
// headers declare exactly what follows them.
TEST_F(ExchangeCommands, WriteWhatTheEditorWrites) {
    const std::string eight = dir.file("sox8.wav");
    const CliRun sox = test::runProgramForTests(
        "sox", {"-n", "-r", "22050", "-c", "2", "-b", "8", eight, "synth", "1.3", "sine", "300"});
    if (sox.status == 127)
        GTEST_SKIP() << "sox is not installed";
    ASSERT_EQ(sox.status, 0) << sox.err;
    const std::string wave16 =
        test::writeWave(dir.file("in16.wav"), test::ramp(128003, -32768, 311), 2, 32000);
    struct Case {
        const char* command;
        JobOutcome (*job)(JobContext&);
        std::string source;
    };
    const Case cases[] = {
        {"import-8bit", importEightBit, eight},
        {"export-8bit", exportEightBit, wave16},
        {"import-raw", importRaw, wave16},
        {"import-raw", importRaw, eight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + c.source);
        const Bytes before = test::readBytes(c.source);
        const std::string fromCli = dir.file("cli.wav");
        const std::string fromEditor = dir.file("editor.wav");
        const CliRun r = runCli({c.command, c.source, "-o", fromCli});
        ASSERT_EQ(r.status, 0) << r.err;
        test::RecordingReporter reporter;
        std::vector<std::string> opened;
        WaveContext wave{reporter, resourceFile("suffix.rc2").string(),
                         [&opened](const std::string& p) { opened.push_back(p); }};
        NullProgress progress;
        JobContext context{.wave = wave,
                           .progress = progress,
                           .input = {.source = c.source},
                           .destination = [&] { return fromEditor; },
                           .result =
                               c.job == exportEightBit ? ResultFile::Finish : ResultFile::Open};
        ASSERT_EQ(c.job(context), JobOutcome::Completed);
        EXPECT_EQ(opened.size(), c.job == exportEightBit ? 0U : 1U);
        const Bytes result = test::readBytes(fromCli);
        EXPECT_TRUE(result == test::readBytes(fromEditor));
        EXPECT_EQ(test::readBytes(c.source), before);
        ASSERT_GE(result.size(), 44U + 82U);
        EXPECT_EQ(readLe32(&result[4]), result.size() - 8);
        EXPECT_EQ(readLe32(&result[40]), result.size() - 44 - 82);
    }
    // sox's own widening of the same 8-bit file gives the same values.
    const std::string raw = dir.file("sox16.raw");
    ASSERT_EQ(
        test::runProgramForTests("sox", {"-D", eight, "-t", "s16", "-L", "-b", "16", raw}).status,
        0);
    ASSERT_EQ(runCli({"import-8bit", eight, "-o", dir.file("ours.wav")}).status, 0);
    const Bytes ours = test::readBytes(dir.file("ours.wav"));
    EXPECT_TRUE(Bytes(ours.begin() + 44, ours.end() - 82) == test::readBytes(raw));
}

TEST_F(ExchangeCommands, RefusalsEndAtOnce) {
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.file("huge.raw"); // sparse: past the 32-bit sizes
    fs::resize_file(test::writeWave(huge, {}), 0x100000000ULL + 10);
    const std::string wave16 = test::writeWave(dir.file("a.wav"), test::ramp(1000));
    fs::create_symlink(wave16, dir.file("link.wav"));
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const std::string out = dir.file("out.wav");
    const Case cases[] = {
        {{"import-raw", fifo, "-o", out}, 1, "not a regular file"},
        {{"import-raw", "/dev/zero", "-o", out}, 1, "not a regular file"},
        {{"import-raw", dir.path().string(), "-o", out}, 1, "Is a directory"},
        {{"import-raw", huge, "-o", out}, 1, "at most 4 GB"},
        {{"import-8bit", fifo, "-o", out}, 1, "not a regular file"},
        {{"export-8bit", wave16, "-o", dir.file("link.wav")}, 1, "This file already exists"},
        {{"export-8bit", wave16}, 2, "usage"},
    };
    const auto before = snapshot({dir.path()});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
        const CliRun r = runCli(c.arguments, 20);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(snapshot({dir.path()}), before);
    }
}

// Names that would run something if any of them reached a shell unquoted. Each one that ran
// would create INJECTED in the folder it ran in.
TEST_F(ExchangeCommands, Mp3HostileNamesReachTheEncoderExactly) {
    const std::vector<std::int16_t> sound = test::ramp(2000);
    const fs::path hostileFolder = dir.path() / "-d $(touch INJECTED) `touch INJECTED`;'\"*\n";
    fs::create_directory(hostileFolder);
    std::vector<std::string> sources;
    for (const std::string name :
         {"with space.wav", "quote'single.wav", "quote\"double.wav", "$(touch INJECTED).wav",
          "`touch INJECTED`.wav", "semi;touch INJECTED;.wav", "amp&&touch INJECTED|x.wav",
          "star*.wav", "new\nline.wav", "-leading.wav", "back\\slash.wav"})
        sources.push_back(test::writeWave(dir.file(name), sound));
    sources.push_back(test::writeWave((hostileFolder / "-in hostile ' $(x).wav").string(), sound));
    // The command installs the encoder scripts under the audio root the first time; they are
    // there before, as in any session after the first.
    ASSERT_TRUE(installMissingResources(test::shippedDataDir()).failures.empty());
    const auto before = snapshot({dir.path(), cwd.path(), root.path()});

    const CliRun r = exportMp3([&] {
        std::vector<std::string> arguments{"--bitrate", "192", "--"};
        arguments.insert(arguments.end(), sources.begin(), sources.end());
        return arguments;
    }());
    ASSERT_EQ(r.status, 0) << r.err;

    std::string printed;
    std::vector<std::vector<std::string>> expectedCalls;
    std::set<std::string> made;
    for (const std::string& source : sources) {
        const std::string result = mp3ResultPath(source);
        printed += result + "\n";
        made.insert(result);
        std::string stem = mp3Names(source).stem + ".mp2";
        if (stem.front() == '-')
            stem = "./" + stem;
        expectedCalls.push_back({"--quiet", "-b", "192", source, stem});
        EXPECT_EQ(test::readBytes(result),
                  Bytes({'s', 't', 'a', 'n', 'd', '-', 'i', 'n', ' ', 'm', 'p', '3'}));
    }
    EXPECT_EQ(r.out, printed);
    EXPECT_EQ(lameCalls(), expectedCalls);
    // Nothing but the results appeared, and nothing that was there changed.
    // The batch and the encoder's hidden folders are gone too.
    auto after = snapshot({dir.path(), cwd.path(), root.path()});
    for (const std::string& result : made)
        EXPECT_EQ(after.erase(result), 1U) << result;
    for (const auto& [path, bytes] : before)
        EXPECT_TRUE(after.count(path) == 1 && after[path] == bytes) << path;
    for (const auto& [path, bytes] : after)
        EXPECT_TRUE(before.count(path) == 1) << "new file " << path;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        EXPECT_TRUE(entry.is_regular_file() || entry.path() == hostileFolder) << entry.path();
}

// One file's failure does not stop the next: a source that cannot be read is refused before the
// encoder runs, one the encoder fails on is reported after, and a result already there from an
// earlier run does not count as this run's.
TEST_F(ExchangeCommands, Mp3FailuresAreReported) {
    const std::string good = test::writeWave(dir.file("good.wav"), test::ramp(100));
    const std::string good2 = test::writeWave(dir.file("good2.wav"), test::ramp(100));
    const std::string missing = dir.file("missing.wav");
    const std::string noFolder = dir.file("nofolder") + "/x.wav";
    const std::string stale = dir.file("stale.wav");
    test::writeBytes(dir.file("stale.mp3"), {'o', 'l', 'd'});
    // The stand-in encoder fails on this one.
    const std::string failing = test::writeWave(dir.file("fails.wav"), test::ramp(100));
    const CliRun r =
        exportMp3({"--bitrate", "none", good, missing, noFolder, stale, failing, good2});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, mp3ResultPath(good) + "\n" + mp3ResultPath(good2) + "\n");
    for (const std::string& refused : {missing, noFolder, stale})
        EXPECT_NE(r.err.find("File " + refused + "\ncannot be read"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("File " + failing + "\nwas not encoded: " + mp3ResultPath(failing) +
                         " was not made"),
              std::string::npos)
        << r.err;
    const auto calls = lameCalls();
    EXPECT_EQ(calls.size(), 3U); // never for the sources refused
    EXPECT_EQ(calls.front(), (std::vector<std::string>{"--quiet", good, "good.mp2"}));
    EXPECT_EQ(calls.back(), (std::vector<std::string>{"--quiet", good2, "good2.mp2"}));
    EXPECT_TRUE(fs::is_empty(cwd.path()));
    EXPECT_EQ(test::readBytes(dir.file("stale.mp3")), Bytes({'o', 'l', 'd'}));
}

TEST_F(ExchangeCommands, Mp3RateOption) {
    const std::string source = test::writeWave(dir.file("a.wav"), test::ramp(100));
    Preferences preferences = Preferences::defaults();
    preferences.mp3Option = "-b 224";
    fs::create_directories(locationPath(Location::Resources));
    ASSERT_TRUE(SavePreferences(resourceFile("prefs.snp").string(), preferences));
    struct Case {
        std::vector<std::string> options;
        int status;
        std::vector<std::string> call; // the encoder's arguments before the paths
    };
    const Case cases[] = {
        {{}, 0, {"--quiet", "-b", "224"}},
        {{"--bitrate=320"}, 0, {"--quiet", "-b", "320"}},
        {{"--bitrate", "none"}, 0, {"--quiet"}},
        {{"--bitrate", "100"}, 2, {}},
        {{"--bitrate"}, 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.empty() ? "default" : c.options[0]);
        fs::remove(record);
        std::vector<std::string> arguments = c.options;
        arguments.push_back(source);
        const CliRun r = exportMp3(arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status != 0) {
            EXPECT_TRUE(lameCalls().empty());
            continue;
        }
        std::vector<std::string> call = c.call;
        call.insert(call.end(), {source, "a.mp2"});
        EXPECT_EQ(lameCalls(), std::vector<std::vector<std::string>>{call});
    }
    EXPECT_EQ(runCli({"export-mp3"}).status, 2);
}

TEST_F(ExchangeCommands, Mp3WithoutLame) {
    const std::string source = test::writeWave(dir.file("a.wav"), test::ramp(100));
    test::TempDir empty;
    ScopedPath path(empty.path().string());
    const CliRun r = runCli({"export-mp3", source});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("lame"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir.file("a.mp3")));
    // The encoder script alone says so too, with the status of a command not found.
    fs::create_symlink("/bin/sh", empty.path() / "sh");
    const CliRun mpenc = test::runProgramForTests(
        "sh", {(test::shippedDataDir() / "res" / "mpenc").string(), source});
    EXPECT_EQ(mpenc.status, 127);
    EXPECT_NE(mpenc.err.find("lame"), std::string::npos) << mpenc.err;
}

// The launcher runs the batch in the terminal it finds, or without one in the background with
// its output in mpenc.log; either way the batch reaches it as one argument.
TEST_F(ExchangeCommands, Mp3Launcher) {
    const std::string source = test::writeWave(dir.file("a b.wav"), test::ramp(100));
    const std::string launcher = (test::shippedDataDir() / "res" / "mpenc-launch").string();
    const std::string batch = dir.file("my batch.sh");
    const std::string encoder = (test::shippedDataDir() / "res" / "mpenc").string();
    const std::string text = mp3Batch(mp3ExportsBeside({source}), "-b 128", encoder, batch);
    test::writeBytes(batch, Bytes(text.begin(), text.end()));
    // Only what the scripts need is on PATH, so that no terminal of this machine is found.
    for (const char* program : {"sh", "mv", "mktemp", "ln", "rm", "rmdir"})
        fs::create_symlink(fs::path("/bin") / program, tools.path() / program);
    ScopedPath path(tools.path().string());

    CliRun r = test::runProgramForTests("sh", {launcher, batch});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists(dir.file("a b.mp3")));
    EXPECT_TRUE(fs::exists(dir.file("mpenc.log")));
    EXPECT_FALSE(fs::exists(batch)); // a batch removes itself once it has run
    test::writeBytes(batch, Bytes(text.begin(), text.end()));

    const std::string terminalRecord = tools.file("xterm.record");
    writeScript(tools.path() / "xterm",
                "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >'" + terminalRecord +
                    "'\n");
    r = test::runProgramForTests("sh", {launcher, batch});
    EXPECT_EQ(r.status, 0) << r.err;
    const Bytes recorded = test::readBytes(terminalRecord);
    EXPECT_EQ(std::string(recorded.begin(), recorded.end()), "-e\nsh\n" + batch + "\n");
}

// With the real encoder: a valid MPEG-1 Layer III stream whose every frame has the chosen rate.
TEST_F(ExchangeCommands, Mp3WithTheRealEncoder) {
    if (test::runProgramForTests("lame", {"--version"}).status != 0)
        GTEST_SKIP() << "lame is not installed";
    const std::string source = test::writeWave(dir.file("tone.wav"), test::ramp(88200, 0, 97), 2);
    const CliRun r = runCli({"export-mp3", "--bitrate", "160", source}, 60, cwd.path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes mp3 = test::readBytes(dir.file("tone.mp3"));
    std::size_t at = 0;
    int frames = 0;
    while (at + 4 <= mp3.size() && !(mp3[at] == 'T' && mp3[at + 1] == 'A' && mp3[at + 2] == 'G')) {
        ASSERT_EQ(mp3[at], 0xFF) << at;
        ASSERT_EQ(mp3[at + 1] & 0xFE, 0xFA) << at;  // sync, MPEG-1, Layer III
        ASSERT_EQ(mp3[at + 2] >> 4, 10) << at;      // 160 kbit/s
        ASSERT_EQ((mp3[at + 2] >> 2) & 3, 0) << at; // 44100 Hz
        at += 144U * 160000U / 44100U + ((mp3[at + 2] >> 1) & 1U);
        ++frames;
    }
    EXPECT_EQ(at == mp3.size() || at + 128 == mp3.size(), true) << at << " of " << mp3.size();
    EXPECT_GT(frames, 30);
    EXPECT_FALSE(fs::exists(dir.file("tone.mp2")));
}

// With the real encoder: the export makes its result and nothing else, never writes over its
// source however it is named, never takes a NAME.mp2 the user has, and refuses what is not a
// 16-bit wave file before anything runs.
TEST_F(ExchangeCommands, Mp3NeverTouchesWhatIsNotItsOwn) {
    if (test::runProgramForTests("lame", {"--version"}).status != 0)
        GTEST_SKIP() << "lame is not installed";
    const test::Bytes wave = test::buildWave({.samples = test::ramp(8000)});
    const Bytes mine{'m', 'i', 'n', 'e', '\n'};
    struct Case {
        std::string name;
        // Makes the case's files in folder; returns the export's arguments.
        std::function<std::vector<std::string>(const fs::path&)> setup;
        int status;
        std::string message;           // on stderr
        std::vector<std::string> made; // the new files, by name
    };
    const auto file = [](const fs::path& folder, const std::string& name, const Bytes& bytes) {
        test::writeBytes((folder / name).string(), bytes);
        return (folder / name).string();
    };
    const Case cases[] = {
        {"a wave named .mp3",
         [&](const fs::path& f) { return std::vector<std::string>{file(f, "voice.mp3", wave)}; },
         1,
         "is a source of this operation",
         {}},
        {"a wave named .mp2",
         [&](const fs::path& f) { return std::vector<std::string>{file(f, "old.mp2", wave)}; },
         0,
         "",
         {"old.mp3"}},
        {"the user's NAME.mp2",
         [&](const fs::path& f) {
             file(f, "song.mp2", mine);
             return std::vector<std::string>{file(f, "song.wav", wave)};
         },
         0,
         "",
         {"song.mp3"}},
        {"a FIFO",
         [](const fs::path& f) {
             ::mkfifo((f / "fifo.wav").c_str(), 0600);
             return std::vector<std::string>{(f / "fifo.wav").string()};
         },
         1,
         "not a regular file",
         {}},
        {"a device",
         [](const fs::path&) { return std::vector<std::string>{"/dev/zero"}; },
         1,
         "not a regular file",
         {}},
        {"a folder",
         [](const fs::path& f) {
             fs::create_directory(f / "folder.wav");
             return std::vector<std::string>{(f / "folder.wav").string()};
         },
         1,
         "Is a directory",
         {}},
        {"an empty file",
         [&](const fs::path& f) { return std::vector<std::string>{file(f, "empty.wav", {})}; },
         1,
         "cannot be read as Wave Audio",
         {}},
        {"a text file",
         [&](const fs::path& f) { return std::vector<std::string>{file(f, "text.wav", mine)}; },
         1,
         "cannot be read as Wave Audio",
         {}},
        {"two sources, one result",
         [&](const fs::path& f) {
             return std::vector<std::string>{file(f, "x.wav", wave), file(f, "x.WAV", wave)};
         },
         1,
         "would both be encoded to",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir folder;
        const std::vector<std::string> sources = c.setup(folder.path());
        const auto before = snapshot({folder.path(), root.path()});
        const std::set<std::string> names = test::folderEntries(folder.path());
        std::vector<std::string> arguments{"export-mp3"};
        arguments.insert(arguments.end(), sources.begin(), sources.end());
        const CliRun r = runCli(arguments, 60, cwd.path().string());
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        auto after = snapshot({folder.path(), root.path()});
        for (const std::string& name : c.made) {
            const std::string result = (folder.path() / name).string();
            ASSERT_TRUE(after.count(result) == 1) << result;
            EXPECT_EQ(after[result][0], 0xFF) << "not an MPEG stream";
            after.erase(result);
        }
        // The installed resources may be new on the first run; nothing else is, and nothing that
        // was there changed.
        for (const auto& [path, bytes] : before)
            EXPECT_TRUE(after.count(path) == 1 && after[path] == bytes) << path;
        for (const auto& [path, bytes] : after)
            EXPECT_TRUE(before.count(path) == 1 || path.starts_with(root.path().string()))
                << "new file " << path;
        std::set<std::string> expected = names;
        expected.insert(c.made.begin(), c.made.end());
        EXPECT_EQ(test::folderEntries(folder.path()), expected) << "a hidden folder was left";
        EXPECT_FALSE(fs::exists("/dev/.mp3"));
        EXPECT_TRUE(fs::is_empty(cwd.path()));
    }
    // The encoder script alone never takes over, nor removes, a NAME.mp2 already there.
    test::TempDir folder;
    file(folder.path(), "song.wav", wave);
    const std::string user = file(folder.path(), "song.mp2", mine);
    const CliRun direct = test::runProgramForTests(
        "sh", {"-c", "cd \"$1\" && sh \"$2\" song.wav", "sh", folder.path().string(),
               (test::shippedDataDir() / "res" / "mpenc").string()});
    EXPECT_EQ(direct.status, 1);
    EXPECT_NE(direct.err.find("song.mp2 exists already"), std::string::npos) << direct.err;
    EXPECT_EQ(test::readBytes(user), mine);
}

// Two exports at once, many times: each runs its own batch, and each result is its own source's
// encoding.
TEST_F(ExchangeCommands, Mp3TwoExportsAtOnce) {
    if (test::runProgramForTests("lame", {"--version"}).status != 0)
        GTEST_SKIP() << "lame is not installed";
    const std::string one = test::writeWave(dir.file("one.wav"), test::ramp(20000, 0, 3));
    const std::string two = test::writeWave(dir.file("two.wav"), test::ramp(90000, 0, 11), 2);
    ASSERT_EQ(runCli({"export-mp3", one, two}).status, 0);
    const Bytes alone[] = {test::readBytes(mp3ResultPath(one)),
                           test::readBytes(mp3ResultPath(two))};
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        fs::remove(mp3ResultPath(one));
        fs::remove(mp3ResultPath(two));
        const pid_t first = test::startCli({"export-mp3", one});
        const pid_t second = test::startCli({"export-mp3", two});
        EXPECT_EQ(test::waitCli(first).status, 0);
        EXPECT_EQ(test::waitCli(second).status, 0);
        EXPECT_TRUE(test::readBytes(mp3ResultPath(one)) == alone[0]);
        EXPECT_TRUE(test::readBytes(mp3ResultPath(two)) == alone[1]);
    }
    // No batch is left behind, nor any hidden folder.
    for (const auto& entry : fs::directory_iterator(locationPath(Location::Resources)))
        EXPECT_FALSE(entry.path().extension() == ".sh") << entry.path();
    EXPECT_EQ(test::folderEntries(dir.path()),
              (std::set<std::string>{"one.mp3", "one.wav", "two.mp3", "two.wav"}));
}

} // namespace
} // namespace sonarium
