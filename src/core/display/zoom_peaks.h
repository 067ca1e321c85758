// The extremes of a 16-bit file's samples at several resolutions, gathered during the display
// scan, from which a zoomed waveform takes its peaks without reading the file again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sonarium {

// The lowest and highest of a run of 16-bit values; empty (max below min) when the run is.
struct SampleRange {
    std::int16_t min = INT16_MAX;
    std::int16_t max = INT16_MIN;

    bool empty() const { return max < min; }
    void widen(std::int16_t value) {
        min = value < min ? value : min;
        max = value > max ? value : max;
    }
    void widen(const SampleRange& other) {
        min = other.min < min ? other.min : min;
        max = other.max > max ? other.max : max;
    }
    bool operator==(const SampleRange&) const = default;
};

// Levels of buckets of whole frames: the finest holds one range per channel for every
// finestFrames() frames (1024 unless the memory cap asks for wider), each coarser level one for
// every 4 buckets of the level below. Stored as 4 bytes per channel per bucket, the summary takes
// at most 1/256 of the data it describes (plus a few buckets per level), and never more than
// kMemoryCap.
class ZoomPeaks {
public:
    static constexpr std::uint64_t kFinestFrames = 1024;
    static constexpr std::uint64_t kLevelFactor = 4;
    static constexpr std::size_t kMemoryCap = std::size_t{64} * 1024 * 1024;

    // Begins a summary of `channels` (1 or 2) interleaved 16-bit channels for a stream of about
    // expectedFrames frames.
    void start(int channels, std::uint64_t expectedFrames);
    // The next bytes of the data (little-endian values), in order; a piece may end anywhere,
    // inside a value or a frame.
    void add(const unsigned char* bytes, std::size_t count);
    // Closes the last bucket (a partial frame at the end is left out) and builds the coarser
    // levels.
    void finish();

    // Whether the summary is finished and describes at least one frame.
    bool ready() const { return finished_ && frames_ > 0; }
    int channels() const { return channels_; }
    // Whole frames described.
    std::uint64_t frames() const { return frames_; }
    std::uint64_t finestFrames() const { return finest_; }
    int levelCount() const { return static_cast<int>(levels_.size()); }
    // Frames per bucket of a level, 0 the finest.
    std::uint64_t levelFrames(int level) const;
    // The bytes the buckets take.
    std::size_t memoryBytes() const;

    // The extremes of one channel (0 or 1) over the frames [first, last), from the finest level.
    SampleRange range(int channel, std::uint64_t first, std::uint64_t last) const;

    // One range per pixel column: column x covers the frames from floor(start + x * framesPerPixel)
    // up to floor(start + (x + 1) * framesPerPixel), at least one. They come from the coarsest
    // level whose buckets are no wider than framesPerPixel, a bucket counting whole in every
    // column it overlaps. Columns outside the data stay empty.
    void columns(int channel, double start, double framesPerPixel,
                 std::span<SampleRange> out) const;

private:
    struct Level {
        std::uint64_t frames = 0;         // per bucket
        std::vector<SampleRange> buckets; // bucket-major, one range per channel
    };
    void closeBucket();
    void addFrames(const unsigned char* bytes, std::uint64_t frames);

    int channels_ = 0;
    std::uint64_t finest_ = kFinestFrames;
    std::uint64_t frames_ = 0;
    std::uint64_t inBucket_ = 0; // frames of the bucket being filled
    std::array<SampleRange, 2> current_{};
    std::array<unsigned char, 4> carry_{}; // the start of a frame split between two pieces
    std::size_t carried_ = 0;
    bool finished_ = false;
    std::vector<Level> levels_;
};

// One range per pixel column, as ZoomPeaks::columns lays them out, from values read from the
// file: `samples` holds `channels` interleaved channels starting at frame firstFrame.
void columnsFromSamples(std::span<const std::int16_t> samples, int channels, int channel,
                        std::uint64_t firstFrame, double start, double framesPerPixel,
                        std::span<SampleRange> out);

// Reads `count` frames from frame `first` of a 16-bit file's data, which starts at byte
// dataOffset and holds dataSize bytes; the frames past the data are left out. False when the file
// cannot be read.
bool readFrames(const std::string& path, std::uint64_t dataOffset, std::uint64_t dataSize,
                int channels, std::uint64_t first, std::uint64_t count,
                std::vector<std::int16_t>& out);

} // namespace sonarium
