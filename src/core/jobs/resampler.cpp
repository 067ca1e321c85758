// libsoxr's streaming interface behind a class that takes and gives whole frames; the dither's
// generator is xorshift64*, whose every draw gives the two uniform numbers one TPDF value needs.
#include "jobs/resampler.h"

#include <algorithm>
#include <cmath>
#include <soxr.h>

namespace sonarium {

std::int64_t resampledLength(std::int64_t frames, int inRate, int outRate) {
    if (frames <= 0 || inRate <= 0 || outRate <= 0)
        return 0;
    // frames = q × in + r: q × out whole, and r × out / in rounded, which cannot overflow.
    const std::int64_t in = inRate;
    const std::int64_t out = outRate;
    return frames / in * out + (2 * (frames % in) * out + in) / (2 * in);
}

struct Resampler::State {
    soxr_t soxr = nullptr;
    ~State() {
        if (soxr != nullptr)
            soxr_delete(soxr);
    }
};

Resampler::Resampler(int inRate, int outRate, int channels)
    : state_(std::make_unique<State>()), channels_(channels) {
    ratio_ = static_cast<double>(outRate) / inRate;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
    // One thread per channel where the library was built for it: the stereo halves are
    // independent filters.
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(channels > 1 ? 2 : 1);
    soxr_error_t error = nullptr;
    state_->soxr = soxr_create(inRate, outRate, static_cast<unsigned>(channels), &error, &io,
                               &quality, &runtime);
    if (state_->soxr == nullptr || error != nullptr)
        error_ = error != nullptr ? error : "the resampler could not be created";
}

Resampler::~Resampler() = default;

void Resampler::run(const float* in, std::size_t frames, std::vector<float>& out) {
    out.clear();
    if (!error_.empty())
        return;
    const auto channels = static_cast<std::size_t>(channels_);
    // Room for what the input gives plus what the filter held: the loop grows it if that is
    // not enough.
    const std::size_t room =
        static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * ratio_)) + 1024;
    std::size_t produced = 0;
    std::size_t consumed = 0;
    while (true) {
        if (out.size() < (produced + room) * channels)
            out.resize((produced + room) * channels);
        std::size_t taken = 0;
        std::size_t given = 0;
        const float* from = in != nullptr ? in + consumed * channels : nullptr;
        const soxr_error_t error =
            soxr_process(state_->soxr, from, frames - consumed, in != nullptr ? &taken : nullptr,
                         out.data() + produced * channels, room, &given);
        if (error != nullptr) {
            error_ = error;
            produced = 0;
            break;
        }
        consumed += taken;
        produced += given;
        // Fed input: done once all of it went in and the output had room to spare. Flushing:
        // done once a call gives less than it had room for.
        if (in != nullptr ? consumed == frames && given < room : given < room)
            break;
    }
    out.resize(produced * channels);
}

std::size_t Resampler::inputFrames(std::size_t outputFrames) const {
    return std::clamp<std::size_t>(
        static_cast<std::size_t>(static_cast<double>(outputFrames) / std::max(ratio_, 1.0)), 1,
        outputFrames);
}

void Resampler::process(const float* in, std::size_t frames, std::vector<float>& out) {
    static const float kNothing = 0;
    run(in != nullptr ? in : &kNothing, in != nullptr ? frames : 0, out);
}

void Resampler::finish(std::vector<float>& out) {
    run(nullptr, 0, out);
}

void clearNonFinite(float* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(samples[i]))
            samples[i] = 0;
}

Quantizer::Quantizer(bool dither, std::uint32_t seed)
    : dither_(dither), state_(0x9E3779B97F4A7C15ULL ^ (std::uint64_t{seed} << 1 | 1)) {}

void Quantizer::quantize(const float* in, std::int16_t* out, std::size_t count) {
    constexpr float kScale = 32768.0F;
    const auto clip = [](float v) {
        return static_cast<std::int16_t>(std::clamp(v, -32768.0F, 32767.0F));
    };
    bool onGrid = true;
    if (dither_) {
        for (std::size_t i = 0; i < count && onGrid; ++i) {
            const float v = in[i] * kScale;
            onGrid = !std::isfinite(v) || v == std::nearbyint(v);
        }
    }
    if (!dither_ || onGrid) {
        for (std::size_t i = 0; i < count; ++i) {
            const float v = in[i] * kScale;
            out[i] = std::isfinite(in[i]) ? clip(std::nearbyint(v)) : std::int16_t{0};
        }
        return;
    }
    constexpr double kUnit = 1.0 / 4294967296.0; // 2^-32
    for (std::size_t i = 0; i < count; ++i) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        const std::uint64_t draw = state_ * 0x2545F4914F6CDD1DULL;
        // The difference of two uniform numbers on [0, 1): triangular on (−1, 1).
        const double noise =
            (static_cast<double>(draw >> 32) - static_cast<double>(draw & 0xFFFFFFFFULL)) * kUnit;
        const float sample = std::isfinite(in[i]) ? in[i] : 0.0F;
        out[i] = clip(static_cast<float>(std::nearbyint(sample * 32768.0 + noise)));
    }
}

} // namespace sonarium
