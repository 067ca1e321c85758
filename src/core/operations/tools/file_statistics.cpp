// File statistics: the scan, its field texts and the operation that prints them.
#include "operations/tools/file_statistics.h"

#include "operations/operation.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sonarium {

namespace {

// A crossing: a value at or past 0 after one on the other side of it. A previous value of
// exactly 0 never starts one.
bool isCrossing(std::int16_t before, std::int16_t x) {
    return (before > 0 && x <= 0) || (before < 0 && x >= 0);
}

// The extremes and the sum of values taken 64 at a time, and the signs of those values.
class Words {
public:
    Words(int minimum, int maximum) {
#if defined(__SSE2__)
        lowest_ = _mm_set1_epi16(static_cast<short>(minimum));
        highest_ = _mm_set1_epi16(static_cast<short>(maximum));
#else
        lowest_ = minimum;
        highest_ = maximum;
#endif
    }

    // Takes values[0..63]. Returns bit k set for a crossing at values[k]; values[-1] must be
    // readable.
    std::uint64_t take(const std::int16_t* values) {
        // Bit k of positive / negative: values[k] > 0 / values[k] < 0.
        std::uint64_t positive = 0;
        std::uint64_t negative = 0;
#if defined(__SSE2__)
        const __m128i ones = _mm_set1_epi16(1);
        for (int k = 0; k < 64; k += 16) {
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + k));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(values + k + 8));
            lowest_ = _mm_min_epi16(lowest_, _mm_min_epi16(low, high));
            highest_ = _mm_max_epi16(highest_, _mm_max_epi16(low, high));
            // Pairs of values added into 32-bit lanes.
            sums_ = _mm_add_epi32(
                sums_, _mm_add_epi32(_mm_madd_epi16(low, ones), _mm_madd_epi16(high, ones)));
            // Sixteen values narrowed to bytes with saturation, which keeps each one's sign and
            // whether it is 0.
            const __m128i bytes = _mm_packs_epi16(low, high);
            const auto above = _mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128()));
            positive |= std::uint64_t{static_cast<std::uint16_t>(above)} << k;
            negative |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(bytes))} << k;
        }
        // A lane adds 16 values a word, at most 2^19 in magnitude: adding the lanes up every
        // 1024 words (2^29) keeps them from overflowing.
        if (++words_ % 1024 == 0)
            foldSums();
#else
        for (int k = 0; k < 64; ++k) {
            lowest_ = std::min<int>(lowest_, values[k]);
            highest_ = std::max<int>(highest_, values[k]);
            sum_ += values[k];
            positive |= std::uint64_t{values[k] > 0} << k;
            negative |= std::uint64_t{values[k] < 0} << k;
        }
#endif
        // The same of the value before each one.
        const std::uint64_t positiveBefore = (positive << 1) | std::uint64_t{values[-1] > 0};
        const std::uint64_t negativeBefore = (negative << 1) | std::uint64_t{values[-1] < 0};
        return (positiveBefore & ~positive) | (negativeBefore & ~negative);
    }

    // Widens the extremes and adds the sum of the values taken.
    void fold(int& minimum, int& maximum, std::int64_t& sum) {
#if defined(__SSE2__)
        foldSums();
        std::int16_t lows[8];
        std::int16_t highs[8];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lows), lowest_);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(highs), highest_);
        minimum = std::min<int>(minimum, *std::min_element(std::begin(lows), std::end(lows)));
        maximum = std::max<int>(maximum, *std::max_element(std::begin(highs), std::end(highs)));
#else
        minimum = std::min(minimum, lowest_);
        maximum = std::max(maximum, highest_);
#endif
        sum += sum_;
        sum_ = 0;
    }

private:
#if defined(__SSE2__)
    void foldSums() {
        std::int32_t lanes[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), sums_);
        sum_ += std::int64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
        sums_ = _mm_setzero_si128();
    }

    __m128i lowest_;
    __m128i highest_;
    __m128i sums_ = _mm_setzero_si128();
    std::uint32_t words_ = 0;
#else
    int lowest_ = 0;
    int highest_ = 0;
#endif
    std::int64_t sum_ = 0;
};

