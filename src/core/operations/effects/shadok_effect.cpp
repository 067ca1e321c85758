// Shadok effect: an oscillator whose frequency, period after period, is read from the source's
// values; the result is a mono file of a chosen duration.
#include "jobs/sample_math.h"
#include "operations/effects/waveshaping.h"
#include "operations/operation.h"

#include <algorithm>
#include <cmath>

namespace sonarium {

namespace {

// In the order of the declaration's choices.
enum class Shape { Sine, Square, Triangle };

// Values the source is read in steps of: each period takes the first of the next 8.
constexpr std::uint32_t kSourceStride = 8;

struct ShadokSettings {
    double duration; // seconds
    double lo;       // the lower of the two frequencies, Hz
    double perValue; // Hz per unit of |c|: (hi − lo) / 32768
    Shape shape;

    explicit ShadokSettings(const Parameters& p) {
        duration = p.number("duration");
        const double floorFreq = p.number("floorFreq");
        const double ceilFreq = p.number("ceilFreq");
        lo = std::min(floorFreq, ceilFreq);
        perValue = (std::max(floorFreq, ceilFreq) - lo) / 32768.0;
        shape = p.choice<Shape>("shape");
    }
};

// Value i of a period of frequency f in a file of 2 × halfRate values per second.
std::int16_t periodValue(Shape shape, double f, double halfRate, std::uint32_t i) {
    const double phase = kPi * f * i / halfRate;
    switch (shape) {
    case Shape::Sine:
        return toSample(std::sin(phase) * 32767.0);
    case Shape::Triangle:
        return toSample(std::asin(std::sin(phase)) / kPi * 65535.0);
    case Shape::Square:
        break;
    }
    return std::sin(phase) * 32767.0 > 0 ? 32767 : -32768;
}

// Hands out the first of every 8 source values, through one block-sized buffer; past the end of
// the source the values are 0.
class StrideReader {
public:
    StrideReader(JobContext& context, sonIO& source, std::uint32_t total)
        : context_(context), source_(source), remaining_(total) {}

    std::int16_t next() {
        std::int16_t first = 0;
        for (std::uint32_t taken = 0; taken < kSourceStride; ++taken) {
            const std::int16_t value = take();
            if (taken == 0)
                first = value;
        }
        return first;
    }

private:
    std::int16_t take() {
        if (at_ == filled_) {
            if (remaining_ == 0)
                return 0;
            filled_ = std::min(remaining_, kBlockValues);
            readValues(context_, source_, buffer_->data(), filled_);
            remaining_ -= filled_;
            at_ = 0;
        }
        return (*buffer_)[at_++];
    }

    JobContext& context_;
    sonIO& source_;
    std::uint32_t remaining_; // source values not read yet
    std::unique_ptr<SampleBuffer> buffer_ = std::make_unique<SampleBuffer>();
    std::uint32_t filled_ = 0;
    std::uint32_t at_ = 0;
};

JobOutcome runShadokEffect(JobFiles& files, const ShadokSettings& settings) {
    JobContext& context = files.context();
    // The result lasts the duration at the Source's rate R, and its periods are counted at R.
    const double rate = rateOf(files.source());
    const double halfRate = halfRateOf(files.source());
    const auto length = static_cast<std::uint32_t>(settings.duration * rate); // G
    sonIO* destination = files.create({.channels = 1}, length);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    StrideReader reader(context, files.source(), valueCount(files.source()));
    const BlockSplit split = BlockSplit::of(length);
    auto output = std::make_unique<SampleBuffer>();
    // The end of a period that ran past its block: at most one buffer of it is kept, and the
    // next block opens with as much of it as leaves room for one new period.
    auto carry = std::make_unique<SampleBuffer>();
    std::uint32_t carried = 0;
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        std::uint32_t at = std::min(carried, count - 1);
        std::copy_n(carry->begin(), at, output->begin());
        carried = 0;
        while (at < count && !context.stopped()) {
            const double f =
                std::abs(static_cast<double>(reader.next())) * settings.perValue + settings.lo;
            // At least 1: above R Hz the period would be empty and the output never grow.
            const std::uint32_t period =
                std::max<std::uint32_t>(1, static_cast<std::uint32_t>(rate / f));
            for (std::uint32_t i = 0; i < period; ++i) {
                if (at < count)
                    (*output)[at++] = periodValue(settings.shape, f, halfRate, i);
                else if (carried < kBlockValues)
                    (*carry)[carried++] = periodValue(settings.shape, f, halfRate, i);
                else
                    break; // beyond the carry: dropped
            }
        }
        if (context.stopped())
            break;
        context.progress.setProgress(split.progress(j));
        writeValues(context, *destination, output->data(), count);
    }
    return JobOutcome::Completed;
}

Kernel prepareShadokEffect(const Parameters& p) {
    const ShadokSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) { return runShadokEffect(files, settings); }};
}

} // namespace

const OperationDecl& shadokEffectOperation() {
    static const OperationDecl decl{
        .name = "shadok-effect",
        .caption = "Shadok effect 1.1",
        .dialogClass = "CShadokEffectDialog",
        .helpCode = "EFFSHA_1.1",
        .completion = "Shadok eff - done",
        .commandId = 32900,
        .channels = OutputChannels::Mono,
        .animation = false,
        .helpItem = 1279,
        .fields =
            {
                {.item = 1002,
                 .label = "&Duration (0.001, 1000) :",
                 .member = "duration",
                 .type = FieldType::Double,
                 .defaultValue = 10,
                 .minimum = 0.001,
                 .maximum = 1000,
                 .unit = "s"},
                {.item = 1003,
                 .label = "&Floor Frequency (0.1, 88200) :",
                 .member = "floorFreq",
                 .type = FieldType::Double,
                 .defaultValue = 80,
                 .minimum = 0.1,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1004,
                 .label = "&Ceiling Frequency (0.1, 88200) :",
                 .member = "ceilFreq",
                 .type = FieldType::Double,
                 .defaultValue = 240,
                 .minimum = 0.1,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.label = "Shape",
                 .member = "shape",
                 .type = FieldType::RadioGroup,
                 .group = "Shape",
                 .choices = {{1285, "&Sine", "sine"},
                             {1286, "S&quare", "square"},
                             {1287, "&Triangle", "triangle"}},
                 .defaultChoice = "sine"},
                {.item = 1005,
                 .label = "Sc&ale (1, 8) :",
                 .type = FieldType::Int32,
                 .defaultValue = 8,
                 .minimum = 1,
                 .maximum = 8,
                 .unit = "Smp",
                 .enabled = false},
            },
        .notes = "Writes a mono file of trunc(duration * R) values at the Source's rate R (44100 "
                 "for a 44100 Hz file), whatever its length and channels. The output is built "
                 "period by period: each period reads "
                 "the next 8 source values (0 past its end) and takes the first, c; its frequency "
                 "is f = |c| * (hi - lo) / 32768 + lo and its length trunc(R / f) values, at "
                 "least 1; the phase restarts at 0 in every period. Square starts every period "
                 "at -32768. A period that runs past an output block is carried into the next "
                 "(at most 64000 values, and the next block keeps room for one new period); the "
                 "rest of it is dropped. Scale is not used.",
        .prepare = prepareShadokEffect,
    };
    return decl;
}

} // namespace sonarium
