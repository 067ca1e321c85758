// Results that share a folder with other programs' and the user's own files: two writers drawing
// numbers in one folder at once, writers killed before their end, names that lead to one file,
// special files given as inputs, and the small refusals of the command line.
#include "cli_runner.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/staged_file.h"
#include "workspace/working_list.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::CliRun;
using test::runCli;

constexpr int kJobs = 40;

// Writes kJobs results through a working list of its own, as one editor does: each result's
// values say which process and job made it. Between drawing a name and committing the result the
// writer waits a little, so that the other process draws the same numbers; every fifth time a
// file appears under the drawn name meanwhile (another program's result). Records "path process
// job" per result, and "planted path" per planted file.
void writeResults(const std::string& folder, int process, const std::string& record) {
    test::RecordingReporter reporter;
    WorkingList list(reporter);
    list.SetOutputDir(folder);
    WaveContext wave{reporter, "", {}};
    wave.nameTaken = [&list](const std::string& taken) { return list.redrawTakenName(taken); };
    std::ofstream out(record);
    std::mt19937 random(static_cast<unsigned>(process));
    for (int job = 0; job < kJobs; ++job) {
        const std::string path = list.NextTempPath();
        sonIO writer(wave, path, 1, 64);
        const std::vector<std::int16_t> values(64, static_cast<std::int16_t>(process * 1000 + job));
        writer.WriteBlock(values.data(), 64);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
        // Planted only where no file stands yet (O_EXCL): another program's file never replaces
        // a result the other process already committed under that name.
        if (job % 5 == 4) {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            if (fd >= 0) {
                const bool written = ::write(fd, "mine", 4) == 4;
                ::close(fd);
                if (written)
                    out << "planted " << path << "\n";
            }
        }
        if (writer.FinishWrite() == 1)
            out << writer.Path() << " " << process << " " << job << "\n";
    }
}

TEST(SharedFolder, TwoProcessesDrawingNumbersNeverReplaceEachOthersResults) {
    test::TempDir dir;
    const std::string folder = (dir.path() / "tempsnds").string();
    fs::create_directory(folder);
    // Results of an earlier run with a gap: numbering goes on after the highest.
    for (const char* earlier : {"000.wav", "001.wav", "005.wav"})
        test::writeBytes(folder + "/" + earlier, Bytes{'o', 'l', 'd'});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeResults(folder, 2, dir.file("two.record"));
        ::_exit(0);
    }
    writeResults(folder, 1, dir.file("one.record"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    std::map<std::string, std::pair<int, int>> results;
    std::vector<std::string> planted;
    for (const char* record : {"one.record", "two.record"}) {
        std::ifstream in(dir.file(record));
        std::string path;
        while (in >> path) {
            if (path == "planted") {
                in >> path;
                planted.push_back(path);
                continue;
            }
            int process = 0, job = 0;
            in >> process >> job;
            EXPECT_TRUE(results.emplace(path, std::make_pair(process, job)).second)
                << path << " given to two results";
        }
    }
    ASSERT_EQ(results.size(), 2U * kJobs);
    // Every result is still the one its writer made: none was replaced by another.
    for (const auto& [path, maker] : results) {
        EXPECT_GT(fs::path(path).filename().string(), "005.wav") << path;
        const std::vector<std::int16_t> values = test::readValues(path);
        ASSERT_EQ(values.size(), 64U) << path;
        EXPECT_EQ(values[0], maker.first * 1000 + maker.second) << path;
    }
    EXPECT_FALSE(planted.empty());
    for (const std::string& path : planted)
        EXPECT_EQ(test::readBytes(path), (Bytes{'m', 'i', 'n', 'e'})) << path;
    for (const char* earlier : {"000.wav", "001.wav", "005.wav"})
        EXPECT_EQ(test::readBytes(folder + "/" + earlier), (Bytes{'o', 'l', 'd'}));
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".part")) << entry.path();
}

// A writer killed outright leaves its hidden temporary file; the next job writing into that
// folder removes it, but not the one a living writer (this test) holds.
TEST(SharedFolder, AKilledWritersTemporaryFileGoesALiveOneStays) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const fs::path results = dir.path() / "results";
    fs::create_directory(results);
    const std::string big = test::writeWave(dir.file("big.wav"), test::ramp(6'000'000), 2);
    const std::string small = test::writeWave(dir.file("small.wav"), test::ramp(1000));
    const auto parts = [&results] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(results))
            if (entry.path().filename().string().ends_with(".part"))
                names.insert(entry.path().filename().string());
        return names;
    };
    const pid_t killed = test::startCli({"volume", big, "-o", (results / "big.wav").string()});
    for (int i = 0; i < 20000 && parts().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    ::kill(killed, SIGKILL);
    const CliRun run = test::waitCli(killed);
    const std::set<std::string> stale = parts();
    if (run.signal != SIGKILL || stale.empty())
        GTEST_SKIP() << "the job ended before it could be killed";

    StagedFile live;
    ASSERT_TRUE(live.create((results / "live.wav").string()));
    ASSERT_TRUE(live.file().write("live", 4));
    const CliRun next = runCli({"volume", small, "-o", (results / "small-out.wav").string()});
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(parts(), std::set<std::string>{fs::path(live.temporaryPath()).filename().string()});
    EXPECT_TRUE(fs::exists(results / "small-out.wav"));
    live.discard();
    EXPECT_TRUE(parts().empty());
}

