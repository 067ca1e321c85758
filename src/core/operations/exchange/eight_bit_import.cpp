// The 8-bit import streams the data as 16-bit units split like every job's values; each unit
// holds two samples and gives two values, so each block goes through the buffer in halves.
#include "operations/exchange/eight_bit_import.h"

#include "operations/exchange/exchange_job.h"
#include "workspace/working_list.h"

#include <algorithm>

namespace sonarium {

namespace {

constexpr std::string_view kWave = ".wav";
constexpr std::string_view kWave16 = "_16bit.wav";

// Turns the 2 × units bytes at the start of values into as many values. From the last byte
// down, value i (bytes 2i and 2i + 1) never covers a byte not yet converted.
void expandEightBit(std::int16_t* values, std::uint32_t units) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(values);
    for (std::uint32_t i = 2 * units; i-- > 0;)
        values[i] = valueOfEightBit(bytes[i]);
}

} // namespace

std::string eightBitImportPath(const std::string& source, const std::string& outputDir) {
    const std::string name = source.substr(directoryPart(source).size());
    std::string renamed;
    std::size_t from = 0;
    for (std::size_t at = name.find(kWave); at != std::string::npos; at = name.find(kWave, from)) {
        renamed.append(name, from, at - from).append(kWave16);
        from = at + kWave.size();
    }
    if (from == 0)
        return outputDir + name + std::string(kWave16);
    return outputDir + renamed + name.substr(from);
}

JobOutcome importEightBit(JobContext& context) {
    return importEightBitFrom(context, std::make_unique<sonIO>(context.wave, context.input.source));
}

JobOutcome importEightBitFrom(JobContext& context, std::unique_ptr<sonIO> source) {
    const std::string& path = source->Path();
    if (!source->IsOpen())
        return JobOutcome::EndedWithMessage; // the reader has said why
    if (source->bitsPerSample != 8) {
        context.reporter().report(kNotEightBitText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }
    // The data's bytes two by two; an odd last byte has no partner and is dropped.
    const std::uint32_t units = source->dataSize / 2;
    if (units == 0) {
        context.reporter().report(noSamplesMessage(path), MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (!claimDestination(context))
        return JobOutcome::EndedWithMessage;
    auto destination = createJobDestination(
        context,
        {.channels = source->channels, .rate = source->sampleRate > 0 ? source->sampleRate : 0},
        2 * static_cast<std::int64_t>(units));
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const BlockSplit split = BlockSplit::of(units);
    auto buffer = std::make_unique<SampleBuffer>();
    constexpr std::uint32_t kHalf = kBlockValues / 2;
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        for (std::uint32_t done = 0; done < count && !context.stopped();) {
            const std::uint32_t piece = std::min(count - done, kHalf);
            readValues(context, *source, buffer->data(), piece);
            if (context.stopped())
                break;
            expandEightBit(buffer->data(), piece);
            writeValues(context, *destination, buffer->data(), 2 * piece);
            done += piece;
        }
        context.progress.setProgress(split.progress(j));
    }
    return finishJob(context, *source, *destination);
}

} // namespace sonarium
