// Building and reading the multi-resolution extremes of a file's samples.
#include "display/zoom_peaks.h"

#include "wavefile/binary_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonarium {

namespace {

std::int16_t valueAt(const unsigned char* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)));
}

// Widens the ranges of the channels with `frames` whole frames.
void reduceFrames(const unsigned char* bytes, std::uint64_t frames, int channels,
                  std::array<SampleRange, 2>& ranges) {
    const std::size_t values =
        static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels);
    std::size_t i = 0;
#if defined(__SSE2__) && (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__)
    // Eight values a step: a step holds whole frames, so lane j always sees channel j % channels.
    if (values >= 32) {
        __m128i high0 = _mm_set1_epi16(INT16_MIN);
        __m128i high1 = high0;
        __m128i low0 = _mm_set1_epi16(INT16_MAX);
        __m128i low1 = low0;
        for (; i + 16 <= values; i += 16) {
            const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i));
            const __m128i v1 =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 2 * i + 16));
            high0 = _mm_max_epi16(high0, v0);
            low0 = _mm_min_epi16(low0, v0);
            high1 = _mm_max_epi16(high1, v1);
            low1 = _mm_min_epi16(low1, v1);
        }
        std::int16_t highest[8];
        std::int16_t lowest[8];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(highest), _mm_max_epi16(high0, high1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lowest), _mm_min_epi16(low0, low1));
        for (std::size_t j = 0; j < 8; ++j) {
            SampleRange& range = ranges[j % static_cast<std::size_t>(channels)];
            range.widen(SampleRange{lowest[j], highest[j]});
        }
    }
#endif
    for (; i < values; ++i)
        ranges[i % static_cast<std::size_t>(channels)].widen(valueAt(bytes + 2 * i));
}

} // namespace

void ZoomPeaks::start(int channels, std::uint64_t expectedFrames) {
    channels_ = std::clamp(channels, 1, 2);
    frames_ = 0;
    inBucket_ = 0;
    carried_ = 0;
    finished_ = false;
    current_ = {};
    levels_.clear();
    // Every coarser level adds at most a third of the finest level and one bucket.
    auto bytesFor = [&](std::uint64_t finest) {
        const std::uint64_t buckets = expectedFrames / finest + 1;
        return (buckets + buckets / 3 + 64) * static_cast<std::uint64_t>(channels_) *
               sizeof(SampleRange);
    };
    finest_ = kFinestFrames;
    while (bytesFor(finest_) > kMemoryCap)
        finest_ *= kLevelFactor;
    levels_.push_back({finest_, {}});
    levels_[0].buckets.reserve(static_cast<std::size_t>((expectedFrames + finest_ - 1) / finest_) *
                               static_cast<std::size_t>(channels_));
}

void ZoomPeaks::closeBucket() {
    std::vector<SampleRange>& buckets = levels_[0].buckets;
    for (int c = 0; c < channels_; ++c)
        buckets.push_back(current_[static_cast<std::size_t>(c)]);
    current_ = {};
    inBucket_ = 0;
}

void ZoomPeaks::addFrames(const unsigned char* bytes, std::uint64_t frames) {
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(channels_);
    while (frames > 0) {
        const std::uint64_t take = std::min(frames, finest_ - inBucket_);
        reduceFrames(bytes, take, channels_, current_);
        bytes += take * frameBytes;
        frames -= take;
        frames_ += take;
        inBucket_ += take;
        if (inBucket_ == finest_)
            closeBucket();
    }
}

void ZoomPeaks::add(const unsigned char* bytes, std::size_t count) {
    if (channels_ == 0 || finished_)
        return;
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(channels_);
    if (carried_ > 0) {
        const std::size_t fill = std::min(frameBytes - carried_, count);
        std::memcpy(carry_.data() + carried_, bytes, fill);
        carried_ += fill;
        bytes += fill;
        count -= fill;
        if (carried_ < frameBytes)
            return;
        addFrames(carry_.data(), 1);
        carried_ = 0;
    }
    const std::size_t whole = count / frameBytes;
    addFrames(bytes, whole);
    carried_ = count - whole * frameBytes;
    std::memcpy(carry_.data(), bytes + whole * frameBytes, carried_);
}

void ZoomPeaks::finish() {
    if (channels_ == 0 || finished_)
        return;
    if (inBucket_ > 0)
        closeBucket();
    carried_ = 0;
    const auto channels = static_cast<std::size_t>(channels_);
    // Coarser levels until one holds a handful of buckets.
    while (levels_.back().buckets.size() / channels > kLevelFactor) {
        const Level& below = levels_.back();
        Level level{below.frames * kLevelFactor, {}};
        const std::size_t count = below.buckets.size() / channels;
        level.buckets.reserve((count + kLevelFactor - 1) / kLevelFactor * channels);
        for (std::size_t b = 0; b < count; b += kLevelFactor)
            for (std::size_t c = 0; c < channels; ++c) {
                SampleRange range;
                for (std::size_t k = b; k < std::min<std::size_t>(b + kLevelFactor, count); ++k)
                    range.widen(below.buckets[k * channels + c]);
                level.buckets.push_back(range);
            }
        levels_.push_back(std::move(level));
    }
    finished_ = true;
}