// Refusals that must come at once, with a message, and leave the folder as it was.
TEST(CommandLineNames, RefusedWithAMessageAndNothingMade) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string stereo = test::writeWave(dir.file("st.wav"), test::ramp(2000), 2);
    const std::string mono = test::writeWave(dir.file("m.wav"), test::ramp(2000));
    const std::string fifo = dir.file("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string readOnly = dir.file("ro.wav");
    test::writeBytes(readOnly, Bytes{'k', 'e', 'e', 'p'});
    fs::permissions(readOnly,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(dir.path() / "sub");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"split-stereo", stereo, "-o", "x.wav", "-o", "./x.wav"}, 2, "name one file"},
        {{"split-stereo", stereo, "-o", "x.wav", "-o", "sub/../x.wav"}, 2, "name one file"},
        {{"volume", mono, "-o", ""}, 2, "-o needs a file name: the name given is empty"},
        {{"import-raw", mono, "-o", ""}, 2, "-o needs a file name: the name given is empty"},
        {{"volume", mono, "-o", readOnly}, 1, "File " + readOnly + " is read-only"},
        {{"export-8bit", mono, "-o", readOnly}, 1, "File " + readOnly + " is read-only"},
        {{"info", fifo}, 1, "not a regular file"},
        {{"stats", fifo}, 1, "not a regular file"},
        {{"volume", fifo, "-o", "y.wav"}, 1, "not a regular file"},
    };
    const std::set<std::string> before = test::folderEntries(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments.back());
        const CliRun r = runCli(c.arguments, 20, dir.path().string());
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, c.status);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(test::folderEntries(dir.path()), before);
    }
    EXPECT_EQ(test::readBytes(readOnly), (Bytes{'k', 'e', 'e', 'p'}));
}

// What an output name asks for, the command line does: a file it replaces keeps its permission
// bits, a name as long as the system takes is taken, and output it cannot write fails the
// command.
TEST(CommandLineNames, OutputsAsAsked) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string mono = test::writeWave(dir.file("m.wav"), test::ramp(2000));
    for (const fs::perms mode :
         {fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
          fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_all |
              fs::perms::others_read}) {
        const std::string out = dir.file("replaced.wav");
        test::writeBytes(out, Bytes{'o', 'l', 'd'});
        fs::permissions(out, mode);
        const CliRun r = runCli({"volume", mono, "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(fs::status(out).permissions(), mode);
        EXPECT_EQ(test::readValues(out).size(), 2000U);
    }

    const std::string longName = dir.file(std::string(251, 'n') + ".wav"); // 255 bytes
    const CliRun longRun = runCli({"volume", mono, "-o", longName});
    EXPECT_EQ(longRun.status, 0) << longRun.err;
    EXPECT_EQ(test::readValues(longName).size(), 2000U);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_FALSE(entry.path().filename().string().ends_with(".part")) << entry.path();

    for (const std::string& command :
         std::vector<std::string>{"peaks '" + mono + "'", "info '" + mono + "'", "list"}) {
        SCOPED_TRACE(command);
        const CliRun full = test::runCliShell(command + " >/dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
    }
}

// The MP3 export where the audio root cannot be written says so once; without any root it says
// why, and makes nothing where it was started.
TEST(CommandLineNames, Mp3ExportWithoutAUsableRoot) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string mono = test::writeWave(dir.file("m.wav"), test::ramp(2000));
    test::writeBytes(dir.file("file"), Bytes{1});
    test::setEnvironment("SONARIUM_ROOT", dir.file("file") + "/root");
    CliRun r = runCli({"export-mp3", mono}, 60, dir.path().string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("Not a directory"), std::string::npos) << r.err;

    const std::optional<std::string> home = std::getenv("HOME") != nullptr
                                                ? std::optional<std::string>(std::getenv("HOME"))
                                                : std::nullopt;
    test::setEnvironment("SONARIUM_ROOT", std::nullopt);
    test::setEnvironment("HOME", std::nullopt);
    r = runCli({"export-mp3", mono}, 60, dir.path().string());
    test::setEnvironment("HOME", home);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Neither SONARIUM_ROOT nor HOME is set"), std::string::npos) << r.err;
    EXPECT_EQ(test::folderEntries(dir.path()), (std::set<std::string>{"file", "m.wav"}));
}

} // namespace
} // namespace sonarium
