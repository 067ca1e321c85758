// The files shipped in res/: the trailer, the default preferences, the beep and the animation.
#include "test_support.h"
#include "wavefile/riff_reader.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"
#include "wavefile/wave_format.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

using test::Bytes;

std::string shipped(const char* name) {
    return (test::shippedDataDir() / "res" / name).string();
}

TEST(ShippedResources, TrailerIsTheBuiltInListChunk) {
    Bytes suffix = test::readBytes(shipped("suffix.rc2"));
    ASSERT_GE(suffix.size(), 82U);
    EXPECT_EQ(Bytes(suffix.begin(), suffix.begin() + 82),
              Bytes(builtInTrailer().begin(), builtInTrailer().end()));
    // A well-formed chunk: "LIST", size 74, "INFO", one sub-chunk filling it exactly.
    EXPECT_EQ(std::string(suffix.begin(), suffix.begin() + 4), "LIST");
    EXPECT_EQ(readLe32(&suffix[4]), 74U);
    EXPECT_EQ(std::string(suffix.begin() + 8, suffix.begin() + 12), "INFO");
    EXPECT_EQ(8 + readLe32(&suffix[16]), 70U);
}

TEST(ShippedResources, PreferencesHoldTheDefaultValues) {
    Bytes prefs = test::readBytes(shipped("prefs.snp"));
    ASSERT_EQ(prefs.size(), 523U);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(prefs.data())), "tempsnds/");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(prefs.data() + 256)),
              "sonarium/res/beep.rc2");
    EXPECT_EQ(prefs[255], 0);
    EXPECT_EQ(prefs[511], 0);
    EXPECT_EQ(prefs[512], 0x00);        // every flag of the first byte clear
    EXPECT_EQ(prefs[513], 0x04 | 0x08); // new number on open, stop on focus loss; English
    EXPECT_EQ(prefs[514], 0);           // no MP3 rate option
}

TEST(ShippedResources, BeepIsAShortUsableWave) {
    test::RecordingReporter reporter;
    EXPECT_TRUE(IsWaveFileUsable(reporter, shipped("beep.rc2")));
    WaveContext context{reporter, "", {}};
    sonIO beep(context, shipped("beep.rc2"));
    EXPECT_EQ(beep.channels, 1);
    EXPECT_EQ(beep.bitsPerSample, 16);
    EXPECT_EQ(beep.sampleRate, 44100);
    EXPECT_GT(beep.dataSize, 2000U);
    EXPECT_LT(beep.dataSize, 44100U * 2);
    EXPECT_TRUE(reporter.reports.empty());
}

TEST(ShippedResources, AnimationIsAGif) {
    Bytes gif = test::readBytes(shipped("atwork.rc2"));
    ASSERT_GT(gif.size(), 13U);
    EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
    EXPECT_EQ(gif.back(), 0x3B);
}

} // namespace
} // namespace sonarium