// Whether the zero bits strictly between the lowest and the highest set bit of mask hold a run
// of more than `longest` (below 62) bits. Each step doubles the run length the bits stand for,
// so the test costs a handful of operations whatever the mask.
bool hasGapLongerThan(std::uint64_t mask, std::uint32_t longest) {
    const int low = std::countr_zero(mask);
    const int high = 63 - std::countl_zero(mask);
    if (high - low - 1 <= static_cast<int>(longest))
        return false;
    // The bits strictly between low and high, where mask is 0.
    const std::uint64_t inside =
        ((std::uint64_t{1} << high) - 1) & ~((std::uint64_t{2} << low) - 1);
    std::uint64_t gaps = ~mask & inside; // bit k: values[k] is no crossing
    const std::uint32_t wanted = longest + 1;
    std::uint32_t length = 1; // bit k of gaps: bits k..k+length-1 of the original all set
    while (2 * length <= wanted) {
        gaps &= gaps >> length;
        length *= 2;
    }
    if (length < wanted)
        gaps &= gaps >> (wanted - length);
    return gaps != 0;
}

// The set bits of a word. std::popcount calls a library function where the processor's
// instruction is not assumed, which costs more than these few operations.
int countBits(std::uint64_t word) {
    word -= (word >> 1) & 0x5555555555555555U;
    word = (word & 0x3333333333333333U) + ((word >> 2) & 0x3333333333333333U);
    word = (word + (word >> 4)) & 0x0F0F0F0F0F0F0F0FU;
    return static_cast<int>((word * 0x0101010101010101U) >> 56);
}

} // namespace

void StatisticsScan::take(const std::int16_t* values, std::size_t count) {
    if (count == 0)
        return;
    // Crossings are found 64 values at a time as a bit mask. Only the positions of crossings
    // matter for the longest run: the run before a crossing at i is i - latest - 1 values,
    // latest being the crossing before it (-1 - run for the first one of the block).
    auto latest = -1 - static_cast<std::int64_t>(run);
    std::uint32_t longest = longestRun;
    std::uint32_t found = 0;
    auto cross = [&](std::int64_t at) {
        longest = std::max(longest, static_cast<std::uint32_t>(at - latest - 1));
        latest = at;
        ++found;
    };
    // One value on its own, with the value before it.
    auto takeOne = [&](std::size_t at, std::int16_t before) {
        const std::int16_t x = values[at];
        minimum = std::min<int>(minimum, x);
        maximum = std::max<int>(maximum, x);
        sum += x;
        if (isCrossing(before, x))
            cross(static_cast<std::int64_t>(at));
    };
    takeOne(0, previous);
    std::size_t i = 1;
    Words words(minimum, maximum);
    for (; i + 64 <= count; i += 64) {
        const std::uint64_t mask = words.take(values + i);
        if (mask == 0)
            continue;
        const auto at = static_cast<std::int64_t>(i);
        // The run up to the word's first crossing may have begun words before.
        cross(at + std::countr_zero(mask));
        found += static_cast<std::uint32_t>(countBits(mask)) - 1;
        // Runs inside the word are at most 62 values long: once the longest run is that long
        // they cannot beat it, and before that they are walked only when the mask holds one that
        // does, which happens a few dozen times at most as the longest run only grows.
        if (longest < 62 && hasGapLongerThan(mask, longest)) {
            std::uint64_t rest = mask & (mask - 1);
            while (rest != 0) {
                const std::int64_t next = at + std::countr_zero(rest);
                longest = std::max(longest, static_cast<std::uint32_t>(next - latest - 1));
                latest = next;
                rest &= rest - 1;
            }
        }
        latest = at + 63 - std::countl_zero(mask);
    }
    words.fold(minimum, maximum, sum);
    for (; i < count; ++i)
        takeOne(i, values[i - 1]);
    crossings += found;
    longestRun = longest;
    run = static_cast<std::uint32_t>(static_cast<std::int64_t>(count) - 1 - latest);
    previous = values[count - 1];
}

namespace {

// A value as a percentage of full scale: of 32768 below zero, of 32767 otherwise.
double percentOfFullScale(double v) {
    return v < 0 ? 100 * v / 32768 : 100 * v / 32767;
}

// Each double is narrowed to single precision before it is printed.
std::string real(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, static_cast<double>(static_cast<float>(value)));
    return text;
}

std::string valueAndPercent(const char* valueFormat, double value) {
    char text[96];
    std::snprintf(text, sizeof text, valueFormat, value,
                  static_cast<double>(static_cast<float>(percentOfFullScale(value))));
    return text;
}

} // namespace

