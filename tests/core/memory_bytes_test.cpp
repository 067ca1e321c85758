// Bytes in memory stand in for files: every reader gives on them what it gives on the same bytes
// as a file, and a writer into memory makes the bytes it would write to disk.
#include "display/display_scan.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/raw_import.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/riff_reader.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"
#include "workspace/preferences.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;

BinaryFile inMemory(const Bytes& bytes) {
    BinaryFile file;
    file.openMemory(bytes);
    return file;
}

// Each step: a read of n bytes, or a seek to n; then the position and size are compared.
TEST(BinaryFileInMemory, ReadsAndSeeksAsTheFileDoes) {
    test::TempDir dir;
    const Bytes bytes = test::samplesToBytes(test::ramp(50));
    test::writeBytes(dir.file("f"), bytes);
    BinaryFile disk(dir.file("f"), BinaryFile::Mode::Read);
    BinaryFile memory = inMemory(bytes);
    ASSERT_TRUE(disk.isOpen() && memory.isOpen());
    struct Step {
        bool seek;
        std::uint64_t n;
    };
    const Step steps[] = {{false, 0},  {false, 7}, {true, 3},    {false, 200}, {false, 1},
                          {true, 100}, {false, 0}, {true, 1000}, {false, 4},   {true, 99},
                          {false, 2},  {true, 0},  {false, 100}};
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.seek) + " " + std::to_string(step.n));
        if (step.seek) {
            EXPECT_EQ(memory.seek(step.n), disk.seek(step.n));
        } else {
            Bytes a(step.n, 0xEE);
            Bytes b(step.n, 0xEE);
            EXPECT_EQ(memory.read(a.data(), a.size()), disk.read(b.data(), b.size()));
            EXPECT_EQ(a, b);
        }
        EXPECT_EQ(memory.tell(), disk.tell());
        EXPECT_EQ(memory.size(), disk.size());
    }
    // Bytes to read are never written over.
    EXPECT_FALSE(memory.write("x", 1));
    memory.seek(0);
    Bytes again(bytes.size());
    EXPECT_EQ(memory.read(again.data(), again.size()), bytes.size());
    EXPECT_EQ(again, bytes);
    // Moved, it keeps its place; closed, it reads nothing.
    BinaryFile moved = std::move(memory);
    EXPECT_FALSE(memory.isOpen());
    EXPECT_EQ(moved.tell(), bytes.size());
    moved.close();
    EXPECT_FALSE(moved.isOpen());
    EXPECT_EQ(moved.read(again.data(), 1), 0U);
}

TEST(BinaryFileInMemory, SinkTakesWritesLikeACreatedFile) {
    std::vector<std::uint8_t> sink{9, 9, 9};
    BinaryFile file;
    file.createInMemory(sink);
    EXPECT_TRUE(sink.empty()); // created: what was there is gone
    EXPECT_TRUE(file.write("abc", 3));
    EXPECT_TRUE(file.seek(6)); // a gap reads as zeros, as in a file
    EXPECT_TRUE(file.write("z", 1));
    EXPECT_EQ(sink, (std::vector<std::uint8_t>{'a', 'b', 'c', 0, 0, 0, 'z'}));
    EXPECT_EQ(file.size(), 7U);
    file.seek(1);
    char back[3] = {};
    EXPECT_EQ(file.read(back, 3), 3U);
    EXPECT_EQ(std::string(back, 3), std::string("bc\0", 3));

    // A full disk reaches memory too.
    BinaryFile::limitCreatedFilesForTesting(4);
    file.createInMemory(sink);
    BinaryFile::limitCreatedFilesForTesting(-1);
    EXPECT_EQ(file.writeSome("12345", 5), 4U);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_FALSE(file.write("6", 1));
    EXPECT_EQ(sink.size(), 4U);
}

std::vector<std::int16_t> allValues(sonIO& reader) {
    std::vector<std::int16_t> values;
    std::vector<std::int16_t> block(333);
    for (int i = 0; i < 100000; ++i) {
        const bool complete = reader.ReadBlock(block.data(), 333) == 1;
        values.insert(values.end(), block.begin(), block.end());
        if (!complete)
            break;
    }
    return values;
}

