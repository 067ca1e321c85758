// Gaussian synthesis: a bounded random walk of values.
#include "base/random_generator.h"
#include "jobs/block_pipeline.h"
#include "jobs/generator_job.h"
#include "operations/operation.h"

#include <vector>

namespace sonarium {

namespace {

// Each value moves the walk by trunc(V × (2r / 32768 − 1)), r a fresh draw (0..32767), so a step
// lies from −V to just under +V; the walk stops at the 16-bit bounds.
class RandomWalk {
public:
    RandomWalk(int variability, std::uint32_t seed) : variability_(variability), random_(seed) {}

    // The draws and the steps they give depend on their place alone: they are computed on every
    // core, each range from the generator moved on to its start; the walk itself, one addition
    // and a clip per value, follows in order.
    void fill(std::int16_t* block, std::uint32_t count) {
        steps_.resize(count);
        const RandomGenerator start = random_;
        forEachRange(count, 8192, [&](std::uint32_t begin, std::uint32_t end) {
            RandomGenerator random = start;
            random.discard(begin);
            for (std::uint32_t i = begin; i < end; ++i) {
                const double r = random.next();
                steps_[i] = static_cast<std::int32_t>(variability_ * (2 * r / 32768 - 1));
            }
        });
        random_.discard(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            value_ += steps_[i];
            if (value_ < -32768)
                value_ = -32768;
            else if (value_ > 32767)
                value_ = 32767;
            block[i] = static_cast<std::int16_t>(value_);
        }
    }

private:
    double variability_; // V
    RandomGenerator random_;
    std::int32_t value_ = 0; // carried across blocks
    std::vector<std::int32_t> steps_;
};

Kernel prepareGaussianSynthesis(const Parameters& p) {
    RandomWalk walk(static_cast<int>(p.number("V")), static_cast<std::uint32_t>(p.number("seed")));
    return GeneratorKernel{.total = valuesForDuration(p.number("duration")),
                           .generate = [walk](std::int16_t* block, std::uint32_t count,
                                              std::uint32_t) mutable { walk.fill(block, count); }};
}

} // namespace

const OperationDecl& gaussianSynthesisOperation() {
    static const OperationDecl decl{
        .name = "gaussian-synthesis",
        .caption = "Gaussian Synthesis 1.0",
        .dialogClass = "CGaussianSynthesisDialog",
        .helpCode = "SYNGAU_1.0",
        .completion = "Gaussian syn - done",
        .commandId = 32776,
        .input = InputKind::None,
        .channels = OutputChannels::Mono,
        .helpItem = 1048,
        .fields =
            {
                {.item = 1002,
                 .label = "&Duration (0.001, 1000) :",
                 .member = "duration",
                 .type = FieldType::Float,
                 .defaultValue = 1,
                 .minimum = 0.001,
                 .maximum = 1000,
                 .unit = "s"},
                {.item = 1003,
                 .label = "&Variability (1, 32767) :",
                 .member = "V",
                 .type = FieldType::Int16,
                 .defaultValue = 5000,
                 .minimum = 1,
                 .maximum = 32767,
                 .option = "variability"},
                {.item = 1004,
                 .label = "&Seed Value (1, 32767) :",
                 .member = "seed",
                 .type = FieldType::Int16,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 32767},
            },
        .notes =
            "Writes a mono 44100 Hz file of trunc(duration x 44100) values: a random walk from 0 "
            "whose every step is trunc(V x (2r / 32768 - 1)), V the variability and r the next "
            "draw (0..32767) of the 32-bit linear congruential generator seeded with the seed "
            "value, clipped to -32768..32767. Equal fields give equal files.",
        .prepare = prepareGaussianSynthesis,
    };
    return decl;
}

} // namespace sonarium
