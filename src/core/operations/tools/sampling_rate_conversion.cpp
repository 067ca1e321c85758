// Sampling Rate Conversion: either the Source's data copied unchanged under a header that
// declares another rate, so that it plays faster or slower (None), or the Source resampled to the
// output rate through libsoxr at its very high quality, so that it keeps its duration and pitch
// (Resample).
#include "jobs/resampler.h"
#include "operations/operation.h"

#include <algorithm>

namespace sonarium {

namespace {

enum class Method { None, Resample };

// The resampled values are dithered (TPDF) from a fixed seed: the same Source always gives the
// same result.
constexpr std::uint32_t kResampleSeed = 1;

// Frames resampled at a time.
constexpr std::size_t kResampleFrames = 16384;

// None: the data copied as it is under a header that declares the new rate.
JobOutcome relabel(JobFiles& files, int rate) {
    sonIO& source = files.source();
    const std::uint32_t total = valueCount(source);
    // The source's channel count and sample width stay in the header; only the rate changes.
    sonIO* destination = files.create({.channels = source.channels,
                                       .rate = rate,
                                       .bits = source.bitsPerSample,
                                       .dataBytes = 2 * std::int64_t{total}},
                                      total);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    transformBlocks(files.context(), source, *destination, BlockSplit::of(total), {},
                    MessageIcon::Warning, [](std::int16_t*, std::uint32_t) {});
    return JobOutcome::Completed;
}

JobOutcome resample(JobFiles& files, int outRate) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    if (source.bitsPerSample != 16) {
        context.reporter().report("File " + source.Path() + "\nholds " +
                                      std::to_string(source.bitsPerSample) +
                                      "-bit sound: only 16-bit files can be resampled",
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    const int channels = source.channels;
    const int inRate = source.sampleRate;
    if (inRate == outRate)
        return relabel(files, outRate); // nothing to convert: the values as they are
    const auto width = static_cast<std::size_t>(channels);
    // A stereo file's odd last value has no partner: whole frames only.
    const std::size_t frames = valueCount(source) / width;
    const std::int64_t outFrames =
        resampledLength(static_cast<std::int64_t>(frames), inRate, outRate);
    if (outFrames == 0) {
        context.reporter().report(kEmptyOutputText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    Resampler resampler(inRate, outRate, channels);
    if (!resampler.error().empty()) {
        context.reporter().report("The resampler cannot convert " + std::to_string(inRate) +
                                      " Hz to " + std::to_string(outRate) +
                                      " Hz: " + resampler.error(),
                                  MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    sonIO* destination =
        files.create({.channels = channels, .rate = outRate}, outFrames * channels);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    Quantizer quantizer(true, kResampleSeed);
    std::vector<std::int16_t> values(kResampleFrames * width);
    std::vector<float> samples;
    std::vector<float> resampled;
    std::int64_t written = 0;
    // Quantizes and writes what the resampler gave, up to the length rule.
    const auto write = [&] {
        const std::int64_t take = std::min<std::int64_t>(
            static_cast<std::int64_t>(resampled.size() / width), outFrames - written);
        if (take <= 0)
            return;
        const std::size_t count = static_cast<std::size_t>(take) * width;
        values.resize(std::max(values.size(), count));
        quantizer.quantize(resampled.data(), values.data(), count);
        writeValues(context, *destination, values.data(), static_cast<std::uint32_t>(count),
                    MessageIcon::Warning);
        written += take;
    };
    const std::size_t block = resampler.inputFrames(kResampleFrames);
    for (std::size_t done = 0; done < frames && continueJob(context);) {
        const std::size_t count = std::min(block, frames - done);
        values.resize(std::max(values.size(), count * width));
        readValues(context, source, values.data(), static_cast<std::uint32_t>(count * width));
        if (context.stopped())
            break;
        samples.resize(count * width);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<float>(values[i]) / 32768.0F;
        resampler.process(samples.data(), count, resampled);
        write();
        done += count;
        context.progress.setProgress(static_cast<int>(100 * done / frames));
    }
    if (context.stopped())
        return stoppedOutcome(context);
    resampler.finish(resampled);
    write();
    // The resampler falls a few frames short of the length rule at most: silence.
    std::fill(values.begin(), values.end(), std::int16_t{0});
    while (written < outFrames && !context.stopped()) {
        const std::int64_t take = std::min<std::int64_t>(
            static_cast<std::int64_t>(values.size() / width), outFrames - written);
        writeValues(context, *destination, values.data(),
                    static_cast<std::uint32_t>(take * channels), MessageIcon::Warning);
        written += take;
    }
    return context.stopped() ? stoppedOutcome(context) : JobOutcome::Completed;
}

Kernel prepareSamplingRateConversion(const Parameters& p) {
    const int rate = static_cast<int>(p.number("outputRate"));
    if (p.choice<Method>("method") == Method::Resample)
        return FilesKernel{[rate](JobFiles& files) { return resample(files, rate); }};
    return FilesKernel{[rate](JobFiles& files) { return relabel(files, rate); }};
}

} // namespace

const OperationDecl& samplingRateConversionOperation() {
    static const OperationDecl decl{
        .name = "sampling-rate-conversion",
        .caption = "Sampling Rate Conversion 1.0",
        .dialogClass = "CSamplingRateConversionDialog",
        .helpCode = "TOOSAM_1.0",
        .completion = "Sampling conversion - done",
        .commandId = 32959,
        .helpItem = 1714,
        .fields =
            {
                {.item = 1711,
                 .label = "&Source Rate (1, 200000) :",
                 .type = FieldType::Text,
                 .unit = "Smp/s",
                 .enabled = false},
                {.item = 1712,
                 .label = "Conversion &Method :",
                 .member = "method",
                 .type = FieldType::DropDownList,
                 .choices = {{0, "None", "none"}, {0, "Resample", "resample"}},
                 .defaultChoice = "none"},
                {.item = 1713,
                 .label = "&Output Rate (1, 200000) :",
                 .member = "outputRate",
                 .type = FieldType::Int32,
                 .defaultValue = 44100,
                 .minimum = 1,
                 .maximum = 200000,
                 .unit = "Smp/s"},
            },
        .notes = "None: the Source's samples unchanged, with the output rate in the header: the "
                 "result plays at output rate / source rate times the Source's speed and pitch. "
                 "The Source's channel count and sample width are kept (an 8-bit file stays "
                 "8-bit), and its data is copied in whole 16-bit units. Resample: the Source "
                 "(16-bit, mono or stereo) converted to the output rate by a very high quality "
                 "band-limited resampler, so that it keeps its duration and pitch; the result "
                 "holds source frames x output rate / source rate frames (rounded to the nearest), "
                 "its values rounded with TPDF dither from a fixed seed (the same Source always "
                 "gives the same result).",
        // The data is copied as it is, whatever its sample width.
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = prepareSamplingRateConversion,
    };
    return decl;
}

} // namespace sonarium
