// Every declared writer on a real disk that fills up, on a device that refuses every byte, and
// killed outright halfway through: its result is complete under its name, or absent.
#include "cli_runner.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

// One program that writes a file: its arguments before the results ("SOURCE", "AUX" and "BYTE"
// stand for the test's files), and how many results it writes after -o. The MP3 export takes no
// -o: it leaves NAME.mp3 beside its source.
struct Writer {
    std::string name;
    std::vector<std::string> arguments;
    std::size_t results = 1;
    bool besideSource = false;
    bool wave = true; // its result is a wave file of the system's own writer
};

// Every declared operation that writes a file, with its defaults, then the exchange commands.
std::vector<Writer> writers() {
    std::vector<Writer> found;
    for (const OperationDecl* op : allOperations()) {
        if (op->output == OutputKind::TextReport || op->editorOnly)
            continue;
        Writer writer{std::string(op->name), {std::string(op->name)}};
        if (op->input != InputKind::None)
            writer.arguments.push_back("SOURCE");
        if (op->input == InputKind::Two)
            writer.arguments.push_back("AUX");
        writer.results = std::max<std::size_t>(1, op->resultNames.size());
        found.push_back(writer);
    }
    found.push_back({"import-8bit", {"import-8bit", "BYTE"}});
    found.push_back({"export-8bit", {"export-8bit", "SOURCE"}});
    found.push_back({"import-raw", {"import-raw", "SOURCE"}});
    found.push_back({"import", {"import", "--rate", "48000", "SOURCE"}});
    found.push_back({"export", {"export", "--format", "flac", "SOURCE"}, 1, false, false});
    found.push_back({"export-mp3", {"export-mp3", "SOURCE"}, 0, true});
    return found;
}

struct Files {
    std::string source, aux, byte;
};

// The command line of a writer on the files, its results named out, out1, ... A device stands
// for every result (the second one being /dev/null, as one device cannot be named twice).
std::vector<std::string> commandOf(const Writer& writer, const Files& files,
                                   const std::string& out) {
    std::vector<std::string> arguments;
    for (const std::string& argument : writer.arguments)
        arguments.push_back(argument == "SOURCE" ? files.source
                            : argument == "AUX"  ? files.aux
                            : argument == "BYTE" ? files.byte
                                                 : argument);
    for (std::size_t k = 0; k < writer.results; ++k)
        arguments.insert(arguments.end(),
                         {"-o", k == 0                     ? out
                                : out.starts_with("/dev/") ? "/dev/null"
                                                           : out + std::to_string(k)});
    return arguments;
}

