// Stepper: cuts the signal into steps and replaces every value of a step by one value (one
// frame in stereo): the step's first, its largest, its average or its smallest.
#include "jobs/value_stream.h"
#include "operations/operation.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace sonarium {

namespace {

// In the order of the declaration's choices.
enum class StepMethod { First, Maximize, Average, Minimize };

struct StepperSettings {
    std::uint32_t step; // about the values of a step
    StepMethod method;

    explicit StepperSettings(const Parameters& p)
        : step(static_cast<std::uint32_t>(p.number("step"))),
          method(p.choice<StepMethod>("method")) {}
};

// The lengths of the steps: c steps of n values, then one of rem values. n is the even value at
// or above N / c, so that a step holds whole stereo frames; the step that reaches the end of
// the file is cut there and the steps after it are empty, so exactly N values are written.
struct StepPlan {
    std::uint32_t c = 0;
    std::uint32_t n = 0;
    std::uint32_t rem = 0;

    StepPlan(std::uint32_t total, std::uint32_t step) {
        c = total / step + 1;
        const std::uint32_t per = total / c;
        rem = total - per * c;
        n = per % 2 != 0 ? per + 1 : per;
        if (rem < 1) {
            rem += per;
            --c;
        }
    }
    std::uint32_t length(std::uint32_t j) const { return j < c ? n : rem; }
};

// The replacement value of one step, computed as its values stream past; each channel on its
// own values in stereo (even places left, odd places right).
class StepValue {
public:
    StepValue(StepMethod method, int channels) : method_(method), channels_(channels) {}

    void add(const std::int16_t* values, std::uint32_t count) {
        // The step's first frame sets the starting values; the rest go through one loop per
        // method and layout, with no test of either per value.
        std::uint32_t k = 0;
        for (; k < count && seen_ < static_cast<std::uint64_t>(channels_); ++k, ++seen_) {
            const int ch = channels_ == 2 ? static_cast<int>(seen_ % 2) : 0;
            sum_[ch] += values[k];
            first_[ch] = values[k];
            v_[ch] = values[k];
        }
        if (k == count)
            return;
        // Where the rest starts in the left-right alternation.
        const int startCh = channels_ == 2 ? static_cast<int>(seen_ % 2) : 0;
        seen_ += count - k;
        if (channels_ == 1)
            addMono(values + k, count - k);
        else
            addStereo(values + k, count - k, startCh);
    }
    // The value of channel ch (0 left or mono, 1 right) for a step of `length` values.
    std::int16_t value(int ch, std::uint64_t length) const {
        if (method_ == StepMethod::Average)
            return static_cast<std::int16_t>(sum_[ch] / static_cast<std::int64_t>(length));
        // A stereo step too short to minimise over keeps its first frame.
        if (method_ == StepMethod::Minimize && channels_ == 2 && length < 4)
            return first_[ch];
        return v_[ch];
    }

private:
    void addMono(const std::int16_t* x, std::uint32_t count) {
        std::int64_t sum = 0;
        for (std::uint32_t k = 0; k < count; ++k)
            sum += x[k];
        sum_[0] += sum;
        std::int16_t v = v_[0];
        switch (method_) {
        case StepMethod::Maximize:
            // Mono: a value of exactly 32767 is never a candidate.
            for (std::uint32_t k = 0; k < count; ++k)
                if (x[k] != 32767 && std::abs(v) < std::abs(x[k]))
                    v = x[k];
            break;
        case StepMethod::Minimize:
            for (std::uint32_t k = 0; k < count; ++k)
                if (std::abs(x[k]) < std::abs(v))
                    v = x[k];
            break;
        case StepMethod::First:
        case StepMethod::Average:
            break;
        }
        v_[0] = v;
    }

    void addStereo(const std::int16_t* x, std::uint32_t count, int startCh) {
        for (std::uint32_t k = 0; k < count; ++k)
            sum_[(static_cast<int>(k) + startCh) & 1] += x[k];
        switch (method_) {
        case StepMethod::Maximize:
            // Stereo: a channel that has reached 32767 keeps it.
            for (std::uint32_t k = 0; k < count; ++k) {
                std::int16_t& v = v_[(static_cast<int>(k) + startCh) & 1];
                if (v != 32767 && std::abs(v) < std::abs(x[k]))
                    v = x[k];
            }
            break;
        case StepMethod::Minimize:
            for (std::uint32_t k = 0; k < count; ++k) {
                std::int16_t& v = v_[(static_cast<int>(k) + startCh) & 1];
                if (std::abs(x[k]) < std::abs(v))
                    v = x[k];
            }
            break;
        case StepMethod::First:
        case StepMethod::Average:
            break;
        }
    }

