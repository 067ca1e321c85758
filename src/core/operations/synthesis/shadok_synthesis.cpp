// Shadok synthesis: a chain of whole wave periods, each at a frequency that drifts at random
// within a band.
#include "base/random_generator.h"
#include "jobs/block_pipeline.h"
#include "jobs/generator_job.h"
#include "operations/operation.h"
#include "operations/synthesis/waveform.h"

#include <algorithm>
#include <vector>

namespace sonarium {

namespace {

struct ShadokSettings {
    std::uint32_t total;
    std::uint32_t seed;
    double deviation; // maximal deviation, percent
    double floor;     // Hz
    double ceiling;   // Hz
    Waveform shape;
    bool totalRandom;

    explicit ShadokSettings(const Parameters& p)
        : total(valuesForDuration(p.number("duration"))),
          seed(static_cast<std::uint32_t>(p.number("seed"))), deviation(p.number("maxDeviation")),
          floor(p.number("floorFrequency")), ceiling(p.number("ceilingFrequency")),
          shape(p.choice<Waveform>("shape")), totalRandom(p.flag("totalRandom")) {}
};

// Lays periods end to end, each opening at phase 0 and lasting trunc(44100 / f) values (at least
// one, so that frequencies above 44100 Hz still move on). A period that runs past the end of a
// block is finished into a carry of at most one block's values; the next block opens with as
// many of them as leave room for one more value (count − 1), the rest being dropped, and a new
// period starts right after them.
class PeriodChain {
public:
    explicit PeriodChain(const ShadokSettings& s)
        : lo_(std::min(s.floor, s.ceiling)), hi_(std::max(s.floor, s.ceiling)), span_(hi_ - lo_),
          depth_(std::min(s.deviation / 100.0, lo_ / hi_)), frequency_((lo_ + hi_) / 2),
          shape_(s.shape), totalRandom_(s.totalRandom), random_(s.seed) {}

    // The chain of periods is laid out first, in order: it costs a draw per period. Their
    // values, a waveform call each, are then computed on every core.
    void fill(std::int16_t* block, std::uint32_t count) {
        if (count == 0)
            return;
        stretches_.clear();
        // The end of the last period of the block before, at most all but one of this block.
        const std::uint32_t carried = std::min(carry_.count, count - 1);
        if (carried > 0)
            stretches_.push_back({0, carry_.first, carried, carry_.frequency});
        carry_.count = 0;
        std::uint32_t at = carried;
        while (at < count) {
            chooseFrequency();
            const std::uint32_t length = periodLength();
            const std::uint32_t inBlock = std::min(length, count - at);
            stretches_.push_back({at, 0, inBlock, frequency_});
            at += inBlock;
            carry_ = {0, inBlock, std::min(length - inBlock, kBlockValues), frequency_};
        }
        forEachRange(static_cast<std::uint32_t>(stretches_.size()), 64,
                     [&](std::uint32_t begin, std::uint32_t end) {
                         for (std::uint32_t k = begin; k < end; ++k) {
                             const Stretch& s = stretches_[k];
                             for (std::uint32_t i = 0; i < s.count; ++i)
                                 block[s.at + i] = value(s.frequency, s.first + i);
                         }
                     });
    }

private:
    // Total random: anywhere in the band. Otherwise the frequency moves by d, a random share of
    // D × span (D the maximal deviation, at most lo / hi), and the other way when that would
    // leave the band. Above 50 % both ways can leave it: the frequency then stops at the bound
    // nearer to where it would have gone, and never leaves the band.
    void chooseFrequency() {
        const double r = random_.next();
        if (totalRandom_) {
            frequency_ = lo_ + r * span_ / 32768;
            return;
        }
        const double d = (r / 16384 - 1) * depth_ * span_;
        double next = frequency_ + d;
        if (next < lo_ || next > hi_) {
            next = frequency_ - d;
            if (next < lo_)
                next = lo_;
            else if (next > hi_)
                next = hi_;
        }
        frequency_ = next;
    }

    std::uint32_t periodLength() const {
        return std::max(1U, static_cast<std::uint32_t>(44100 / frequency_));
    }

    // Value i of a period at the current frequency: angle i / 22050 × f × π.
    // The i-th value of a period at the given frequency.
    std::int16_t value(double frequency, std::uint32_t i) const {
        return waveValue(shape_, static_cast<double>(i) / 22050 * frequency * kSynthesisPi);
    }

