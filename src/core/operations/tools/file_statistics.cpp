// File statistics: the scan, its field texts and the operation that prints them.
#include "operations/tools/file_statistics.h"

#include "operations/operation.h"

#include <algorithm>
#include <cstdio>

namespace sonarium {

namespace {

// The scan state carried from value to value and across blocks.
struct Scan {
    FileStatistics& s;
    std::uint32_t run = 0;
    std::int16_t previous = 0;
    std::int64_t sum = 0; // of every value: the average is 2 × sum / dataSize

    void take(const std::int16_t* values, std::uint32_t count) {
        // Extremes and sum: a loop the compiler vectorises.
        int low = s.minimum;
        int high = s.maximum;
        std::int64_t blockSum = 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            low = std::min<int>(low, values[i]);
            high = std::max<int>(high, values[i]);
            blockSum += values[i];
        }
        s.minimum = low;
        s.maximum = high;
        sum += blockSum;
        // Crossings: a value at or past 0 after one on the other side of it; a previous value
        // of exactly 0 never starts a crossing. Written without branches, as crossings come at
        // no predictable rhythm.
        std::uint32_t crossings = 0;
        std::uint32_t longest = s.longestRun;
        std::uint32_t current = run;
        std::int16_t before = previous;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::int16_t x = values[i];
            const bool crossing = (before > 0 && x <= 0) || (before < 0 && x >= 0);
            crossings += crossing ? 1 : 0;
            longest = crossing && current > longest ? current : longest;
            current = crossing ? 0 : current + 1;
            before = x;
        }
        s.crossings += crossings;
        s.longestRun = longest;
        run = current;
        previous = before;
    }
};

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
    Scan scan{statistics};
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
        statistics.longestRun = std::max(statistics.longestRun, scan.run);
    }
    // Every value is read: a truncation found from here on does not count.
    files.closeSource();
    if (!continueJob(context))
        return std::nullopt;
    // The exact sum's share of the data, rather than a running total of each value's share that
    // drifts by a rounding per value over a long file.
    statistics.mean = 2.0 * static_cast<double>(scan.sum) / reader.dataSize;
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