std::uint64_t ZoomPeaks::levelFrames(int level) const {
    return level >= 0 && level < levelCount() ? levels_[static_cast<std::size_t>(level)].frames : 0;
}

std::size_t ZoomPeaks::memoryBytes() const {
    std::size_t bytes = 0;
    for (const Level& level : levels_)
        bytes += level.buckets.capacity() * sizeof(SampleRange);
    return bytes;
}

SampleRange ZoomPeaks::range(int channel, std::uint64_t first, std::uint64_t last) const {
    SampleRange out;
    if (!ready() || channel < 0 || channel >= channels_)
        return out;
    last = std::min(last, frames_);
    const auto channels = static_cast<std::size_t>(channels_);
    const std::vector<SampleRange>& buckets = levels_[0].buckets;
    for (std::uint64_t b = first / finest_; first < last && b <= (last - 1) / finest_; ++b)
        out.widen(
            buckets[static_cast<std::size_t>(b) * channels + static_cast<std::size_t>(channel)]);
    return out;
}

void ZoomPeaks::columns(int channel, double start, double framesPerPixel,
                        std::span<SampleRange> out) const {
    std::fill(out.begin(), out.end(), SampleRange{});
    if (!ready() || channel < 0 || channel >= channels_ || !(framesPerPixel > 0.0))
        return;
    std::size_t chosen = 0;
    while (chosen + 1 < levels_.size() &&
           static_cast<double>(levels_[chosen + 1].frames) <= framesPerPixel)
        ++chosen;
    const Level& level = levels_[chosen];
    const auto channels = static_cast<std::size_t>(channels_);
    const auto total = static_cast<double>(frames_);
    for (std::size_t x = 0; x < out.size(); ++x) {
        const double from = std::floor(start + static_cast<double>(x) * framesPerPixel);
        double to = std::floor(start + static_cast<double>(x + 1) * framesPerPixel);
        to = std::max(to, from + 1.0);
        if (to <= 0.0 || from >= total)
            continue;
        const auto first = static_cast<std::uint64_t>(std::max(from, 0.0));
        const auto last = static_cast<std::uint64_t>(std::min(to, total));
        SampleRange range;
        for (std::uint64_t b = first / level.frames; b <= (last - 1) / level.frames; ++b)
            range.widen(level.buckets[static_cast<std::size_t>(b) * channels +
                                      static_cast<std::size_t>(channel)]);
        out[x] = range;
    }
}

void columnsFromSamples(std::span<const std::int16_t> samples, int channels, int channel,
                        std::uint64_t firstFrame, double start, double framesPerPixel,
                        std::span<SampleRange> out) {
    std::fill(out.begin(), out.end(), SampleRange{});
    if (channels < 1 || channel < 0 || channel >= channels || !(framesPerPixel > 0.0))
        return;
    const auto stride = static_cast<std::size_t>(channels);
    const double begin = static_cast<double>(firstFrame);
    const double end = begin + static_cast<double>(samples.size() / stride);
    for (std::size_t x = 0; x < out.size(); ++x) {
        const double from = std::floor(start + static_cast<double>(x) * framesPerPixel);
        double to = std::floor(start + static_cast<double>(x + 1) * framesPerPixel);
        to = std::max(to, from + 1.0);
        const double a = std::max(from, begin);
        const double b = std::min(to, end);
        if (b <= a)
            continue;
        SampleRange range;
        for (auto f = static_cast<std::size_t>(a - begin); f < static_cast<std::size_t>(b - begin);
             ++f)
            range.widen(samples[f * stride + static_cast<std::size_t>(channel)]);
        out[x] = range;
    }
}

bool readFrames(const std::string& path, std::uint64_t dataOffset, std::uint64_t dataSize,
                int channels, std::uint64_t first, std::uint64_t count,
                std::vector<std::int16_t>& out) {
    out.clear();
    const std::uint64_t frameBytes = 2 * static_cast<std::uint64_t>(std::max(channels, 1));
    const std::uint64_t total = dataSize / frameBytes;
    if (first >= total)
        return true;
    count = std::min(count, total - first);
    BinaryFile file(path, BinaryFile::Mode::Read);
    if (!file.isOpen() || !file.seek(dataOffset + first * frameBytes))
        return false;
    // Straight into the values (their capacity kept from one read to the next), put into the
    // machine's byte order afterwards.
    out.resize(static_cast<std::size_t>(count * frameBytes / 2));
    const std::size_t got = file.read(out.data(), out.size() * 2);
    out.resize(got / 2 - (got / 2) % static_cast<std::size_t>(frameBytes / 2));
    if constexpr (std::endian::native != std::endian::little)
        for (std::int16_t& value : out)
            value = valueAt(reinterpret_cast<const unsigned char*>(&value));
    return true;
}

} // namespace sonarium
