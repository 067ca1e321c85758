// Blocks read ahead on a second thread arrive whole, in order, in the job's split, whatever the
// length, the blocks of a run one after the other; a source cut short is seen at the first block
// it cannot fill; a pass left early ends.
#include "jobs/read_ahead.h"
#include "run_operation.h"
#include "test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace sonarium {
namespace {

class ReadAheadTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::RecordingReporter reporter;
    WaveContext context{reporter, "", {}};
};

TEST_F(ReadAheadTest, EveryBlockInOrder) {
    // Lengths around one block, around one run, beyond the three runs held, and many blocks.
    for (std::size_t length :
         {1UL, 63999UL, 64000UL, 64001UL, 511999UL, 512001UL, 1600003UL, 5000011UL}) {
        SCOPED_TRACE(length);
        const std::vector<std::int16_t> values = test::ramp(length, -7000, 13);
        const std::string path = test::writeWave(dir.file("in.wav"), values);
        sonIO source(context, path);
        ASSERT_TRUE(source.IsOpen());
        const BlockSplit split = BlockSplit::of(static_cast<std::uint32_t>(length));
        std::vector<std::int16_t> seen;
        {
            ReadAhead ahead(source, split);
            const std::int16_t* following = nullptr; // where the run's next block must start
            for (std::uint32_t j = 0; j <= split.n; ++j) {
                const ReadAhead::Block block = ahead.next();
                EXPECT_FALSE(block.truncated);
                if (following != nullptr) {
                    ASSERT_EQ(block.values, following) << "block " << j;
                }
                following = block.endsRun ? nullptr : block.values + split.count(j);
                EXPECT_EQ(block.endsRun, j == split.n || (j + 1) % ReadAhead::kRunBlocks == 0);
                seen.insert(seen.end(), block.values, block.values + split.count(j));
                // The job changes its block in place; a block read ahead must not see it.
                std::fill(block.values, block.values + split.count(j), std::int16_t{-1});
            }
        }
        EXPECT_TRUE(seen == values);
    }
}

TEST_F(ReadAheadTest, ASourceCutShortIsSeenAtItsFirstMissingBlock) {
    const std::vector<std::int16_t> values = test::ramp(5 * 60000, 1, 3);
    const std::string path = test::writeWave(dir.file("in.wav"), values);
    sonIO source(context, path);
    ASSERT_TRUE(source.IsOpen());
    // Another program cuts the file to one and a half blocks after it was opened.
    std::filesystem::resize_file(path, 44 + 2 * 90000);
    const BlockSplit split = BlockSplit::of(5 * 60000);
    ReadAhead ahead(source, split);
    const ReadAhead::Block first = ahead.next();
    EXPECT_FALSE(first.truncated);
    const ReadAhead::Block second = ahead.next();
    EXPECT_TRUE(second.truncated);
    EXPECT_EQ(second.values[29999], values[89999]);
    EXPECT_EQ(second.values[30000], 0); // past the cut: silence, never stale values
}

TEST_F(ReadAheadTest, APassLeftEarlyEnds) {
    const std::string path = test::writeWave(dir.file("in.wav"), test::ramp(1000000));
    for (int taken : {0, 1, 5}) {
        sonIO source(context, path);
        ReadAhead ahead(source, BlockSplit::of(1000000));
        for (int j = 0; j < taken; ++j)
            ahead.next();
    } // each destructor must return
}

} // namespace
} // namespace sonarium
