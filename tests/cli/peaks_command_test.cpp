// sonarium-cli peaks: column lines, picture file, messages and exit codes.
#include "cli_runner.h"
#include "test_support.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace sonarium {
namespace {

// Whether sonarium-cli was built with the editor's drawing code (peaks --png).
#ifdef SONARIUM_CLI_HAS_PNG
constexpr bool kCliDrawsPictures = true;
#else
constexpr bool kCliDrawsPictures = false;
#endif

using test::CliRun;

CliRun runCli(const std::string& arguments, const test::TempDir&) {
    return test::runCliShell(arguments);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

TEST(PeaksCommand, PrintsOneLinePerColumn) {
    test::TempDir dir;
    struct Case {
        int channels;
        std::string column7;
        std::string last;
    };
    const Case cases[] = {{1, "7 7 -8", "449 -128 127"},
                          {2, "7 7 -8 3 -4", "449 -128 127 -128 127"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.channels);
        // 1000 bytes a column; column k peaks at k % 100 (channel 2 at half that).
        std::vector<std::int16_t> samples(449 * 500, 0);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const int k = static_cast<int>(i / 500) % 100;
            const bool second = c.channels == 2 && i % 2 == 1;
            const int peak = second ? k / 2 : k;
            samples[i] = static_cast<std::int16_t>(i % 4 < 2 ? peak * 256 : -peak * 256 - 1);
        }
        test::WaveSpec shape;
        shape.channels = c.channels;
        shape.samples = samples;
        const std::string path = dir.file("in.wav");
        test::writeBytes(path, test::buildWave(shape));
        const CliRun run = runCli("peaks " + quoted(path), dir);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        const auto out = lines(run.out);
        ASSERT_EQ(out.size(), 450U);
        EXPECT_EQ(out[0], c.channels == 2 ? "0 0 -1 0 -1" : "0 0 -1");
        EXPECT_EQ(out[7], c.column7);
        EXPECT_EQ(out[449], c.last);
    }
}

TEST(PeaksCommand, WritesThePictureAsPng) {
    if (!kCliDrawsPictures)
        GTEST_SKIP() << "sonarium-cli built without the editor's drawing code";
    test::TempDir dir;
    test::WaveSpec shape;
    shape.samples = test::ramp(44100);
    const std::string path = dir.file("ramp.wav");
    test::writeBytes(path, test::buildWave(shape));
    const std::string png = dir.file("ramp.png");
    const CliRun run = runCli("peaks " + quoted(path) + " --png " + quoted(png), dir);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(lines(run.out).size(), 450U);
    const test::Bytes bytes = test::readBytes(png);
    ASSERT_GT(bytes.size(), 24U);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
    const auto be32 = [&](std::size_t at) {
        return (unsigned{bytes[at]} << 24) | (unsigned{bytes[at + 1]} << 16) |
               (unsigned{bytes[at + 2]} << 8) | unsigned{bytes[at + 3]};
    };
    EXPECT_EQ(be32(16), 450U); // IHDR width
    EXPECT_EQ(be32(20), 256U); // IHDR height
}

TEST(PeaksCommand, MessagesAndExitCodes) {
    test::TempDir dir;
    test::WaveSpec truncated;
    truncated.samples = std::vector<std::int16_t>(5000, 512);
    truncated.dataSize = 449 * 1000;
    const std::string cut = dir.file("cut.wav");
    test::writeBytes(cut, test::buildWave(truncated));
    test::WaveSpec adpcm;
    adpcm.formatTag = 2;
    adpcm.samples = test::ramp(4000);
    const std::string notPcm = dir.file("adpcm.wav");
    test::writeBytes(notPcm, test::buildWave(adpcm));
    const std::string missing = dir.file("missing.wav");

    struct Case {
        std::string arguments;
        int status;
        std::string err;
        std::size_t lines;
    };
    const Case cases[] = {
        {"peaks " + quoted(cut), 0,
         "Unexpected EOF at block : #10\nAsked : 1000\nRead : 0\n\nFile " + cut +
             "\nseems truncated.\n",
         450},
        {"peaks " + quoted(missing), 1,
         "File " + missing + "\ncannot be read as Wave Audio\nNo such file or directory\n", 0},
        {"peaks " + quoted(notPcm), 1, "File " + notPcm + "\nholds no PCM sound data to display.\n",
         0},
        {"peaks " + quoted(cut) + " --png /nonexistent/dir/x.png", 1,
         "Unexpected EOF at block : #10\nAsked : 1000\nRead : 0\n\nFile " + cut +
             "\nseems truncated.\nThe picture could not be written to /nonexistent/dir/x.png\nNo "
             "such file or directory\n",
         450},
        {"peaks", 2, "usage: sonarium-cli peaks FILE [--png OUT.png]\n", 0},
        {"peaks a.wav b.wav", 2, "usage: sonarium-cli peaks FILE [--png OUT.png]\n", 0},
        {"peaks --bogus a.wav", 2,
         "sonarium-cli peaks: unknown option '--bogus'\nusage: sonarium-cli peaks FILE [--png "
         "OUT.png]\n",
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        if (!kCliDrawsPictures && c.arguments.find("--png") != std::string::npos)
            continue;
        const CliRun run = runCli(c.arguments, dir);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(lines(run.out).size(), c.lines);
    }
}

} // namespace
} // namespace sonarium
