// Results that a wave file cannot describe (more than 4 GiB of data) are refused before anything
// is written, at once, from sources that only declare their size (sparse files: no gigabytes are
// written by the test).
#include "cli_runner.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

// A 16-bit file whose data chunk declares dataBytes, all of them zeros the file system does not
// store.
std::string sparseWave(const std::string& path, std::uint32_t dataBytes, int channels = 2) {
    test::WaveSpec shape;
    shape.channels = channels;
    test::Bytes header = test::buildWave(shape);
    header.resize(44);
    writeLe32(&header[4], static_cast<std::uint32_t>(
                              std::min<std::uint64_t>(0xFFFFFFFFULL, 36ULL + dataBytes)));
    writeLe32(&header[40], dataBytes);
    test::writeBytes(path, header);
    fs::resize_file(path, 44ULL + dataBytes);
    return path;
}

TEST(HugeResults, RefusedBeforeAnythingIsWritten) {
    test::TempDir dir;
    test::TempAudioRoot root;
    const std::string half = sparseWave(dir.file("half.wav"), 2'000'000'000U);
    const std::string full = sparseWave(dir.file("full.wav"), 0xFFFFFFFFU - 47U);
    const std::string full2 = sparseWave(dir.file("full2.wav"), 0xFFFFFFFFU - 47U);
    // Mono files whose stereo doubles would pass 4 GiB.
    const std::string mono = sparseWave(dir.file("mono.wav"), 2'500'000'000U, 1);
    const std::string mono2 = sparseWave(dir.file("mono2.wav"), 2'500'000'000U, 1);
    const std::string out = dir.file("out.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"zeta-pitch", "--ratio", "300", half},
        {"resync-gapper", "--initial", "1", "--final", "3", half},
        {"volume", full},
        {"stepper", full},
        {"crop", full},
        {"multiply", full, full2},
        {"interaction-compression", full, full2},
        {"insert-silence", full},
        {"insert-silence", "--start", "0", "--length", "30000", half},
        {"insert-auxiliary", "--start", "1", full, full2},
        {"insert-auxiliary", half, full},
        {"merge", full, full2},
        {"merge", full, full},
        {"merge", half, full},
        {"merge", mono, half},
        {"mono-to-stereo", mono},
        {"group-to-stereo", mono, mono2},
        {"channel-conversion", mono, mono2},
    };
    for (std::vector<std::string> arguments : cases) {
        SCOPED_TRACE(arguments[0]);
        arguments.insert(arguments.end(), {"-o", out});
        const test::CliRun run = test::runCli(arguments, 20);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_LT(run.seconds, 5.0);
        EXPECT_NE(run.err.find("a wave file holds at most 4 GB of data"), std::string::npos)
            << run.err;
        EXPECT_FALSE(fs::exists(out));
        EXPECT_EQ(test::folderEntries(dir.path()).size(), 5U); // no temporary file either
    }
}

} // namespace
} // namespace sonarium
