// Streaming sample rate conversion (libsoxr at its very high quality), and the rule that brings
// floating-point samples to 16-bit values (TPDF dither, rounding, clipping). The audio import and
// Sampling Rate Conversion share both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sonarium {

// The length of a resampled stream: frames × outRate / inRate, rounded to the nearest frame
// (halves up). The resampler's own output is padded with silence or cut to this length.
std::int64_t resampledLength(std::int64_t frames, int inRate, int outRate);

// Converts interleaved 32-bit float frames from one rate to another, block by block, with the
// filter's delay taken out: the output starts at the input's first instant. Each instance is one
// stream; its memory does not grow with the stream's length.
class Resampler {
public:
    Resampler(int inRate, int outRate, int channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Empty when the converter is ready; the library's reason otherwise.
    const std::string& error() const { return error_; }
    int channels() const { return channels_; }

    // How many frames to feed at a time for about `outputFrames` frames out (at least one): a
    // large ratio makes a few input frames give many output frames.
    std::size_t inputFrames(std::size_t outputFrames) const;

    // Feeds `frames` frames and replaces out's contents with the frames that come out of them
    // (fewer or more than went in, none at the start while the filter fills).
    void process(const float* in, std::size_t frames, std::vector<float>& out);
    // Ends the stream: out receives the frames still inside the filter.
    void finish(std::vector<float>& out);

private:
    void run(const float* in, std::size_t frames, std::vector<float>& out);

    struct State;
    std::unique_ptr<State> state_;
    std::string error_;
    int channels_ = 1;
    double ratio_ = 1;
};

// Brings samples of full scale ±1 to 16-bit values: × 32768, rounded to the nearest value and
// clipped to −32768..32767; NaN and infinities give 0. With dither, triangular (TPDF) noise of
// ±1 value is added before rounding, drawn from a generator seeded once, so that the same seed
// and the same samples always give the same values. A block whose every sample already lies on
// a 16-bit value (a 16-bit recording in a wider file, digital silence) is taken as it is, without
// dither, so that such a file comes back value for value.
class Quantizer {
public:
    Quantizer(bool dither, std::uint32_t seed);
    void quantize(const float* in, std::int16_t* out, std::size_t count);

private:
    bool dither_;
    std::uint64_t state_;
};

// Replaces NaN and infinities by 0, so that one bad sample cannot spread through a filter.
void clearNonFinite(float* samples, std::size_t count);

} // namespace sonarium
