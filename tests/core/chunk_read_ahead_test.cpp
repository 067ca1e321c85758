// Reading ahead in chunks: every byte once and in order, whatever the length against the chunk
// size, and a file shorter than the length asked for ends the chunks where it ends.
#include "wavefile/chunk_read_ahead.h"

#include <gtest/gtest.h>
#include <vector>

namespace sonarium {
namespace {

TEST(ChunkReadAhead, HandsOverEveryByteInOrder) {
    constexpr std::size_t chunk = ChunkReadAhead::kChunkBytes;
    std::vector<std::uint8_t> file(4 * chunk + 100);
    for (std::size_t i = 0; i < file.size(); ++i)
        file[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    struct Case {
        std::size_t start;   // position of the file when the reading starts
        std::uint64_t asked; // length asked for
    };
    const Case cases[] = {
        {0, 0},
        {0, 1},
        {3, chunk - 1},
        {0, chunk},
        {0, chunk + 1},
        {5, 3 * chunk},
        {0, 4 * chunk + 100},
        // Past the file's end: the chunks stop there, the last one marked as ended.
        {0, 4 * chunk + 101},
        {100, 4 * chunk},
        {10, 3 * chunk + 1000000000ULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " + " << c.asked);
        BinaryFile source;
        source.openMemory(file);
        ASSERT_TRUE(source.seek(c.start));
        const std::uint64_t available = file.size() - c.start;
        std::vector<std::uint8_t> got;
        bool ended = false;
        {
            ChunkReadAhead reader(source, c.asked);
            for (;;) {
                const ChunkReadAhead::Chunk piece = reader.next();
                ASSERT_LE(piece.size, chunk);
                got.insert(got.end(), piece.bytes, piece.bytes + piece.size);
                ended = piece.ended;
                if (piece.ended || piece.size == 0)
                    break;
            }
            // Asking again after the end gives nothing.
            EXPECT_EQ(reader.next().size, 0U);
        }
        EXPECT_EQ(got.size(), std::min(c.asked, available));
        EXPECT_TRUE(std::equal(got.begin(), got.end(), file.begin() + static_cast<long>(c.start)));
        EXPECT_EQ(ended, c.asked > available);
    }
}

TEST(ChunkReadAhead, StopsReadingWhenDestroyedEarly) {
    std::vector<std::uint8_t> file(10 * ChunkReadAhead::kChunkBytes, 1);
    BinaryFile source;
    source.openMemory(file);
    ChunkReadAhead reader(source, file.size());
    EXPECT_EQ(reader.next().size, ChunkReadAhead::kChunkBytes);
    // Destroyed with chunks unread: the thread must end rather than wait for them to be taken.
}

} // namespace
} // namespace sonarium