    StepMethod method_;
    int channels_;
    std::uint64_t seen_ = 0;
    std::int16_t first_[2] = {0, 0};
    std::int16_t v_[2] = {0, 0};
    std::int64_t sum_[2] = {0, 0};
};

JobOutcome runStepper(JobFiles& files, const StepperSettings& settings) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    const int channels = source.channels;
    const std::uint32_t total = valueCount(source);
    sonIO* destination = files.create({.channels = channels}, total);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    const StepPlan plan(total, settings.step);

    ValueReader reader(context, source, total);
    ValueWriter writer(context, *destination, total);
    PieceProgress progress(context.progress);
    auto buffer = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j <= plan.c && reader.consumed() < total && !context.stopped(); ++j) {
        const auto length = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(plan.length(j), total - reader.consumed()));
        // A step longer than the buffer is read in pieces: only its value is kept.
        StepValue value(settings.method, channels);
        for (std::uint32_t left = length; left > 0 && !context.stopped();) {
            const std::uint32_t piece = std::min(left, kBlockValues);
            reader.read(buffer->data(), piece);
            value.add(buffer->data(), piece);
            left -= piece;
        }
        if (context.stopped())
            break;
        // A piece of a step always starts on a left value: steps and pieces hold whole frames.
        const std::int16_t left = value.value(0, length);
        const std::int16_t right = channels == 2 ? value.value(1, length) : left;
        const std::uint32_t filled = std::min(length, kBlockValues);
        for (std::uint32_t k = 0; k < filled; ++k)
            (*buffer)[k] = k % 2 == 0 ? left : right;
        for (std::uint32_t rest = length; rest > 0;) {
            const std::uint32_t piece = std::min(rest, kBlockValues);
            writer.write(buffer->data(), piece);
            rest -= piece;
        }
        progress.set(static_cast<int>(100ULL * (j + 1) / (plan.c + 1ULL)));
    }
    progress.set(100);
    writer.flush();
    return JobOutcome::Completed;
}

Kernel prepareStepper(const Parameters& p) {
    const StepperSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) { return runStepper(files, settings); }};
}

} // namespace

const OperationDecl& stepperOperation() {
    static const OperationDecl decl{
        .name = "stepper",
        .caption = "Stepper 1.0",
        .dialogClass = "CStepperDialog",
        .helpCode = "EFFSTE_1.0",
        .completion = "Stepper eff - done",
        .commandId = 32933,
        .animation = true,
        .helpItem = 1245,
        .fields =
            {
                {.item = 1206,
                 .label = "Step Si&ze (2, 32767) :",
                 .member = "step",
                 .type = FieldType::Int32,
                 .defaultValue = 300,
                 .minimum = 2,
                 .maximum = 32767,
                 .unit = "Smp"},
                {.label = "Stepping method",
                 .member = "method",
                 .type = FieldType::RadioGroup,
                 .group = "Stepping method",
                 .choices = {{1212, "&First", "first"},
                             {1210, "Ma&ximize", "maximize"},
                             {1211, "&Average", "average"},
                             {1209, "Mi&nimize", "minimize"}},
                 .defaultChoice = "first"},
                {.item = 1207,
                 .label = "LFO &Frequency (0, 22050) :",
                 .type = FieldType::Double,
                 .maximum = 88200,
                 .unit = "Hz",
                 .enabled = false},
                {.item = 1208,
                 .label = "LFO &Depth (0, 100) :",
                 .type = FieldType::Double,
                 .maximum = 100,
                 .unit = "%",
                 .enabled = false},
                lfoShapeField(1110),
            },
        .notes = "The file is cut into steps of about the step size (an even number of values, "
                 "so a stereo step holds whole frames; the step reaching the end of the file is "
                 "cut there). Every value of a step becomes its first, its largest in magnitude "
                 "(mono: values of exactly 32767 are not counted), its average (stereo: each "
                 "channel's sum divided by the step's value count, so half the channel's mean), "
                 "or its smallest in magnitude (a stereo step of fewer than 4 values keeps its "
                 "first frame). The result has exactly as many values as the source.",
        .prepare = prepareStepper,
    };
    return decl;
}

} // namespace sonarium