std::string shellWord(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

// A wave result left under its name must be whole: its header declares exactly its bytes.
void expectCompleteWave(const std::string& path) {
    const test::Bytes bytes = test::readBytes(path);
    ASSERT_GE(bytes.size(), 44U + 82U);
    EXPECT_EQ(readLe32(&bytes[4]), bytes.size() - 8);
    EXPECT_EQ(readLe32(&bytes[40]), bytes.size() - 126);
}

class WriterFaults : public ::testing::Test {
protected:
    void SetUp() override {
        files.source = test::writeWave(dir.file("source.wav"), test::ramp(400002, -20000, 977), 2);
        files.aux = test::writeWave(dir.file("aux.wav"), test::ramp(300002, 3000, 331), 2);
        files.byte = dir.file("byte.wav");
        test::writeBytes(files.byte, test::buildWave({.bits = 8, .samples = test::ramp(200000)}));
        for (const std::string& path : {files.source, files.aux, files.byte})
            before.push_back(test::readBytes(path));
        fs::create_directory(results);
    }
    void expectInputsUnchanged() {
        EXPECT_TRUE(test::readBytes(files.source) == before[0]);
        EXPECT_TRUE(test::readBytes(files.aux) == before[1]);
        EXPECT_TRUE(test::readBytes(files.byte) == before[2]);
    }

    test::TempDir dir;
    test::TempAudioRoot root;
    Files files;
    std::vector<test::Bytes> before;
    fs::path results = dir.path() / "results";
};

// A tmpfs of 64 KiB, mounted where the runner lets a user namespace mount one: the results of the
// file operations do not fit, those of short syntheses may. The MP3 export writes beside its
// source, so its source is copied onto a tmpfs with little room left.
TEST_F(WriterFaults, ARealDiskThatFillsUp) {
    if (::system("unshare -rm true >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unshare -rm is not allowed here";
    const std::string tmpfs = shellWord(results.string());
    std::size_t refused = 0;
    for (const Writer& writer : writers()) {
        SCOPED_TRACE(writer.name);
        std::string setup = "mount -t tmpfs -o size=64k none " + tmpfs;
        Files onDisk = files;
        if (writer.besideSource) {
            onDisk.source = (results / "source.wav").string();
            setup = "mount -t tmpfs -o size=" + std::to_string(before[0].size() + 16384) +
                    " none " + tmpfs + " && cp " + shellWord(files.source) + " " + tmpfs;
        }
        std::string command = shellWord(SONARIUM_CLI_PATH);
        for (const std::string& argument :
             commandOf(writer, onDisk, (results / "result.wav").string()))
            command += " " + shellWord(argument);
        const std::string script = setup + " && " + command +
                                   " 2>&1 >/dev/null; status=$?; echo \"status=$status\"; ls -A " +
                                   tmpfs + "; exit 0";
        const test::CliRun run =
            test::runProgramForTests("unshare", {"-rm", "sh", "-c", script}, 120);
        ASSERT_EQ(run.status, 0) << run.err;
        // The output is the messages, then the status line, then what the tmpfs holds.
        const std::size_t mark = run.out.rfind("status=");
        ASSERT_NE(mark, std::string::npos) << run.out;
        const std::string status = run.out.substr(mark + 7, 1);
        const std::string left = run.out.substr(run.out.find('\n', mark) + 1);
        const std::string nothing = writer.besideSource ? "source.wav\n" : "";
        if (status == "0") {
            // It fitted: the result is whole (checked by the other tests), and nothing is beside
            // it.
            EXPECT_TRUE(left.starts_with(writer.besideSource ? "source." : "result.wav\n")) << left;
            EXPECT_EQ(left.find(".part"), std::string::npos) << left;
        } else {
            ++refused;
            EXPECT_EQ(status, "1") << run.out;
            EXPECT_EQ(left, nothing) << "left on the full disk";
            EXPECT_NE(run.out.substr(0, mark), "") << "failed without a message";
        }
        expectInputsUnchanged();
    }
    EXPECT_GE(refused, 40U);
}

// /dev/full takes nothing: the result is refused at once, with a message.
TEST_F(WriterFaults, ADeviceAsTheResult) {
    for (const Writer& writer : writers()) {
        if (writer.besideSource)
            continue; // it names no result
        SCOPED_TRACE(writer.name);
        const test::CliRun run = test::runCli(commandOf(writer, files, "/dev/full"), 30);
        ASSERT_FALSE(run.timedOut);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err, "");
        expectInputsUnchanged();
    }
}

// Killed with SIGKILL once its result is being written: whatever the moment, nothing incomplete
// is left under the result's name (only the hidden temporary file beside it may remain). The MP3
// export is left out: its encoder is a process of its own, which a kill of the command line
// does not reach (an interrupt from the terminal reaches both).
TEST_F(WriterFaults, KilledHalfway) {
    Files big{test::writeWave(dir.file("big.wav"), test::ramp(6'000'000, -30000, 13), 2),
              test::writeWave(dir.file("bigaux.wav"), test::ramp(4'000'002, 1000, 7), 2),
              dir.file("bigbyte.wav")};
    test::writeBytes(big.byte, test::buildWave({.bits = 8, .samples = test::ramp(6'000'000)}));
    std::size_t killed = 0, writing = 0;
    for (const Writer& writer : writers()) {
        if (writer.besideSource)
            continue;
        ++writing;
        SCOPED_TRACE(writer.name);
        fs::remove_all(results);
        fs::create_directory(results);
        const std::string out = (results / "result.wav").string();
        const pid_t pid = test::startCli(commandOf(writer, big, out));
        for (int i = 0; i < 5000 && fs::is_empty(results); ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        ::kill(pid, SIGKILL);
        const test::CliRun run = test::waitCli(pid);
        killed += run.signal == SIGKILL ? 1 : 0;
        for (const auto& entry : fs::directory_iterator(results)) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("result.wav") && writer.wave)
                expectCompleteWave(entry.path().string());
            else
                EXPECT_TRUE(name.starts_with(".result.wav") && name.ends_with(".part")) << name;
        }
    }
    // Most writers take long enough on these files to be caught halfway.
    EXPECT_GE(killed, writing / 2);
}

} // namespace
} // namespace sonarium