    // Values i = first .. first + count - 1 of a period, at block[at] onwards.
    struct Stretch {
        std::uint32_t at;
        std::uint32_t first;
        std::uint32_t count;
        double frequency;
    };

    double lo_;
    double hi_;
    double span_;
    double depth_; // D
    double frequency_;
    Waveform shape_;
    bool totalRandom_;
    RandomGenerator random_;
    std::vector<Stretch> stretches_; // the block's periods
    Stretch carry_{0, 0, 0, 0.0};    // the end of the last period, for the next block
};

Kernel prepareShadokSynthesis(const Parameters& p) {
    const ShadokSettings settings(p);
    return GeneratorKernel{.total = settings.total,
                           .generate = [chain = PeriodChain(settings)](
                                           std::int16_t* block, std::uint32_t count,
                                           std::uint32_t) mutable { chain.fill(block, count); }};
}

} // namespace

const OperationDecl& shadokSynthesisOperation() {
    static const OperationDecl decl{
        .name = "shadok-synthesis",
        .caption = "Shadok synthesis 1.0",
        .dialogClass = "CShadokSynthesisDialog",
        .helpCode = "SYNSHA_1.0",
        .completion = "Shadok syn - done",
        .commandId = 32897,
        .input = InputKind::None,
        .channels = OutputChannels::Mono,
        .helpItem = 1048,
        .fields =
            {
                {.item = 1002,
                 .label = "&Duration (0.001, 1000) :",
                 .member = "duration",
                 .type = FieldType::Float,
                 .defaultValue = 10,
                 .minimum = 0.001,
                 .maximum = 1000,
                 .unit = "s"},
                {.item = 1003,
                 .label = "Seed &Value (1, 32767) :",
                 .member = "seed",
                 .type = FieldType::Int16,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 32767},
                {.item = 1004,
                 .label = "&Maximal Deviation (0.1, 100) :",
                 .member = "maxDeviation",
                 .type = FieldType::Float,
                 .defaultValue = 5,
                 .minimum = 0.1,
                 .maximum = 100,
                 .unit = "%"},
                {.item = 1005,
                 .label = "&Floor Frequency (0.1, 88200) :",
                 .member = "floorFrequency",
                 .type = FieldType::Float,
                 .defaultValue = 80,
                 .minimum = 0.1,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.item = 1006,
                 .label = "&Ceiling Frequency (0.1, 88200) :",
                 .member = "ceilingFrequency",
                 .type = FieldType::Float,
                 .defaultValue = 100,
                 .minimum = 0.1,
                 .maximum = 88200,
                 .unit = "Hz"},
                {.label = "Shape",
                 .member = "shape",
                 .type = FieldType::RadioGroup,
                 .group = "Shape",
                 .choices = {{1151, "&Sine", "sine"},
                             {1152, "S&quare", "square"},
                             {1153, "&Triangle", "triangle"}},
                 .defaultChoice = "sine"},
                {.item = 1007,
                 .label = "Total &random",
                 .member = "totalRandom",
                 .type = FieldType::CheckBox},
            },
        .notes =
            "Writes a mono 44100 Hz file of trunc(duration x 44100) values: whole periods laid end "
            "to end, each opening at phase 0 and lasting trunc(44100 / f) values, at least one "
            "(so frequencies above 44100 Hz give one value per period). Floor and ceiling may be "
            "given either way round; the band is lo..hi and the frequency starts from its middle.\n"
            "Before each period the 32-bit linear congruential generator, seeded with the seed "
            "value, draws r (0..32767). Total random: f = lo + r x (hi - lo) / 32768. Otherwise "
            "f moves by d = (r / 16384 - 1) x D x (hi - lo), D = min(deviation / 100, lo / hi), "
            "or by -d when f + d leaves the band; when f - d leaves it too (deviations above "
            "50 %), f stops at the nearer bound, so it never leaves the band.\n"
            "A period that runs past a block's end (blocks of at most 64000 values) is carried "
            "over: the next block opens with at most its length minus one of the carried values "
            "and the rest are dropped, so a period longer than a block is cut short. Equal "
            "fields give equal files.",
        .prepare = prepareShadokSynthesis,
    };
    return decl;
}

} // namespace sonarium
