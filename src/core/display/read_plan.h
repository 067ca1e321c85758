// How the display scan splits a data chunk into reads for its 450 columns.
#pragma once

#include <cstdint>

namespace sonarium {

constexpr int kDisplayColumns = 450;
// Largest read of the plan, in bytes: the unit the truncation warning counts in. The scan itself
// reads the data in larger pieces.
constexpr std::uint32_t kMaxScanChunk = 64000;

// Columns 0..448 each read readsPerColumn chunks of chunkSize bytes; column 449 reads
// readsPerColumn chunks of lastChunkSize bytes. Chunk sizes never exceed kMaxScanChunk.
struct ReadPlan {
    std::uint32_t chunkSize = 0;
    std::uint32_t readsPerColumn = 1;
    std::uint32_t lastChunkSize = 0;

    std::uint32_t columnBytes(int column) const {
        return readsPerColumn * (column == kDisplayColumns - 1 ? lastChunkSize : chunkSize);
    }
};

// The plan for a data chunk of dataSize bytes. Ordinary columns read a multiple of 4 bytes (32
// when they need several reads); the remainder goes to the last column.
ReadPlan makeReadPlan(std::uint32_t dataSize);

} // namespace sonarium