std::optional<FileStatistics> scanFileStatistics(JobFiles& files) {
    JobContext& context = files.context();
    sonIO& reader = files.source();
    FileStatistics statistics;
    statistics.channels = reader.channels;
    statistics.sampleRate = reader.sampleRate;
    statistics.dataSize = reader.dataSize;
    StatisticsScan scan;
    const std::uint32_t values = valueCount(reader);
    const std::uint32_t full = reader.dataSize / (2 * kBlockValues);
    const std::uint32_t last = values - kBlockValues * full;
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j < full && continueJob(context); ++j) {
        readValues(context, reader, buffer->data(), kBlockValues);
        scan.take(buffer->data(), kBlockValues);
        context.progress.setProgress(static_cast<int>(100ULL * (j + 1) / (full + 1)));
    }
    if (last != 0 && continueJob(context)) {
        readValues(context, reader, buffer->data(), last);
        scan.take(buffer->data(), last);
        scan.longestRun = std::max(scan.longestRun, scan.run);
    }
    // Every value is read: a truncation found from here on does not count.
    files.closeSource();
    if (!continueJob(context))
        return std::nullopt;
    // The exact sum's share of the data, rather than a running total of each value's share that
    // drifts by a rounding per value over a long file.
    statistics.mean = 2.0 * static_cast<double>(scan.sum) / reader.dataSize;
    statistics.minimum = scan.minimum;
    statistics.maximum = scan.maximum;
    statistics.crossings = scan.crossings;
    statistics.longestRun = scan.longestRun;
    context.progress.setProgress(100);
    return statistics;
}

std::array<std::string, 9> statisticsFields(const FileStatistics& s) {
    // dataSize / sampleRate is an integer division; everything after it is in double precision.
    // A zero divisor gives 0.
    const std::uint32_t sizeOverRate =
        s.sampleRate > 0 ? s.dataSize / static_cast<std::uint32_t>(s.sampleRate) : 0;
    const double frequency = sizeOverRate > 0 ? 2.0 * s.channels * s.crossings / sizeOverRate : 0.0;
    const double meanPeriod = frequency != 0 ? 1000 / frequency : 0.0;
    const double valuesPerSecond = static_cast<double>(s.sampleRate) * s.channels;
    const double maximalPeriod = valuesPerSecond > 0 ? s.longestRun * 1000.0 / valuesPerSecond : 0;
    char mean[96];
    std::snprintf(mean, sizeof mean, "%.3f (%.3f%%)",
                  static_cast<double>(static_cast<float>(s.mean)),
                  static_cast<double>(static_cast<float>(percentOfFullScale(s.mean))));
    return {std::to_string(s.channels),
            std::to_string(s.sampleRate),
            valueAndPercent("%.0f (%.3f%%)", s.minimum),
            valueAndPercent("%.0f (%.3f%%)", s.maximum),
            mean,
            std::to_string(s.crossings),
            real("%.3f", frequency),
            real("%.3f", meanPeriod),
            real("%.3f", maximalPeriod)};
}

namespace {

Kernel prepareFileStatistics(const Parameters&) {
    return FilesKernel{[](JobFiles& files) {
        JobContext& context = files.context();
        context.progress.setProgress(0);
        const auto statistics = scanFileStatistics(files);
        if (!statistics)
            return stoppedOutcome(context);
        const auto fields = statisticsFields(*statistics);
        context.report.clear();
        for (std::size_t i = 0; i < fields.size(); ++i)
            context.report += std::string(kStatisticsLabels[i]) + " " + fields[i] + "\n";
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& fileStatisticsOperation() {
    static const OperationDecl decl{
        .name = "stats",
        .caption = "File statistics 1.1",
        .dialogClass = "CFileStatisticsDialog",
        .helpCode = "TOOFST_1.1",
        .commandId = 32968,
        .output = OutputKind::TextReport,
        .helpItem = 1743,
        .notes = "Scans every value of the file, the channels of a stereo file as one interleaved "
                 "stream, and prints, one a line: channels, sample rate, minimum and maximum with "
                 "their percentage of full scale, the average value, the number of zero "
                 "crossings (a value at or past 0 after a value on the other side of it; a value "
                 "of exactly 0 starts none), their frequency in Hz (2 x channels x crossings / "
                 "whole seconds of data), their mean period in ms (1000 / frequency) and the "
                 "longest stretch between two crossings in ms. Less than a whole second of data "
                 "gives a frequency and a mean period of 0. A file with no values is refused.",
        // The values are scanned as the reader gives them, whatever the file's sample width.
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = prepareFileStatistics,
    };
    return decl;
}

} // namespace sonarium
