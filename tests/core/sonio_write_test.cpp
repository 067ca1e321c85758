// Writing wave files: the three constructors, honest sizes, the trailer, and failures.
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;

class SonioWrite : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    std::vector<std::string> opened;
    WaveContext context{reporter, (test::shippedDataDir() / "res" / "suffix.rc2").string(),
                        [this](const std::string& path) { opened.push_back(path); }};
};

struct HeaderFields {
    std::uint32_t riffSize;
    int channels;
    std::uint32_t rate;
    std::uint32_t byteRate;
    int blockAlign;
    int bits;
    std::uint32_t dataBytes;
};

HeaderFields parseHeader(const Bytes& b) {
    return {readLe32(&b[4]),  readLe16(&b[22]), readLe32(&b[24]), readLe32(&b[28]),
            readLe16(&b[32]), readLe16(&b[34]), readLe32(&b[40])};
}

TEST_F(SonioWrite, EveryConstructorWritesAnHonestFile) {
    enum class Ctor { Three, Four, Five };
    struct Case {
        const char* name;
        Ctor ctor;
        int channels;
        std::int64_t amount; // values, or bytes for the five-argument form
        int rate;
        int bits;
        HeaderFields expected;
    };
    const Case cases[] = {
        {"mono", Ctor::Three, 1, 1000, 0, 0, {2118, 1, 44100, 88200, 2, 16, 2000}},
        {"stereo", Ctor::Three, 2, 1000, 0, 0, {2118, 2, 44100, 176400, 4, 16, 2000}},
        {"channel argument 3 means stereo",
         Ctor::Three,
         3,
         10,
         0,
         0,
         {138, 2, 44100, 176400, 4, 16, 20}},
        {"empty", Ctor::Three, 1, 0, 0, 0, {118, 1, 44100, 88200, 2, 16, 0}},
        {"rate 8000 mono", Ctor::Four, 1, 500, 8000, 0, {1118, 1, 8000, 16000, 2, 16, 1000}},
        {"rate 22050 stereo", Ctor::Four, 2, 500, 22050, 0, {1118, 2, 22050, 88200, 4, 16, 1000}},
        {"8-bit mono", Ctor::Five, 1, 1000, 11025, 8, {1118, 1, 11025, 11025, 1, 8, 1000}},
        {"16-bit stereo bytes",
         Ctor::Five,
         2,
         4000,
         48000,
         16,
         {4118, 2, 48000, 192000, 4, 16, 4000}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file(std::string(c.name) + ".wav");
        const std::int64_t values = c.ctor == Ctor::Five ? c.amount / 2 : c.amount;
        std::vector<std::int16_t> samples = test::ramp(static_cast<std::size_t>(values), -300, 13);
        {
            std::unique_ptr<sonIO> out;
            if (c.ctor == Ctor::Three)
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount);
            else if (c.ctor == Ctor::Four)
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount, c.rate);
            else
                out = std::make_unique<sonIO>(context, path, c.channels, c.amount, c.rate, c.bits);
            ASSERT_TRUE(out->IsOpen());
            // Written in two pieces to check that blocks are appended in order.
            const int half = static_cast<int>(values / 2);
            EXPECT_EQ(out->WriteBlock(samples.data(), half), 1);
            EXPECT_EQ(out->WriteBlock(samples.data() + half, static_cast<int>(values) - half), 1);
            EXPECT_EQ(out->samplesWritten, values);
            EXPECT_EQ(out->FinishWriteAndOpen(), 1);
        }
        Bytes file = test::readBytes(path);
        ASSERT_GE(file.size(), 44U);
        HeaderFields h = parseHeader(file);
        EXPECT_EQ(h.riffSize, c.expected.riffSize);
        EXPECT_EQ(h.riffSize, file.size() - 8);
        EXPECT_EQ(h.channels, c.expected.channels);
        EXPECT_EQ(h.rate, c.expected.rate);
        EXPECT_EQ(h.byteRate, c.expected.byteRate);
        EXPECT_EQ(h.blockAlign, c.expected.blockAlign);
        EXPECT_EQ(h.bits, c.expected.bits);
        EXPECT_EQ(h.dataBytes, c.expected.dataBytes);
        EXPECT_EQ(Bytes(file.end() - 82, file.end()),
                  Bytes(builtInTrailer().begin(), builtInTrailer().end()));
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(opened.back(), path);

        // Reading it back gives the values written, and the trailer stays out.
        sonIO in(context, path);
        EXPECT_EQ(in.dataSize, c.expected.dataBytes);
        std::vector<std::int16_t> back(static_cast<std::size_t>(values) + 1, 7);
        EXPECT_EQ(in.ReadBlock(back.data(), static_cast<int>(back.size())), 0);
        back.pop_back();
        EXPECT_EQ(back, samples);
    }
    EXPECT_TRUE(reporter.reports.empty());
}