// Every malformed file and a few good ones, read from disk and from memory under the same name.
TEST(ReadersInMemory, AgreeWithTheReadersOfFiles) {
    test::TempDir dir;
    std::vector<test::MalformedWave> files = test::malformedWaves();
    test::WaveSpec stereo;
    stereo.channels = 2;
    stereo.samples = test::ramp(3001);
    files.push_back({"stereo", test::buildWave(stereo)});
    test::WaveSpec eight;
    eight.bits = 8;
    eight.samples = test::ramp(77);
    files.push_back({"8-bit", test::buildWave(eight)});
    for (const test::MalformedWave& wave : files) {
        SCOPED_TRACE(wave.name);
        const std::string path = dir.file("w.wav");
        test::writeBytes(path, wave.bytes);

        BinaryFile memory = inMemory(wave.bytes);
        const WaveLayout a = readWaveLayout(path);
        const WaveLayout b = readWaveLayout(memory);
        EXPECT_EQ(a.status, b.status);
        EXPECT_EQ(a.problem, b.problem);
        EXPECT_EQ(a.channels, b.channels);
        EXPECT_EQ(a.declaredDataSize, b.declaredDataSize);
        EXPECT_EQ(a.dataOffset, b.dataOffset);
        EXPECT_EQ(a.fileLength, b.fileLength);

        test::RecordingReporter onDisk;
        test::RecordingReporter fromMemory;
        EXPECT_EQ(IsWaveFileUsable(onDisk, path), IsWaveFileUsable(fromMemory, memory, path));
        EXPECT_EQ(onDisk.texts(), fromMemory.texts());

        DisplaySummary scannedA;
        DisplaySummary scannedB;
        EXPECT_EQ(scanForDisplay(path, onDisk, scannedA),
                  scanForDisplay(memory, path, fromMemory, scannedB));
        EXPECT_EQ(scannedA.channel1, scannedB.channel1);
        EXPECT_EQ(scannedA.channel2, scannedB.channel2);
        EXPECT_EQ(scannedA.dataSize, scannedB.dataSize);
        EXPECT_EQ(onDisk.texts(), fromMemory.texts());

        const WaveContext contextA{onDisk, "", {}};
        const WaveContext contextB{fromMemory, "", {}};
        sonIO readerA(contextA, path);
        sonIO readerB(contextB, inMemory(wave.bytes), path);
        EXPECT_EQ(readerA.IsOpen(), readerB.IsOpen());
        EXPECT_EQ(readerA.dataSize, readerB.dataSize);
        EXPECT_EQ(readerA.dataStart, readerB.dataStart);
        EXPECT_EQ(readerA.sampleRate, readerB.sampleRate);
        EXPECT_EQ(allValues(readerA), allValues(readerB));
        EXPECT_EQ(onDisk.texts(), fromMemory.texts());
    }
}

TEST(ReadersInMemory, PreferencesOfEveryLength) {
    test::TempAudioRoot root;
    test::TempDir dir;
    Preferences stored = Preferences::defaults();
    stored.autoPlay = true;
    stored.mp3Option = "-b 192";
    const PreferencesBytes image = encodePreferences(stored);
    for (std::size_t length : {0U, 1U, 522U, 523U, 600U}) {
        SCOPED_TRACE(length);
        Bytes bytes(image.begin(), image.end());
        bytes.resize(length, 0x5A);
        test::writeBytes(dir.file("prefs.snp"), bytes);
        test::RecordingReporter onDisk;
        test::RecordingReporter fromMemory;
        Preferences a;
        Preferences b;
        BinaryFile memory = inMemory(bytes);
        EXPECT_EQ(LoadPreferences(onDisk, dir.file("prefs.snp"), a),
                  LoadPreferences(fromMemory, memory, dir.file("prefs.snp"), b));
        EXPECT_EQ(a, b);
        EXPECT_EQ(onDisk.texts(), fromMemory.texts());
        EXPECT_EQ(a == stored, length >= 523U);
    }
}

// The imports into memory write the very bytes they write to disk, and nothing when they fail.
TEST(WritersInMemory, MakeTheFileTheyWouldWrite) {
    test::TempDir dir;
    test::WaveSpec eight;
    eight.bits = 8;
    eight.channels = 2;
    eight.samples = test::ramp(70001);
    const Bytes eightBit = test::buildWave(eight);
    const Bytes raw = test::samplesToBytes(test::ramp(40001));
    test::writeBytes(dir.file("in8.wav"), eightBit);
    test::writeBytes(dir.file("in.raw"), raw);
    struct Case {
        const char* name;
        std::string source;
        const Bytes* bytes;
        bool eightBit;
        std::int64_t diskLimit;
    };
    const Case cases[] = {
        {"8-bit", dir.file("in8.wav"), &eightBit, true, -1},
        {"raw", dir.file("in.raw"), &raw, false, -1},
        {"8-bit, disk full", dir.file("in8.wav"), &eightBit, true, 70000},
        {"raw, disk full in the trailer", dir.file("in.raw"), &raw, false, 44 + 80002 + 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string out = dir.file("out.wav");
        std::filesystem::remove(out);
        NullProgress progress;
        auto run = [&](std::vector<std::uint8_t>* memory, test::RecordingReporter& reporter) {
            const WaveContext wave{reporter, "", {}, memory};
            JobContext context{.wave = wave,
                               .progress = progress,
                               .input = {.source = c.source},
                               .destination = [&] { return out; },
                               .result = ResultFile::Finish};
            BinaryFile::limitCreatedFilesForTesting(c.diskLimit);
            const JobOutcome outcome =
                memory == nullptr ? (c.eightBit ? importEightBit(context) : importRaw(context))
                : c.eightBit      ? importEightBitFrom(context, std::make_unique<sonIO>(
                                                               wave, inMemory(*c.bytes), c.source))
                                  : importRawFrom(context, inMemory(*c.bytes));
            BinaryFile::limitCreatedFilesForTesting(-1);
            return outcome;
        };
        test::RecordingReporter onDisk;
        test::RecordingReporter inRam;
        std::vector<std::uint8_t> memory{1, 2, 3};
        const JobOutcome written = run(nullptr, onDisk);
        EXPECT_EQ(run(&memory, inRam), written);
        EXPECT_EQ(onDisk.texts(), inRam.texts());
        if (written == JobOutcome::Completed)
            EXPECT_EQ(Bytes(memory.begin(), memory.end()), test::readBytes(out));
        else
            EXPECT_TRUE(memory.empty());
        EXPECT_EQ(written == JobOutcome::Completed, c.diskLimit < 0);
    }
}

} // namespace
} // namespace sonarium