TEST_F(SonioWrite, TrailerComesFromTheResourceFileOrTheBuiltInCopy) {
    struct Case {
        const char* name;
        Bytes suffix; // empty: no file at all
        bool builtIn;
    };
    Bytes custom(100);
    for (std::size_t i = 0; i < custom.size(); ++i)
        custom[i] = static_cast<unsigned char>(i);
    const Case cases[] = {{"custom file, first 82 bytes", custom, false},
                          {"missing file", Bytes{}, true},
                          {"file shorter than 82 bytes", Bytes(40, 0xAA), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string suffixPath = dir.file("suffix.rc2");
        std::filesystem::remove(suffixPath);
        if (!c.suffix.empty())
            test::writeBytes(suffixPath, c.suffix);
        WaveContext local{reporter, suffixPath, {}};
        std::string path = dir.file("out.wav");
        {
            sonIO out(local, path, 1, 3);
            std::int16_t v[3] = {1, 2, 3};
            out.WriteBlock(v, 3);
            EXPECT_EQ(out.FinishWrite(), 1);
        }
        Bytes file = test::readBytes(path);
        ASSERT_EQ(file.size(), 44U + 6 + 82);
        Bytes tail(file.end() - 82, file.end());
        Bytes expected = c.builtIn ? Bytes(builtInTrailer().begin(), builtInTrailer().end())
                                   : Bytes(c.suffix.begin(), c.suffix.begin() + 82);
        EXPECT_EQ(tail, expected);
        EXPECT_EQ(readLe32(&file[4]), file.size() - 8);
    }
}

TEST_F(SonioWrite, AShortJobIsPaddedToItsDeclaredLength) {
    std::string path = dir.file("short.wav");
    {
        sonIO out(context, path, 2, 1000);
        std::vector<std::int16_t> some(300, 1234);
        out.WriteBlock(some.data(), 300);
        EXPECT_EQ(out.FinishWrite(), 1);
    }
    Bytes file = test::readBytes(path);
    EXPECT_EQ(file.size(), 44U + 2000 + 82);
    EXPECT_EQ(readLe16(&file[44 + 2 * 299]), 1234);
    EXPECT_EQ(readLe16(&file[44 + 2 * 300]), 0);
    EXPECT_EQ(readLe16(&file[44 + 2 * 999]), 0);
}

TEST_F(SonioWrite, RefusalsCreateNothing) {
    struct Case {
        const char* name;
        std::string path;
        std::int64_t values;
        std::string message;
    };
    const std::string big = dir.file("big.wav");
    const std::string nested = dir.file("no/such/folder/out.wav");
    const Case cases[] = {
        {"empty path", "", 10, "An error occured in module sonIO::sonIO\npath is empty"},
        {"more than 4 GB of data", big, 0x80000000LL,
         "File " + big + "\ncannot be written: a wave file holds at most 4 GB of data"},
        {"negative count", big, -1,
         "File " + big + "\ncannot be written: a wave file holds at most 4 GB of data"},
        {"folder missing", nested, 10,
         "File " + nested + "\ncannot be created\nNo such file or directory"},
        {"a folder", dir.path().string(), 10,
         "File " + dir.path().string() + "\ncannot be created\nIs a directory"},
        {"a device", "/dev/null", 10, "File /dev/null\ncannot be created\nnot a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int ctor = 3; ctor <= 5; ++ctor) {
            reporter.reports.clear();
            std::unique_ptr<sonIO> out;
            if (ctor == 3)
                out = std::make_unique<sonIO>(context, c.path, 1, c.values);
            else if (ctor == 4)
                out = std::make_unique<sonIO>(context, c.path, 1, c.values, 22050);
            else
                out = std::make_unique<sonIO>(context, c.path, 1,
                                              c.values < 0 ? c.values : 2 * c.values, 22050, 16);
            EXPECT_FALSE(out->IsOpen());
            ASSERT_EQ(reporter.reports.size(), 1U);
            EXPECT_EQ(reporter.reports[0].text, c.message);
            EXPECT_EQ(reporter.reports[0].icon, MessageIcon::Error);
            std::int16_t v = 1;
            EXPECT_EQ(out->WriteBlock(&v, 1), 0);
            EXPECT_EQ(out->FinishWriteAndOpen(), 0);
            EXPECT_EQ(reporter.reports.size(), 1U);
        }
        if (c.path.starts_with(dir.path().string()) && c.path != dir.path().string()) {
            EXPECT_FALSE(std::filesystem::exists(c.path));
        }
    }
    EXPECT_TRUE(opened.empty());
}

// The files in the test folder, hidden temporary ones included.
std::vector<std::string> folderNames(const test::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(SonioWrite, LargestDescribableSizeIsAccepted) {
    std::string path = dir.file("edge.wav");
    sonIO out(context, path, 2, static_cast<std::int64_t>(kMaxDataBytes), 44100, 16);
    EXPECT_TRUE(out.IsOpen());
    EXPECT_TRUE(reporter.reports.empty());
    // Until it is finished the file is only a temporary one beside its name.
    const auto names = folderNames(dir);
    ASSERT_EQ(names.size(), 1U);
    EXPECT_TRUE(names[0].starts_with(".edge.wav.")) << names[0];
    EXPECT_FALSE(std::filesystem::exists(path));
    Bytes header = test::readBytes(dir.file(names[0]));
    ASSERT_EQ(header.size(), 44U);
    EXPECT_EQ(readLe32(&header[4]), 0xFFFFFFFFU);
    out.Abandon();
    EXPECT_TRUE(folderNames(dir).empty());
}

// A disk that fills up at the header, in the middle of the data or at the trailer: one message,
// nothing under the name, no temporary file, nothing opened.
TEST_F(SonioWrite, AFullDiskLeavesNoFile) {
    struct Case {
        const char* name;
        std::int64_t room;     // bytes the disk takes
        int firstFailingBlock; // -1: every block write succeeds
    };
    const Case cases[] = {
        {"header", 20, 0},
        {"middle block", 44 + 2 * 250, 2},
        {"trailer", 44 + 2 * 1000 + 40, -1},
    };
    const std::string path = dir.file("full.wav");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reporter.reports.clear();
        BinaryFile::limitCreatedFilesForTesting(c.room);
        {
            sonIO out(context, path, 1, 1000);
            std::vector<std::int16_t> block(100, 1);
            int firstFailure = -1;
            for (int j = 0; j < 10; ++j)
                if (out.WriteBlock(block.data(), 100) == 0 && firstFailure < 0)
                    firstFailure = j;
            EXPECT_EQ(firstFailure, c.firstFailingBlock);
            EXPECT_EQ(out.FinishWriteAndOpen(), 0);
        }
        BinaryFile::limitCreatedFilesForTesting(-1);
        EXPECT_EQ(reporter.texts(),
                  std::vector<std::string>{std::string(kWriteErrorText) + "\n\nFile " + path +
                                           "\nNo space left on device"});
        EXPECT_TRUE(folderNames(dir).empty());
    }
    EXPECT_TRUE(opened.empty());

    // A writer dropped before it was finished leaves nothing either.
    { sonIO dropped(context, path, 1, 10); }
    EXPECT_TRUE(folderNames(dir).empty());
}

// Values copied from a reader inside the kernel are the reader's bytes: mixed with ordinary
// blocks, from a data chunk at another offset than the writer's, never past the data chunk, only
// whole values when the disk fills up in the middle of one, and only what is left of a source cut
// short.
TEST_F(SonioWrite, CopiedValuesAreTheReadersBytes) {
    test::WaveSpec shape;
    shape.channels = 2;
    shape.samples = test::ramp(1000, -3000, 77);
    test::appendChunk(shape.extraChunksBeforeData, "note", Bytes{1, 2, 3, 4, 5, 6}); // data at 58
    const std::string source = dir.file("source.wav");
    test::writeBytes(source, test::buildWave(shape));
    const std::string path = dir.file("copy.wav");
    std::vector<std::int16_t> buffer(1000);

    {
        sonIO in(context, source);
        ASSERT_EQ(in.dataStart, 58U);
        sonIO out(context, path, 2, 1000);
        const std::uint32_t first = out.CopyValues(in, 300);
        if (first == 0)
            GTEST_SKIP() << "this file system copies nothing inside the kernel";
        EXPECT_EQ(first, 300U);
        ASSERT_EQ(in.ReadBlock(buffer.data(), 100), 1);
        ASSERT_EQ(out.WriteBlock(buffer.data(), 100), 1);
        EXPECT_EQ(out.CopyValues(in, 601), 0U); // one value past the data chunk
        EXPECT_EQ(out.CopyValues(in, 600), 600U);
        EXPECT_EQ(out.samplesWritten, 1000);
        ASSERT_EQ(out.FinishWrite(), 1);
    }
    EXPECT_EQ(test::readValues(path), shape.samples);
    EXPECT_EQ(test::readBytes(path).size(), 44U + 2000 + 82);
    std::filesystem::remove(path);

    // Room for 250 values and one byte: 250 are copied, the write of the rest fails.
    BinaryFile::limitCreatedFilesForTesting(44 + 500 + 1);
    {
        sonIO in(context, source);
        sonIO out(context, path, 2, 1000);
        EXPECT_EQ(out.CopyValues(in, 1000), 250U);
        ASSERT_EQ(in.ReadBlock(buffer.data(), 750), 1);
        EXPECT_EQ(buffer[0], shape.samples[250]);
        EXPECT_EQ(out.WriteBlock(buffer.data(), 750), 0);
        EXPECT_EQ(out.FinishWrite(), 0);
    }
    BinaryFile::limitCreatedFilesForTesting(-1);
    EXPECT_FALSE(std::filesystem::exists(path));

    // A source cut after opening, inside value 400: the values before the cut are copied, the
    // reader then notices the rest is missing.
    {
        sonIO in(context, source);
        std::filesystem::resize_file(source, in.dataStart + 801);
        sonIO out(context, path, 2, 1000);
        EXPECT_EQ(out.CopyValues(in, 1000), 400U);
        EXPECT_EQ(in.ReadBlock(buffer.data(), 600), 0);
        EXPECT_TRUE(in.Truncated());
        out.Abandon();
    }
}

} // namespace
} // namespace sonarium
