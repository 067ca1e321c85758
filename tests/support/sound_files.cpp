// Integer samples go through the library's int and short calls, which store them without the
// scaling its double calls apply, so that a test knows every stored value exactly.
#include "sound_files.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <sndfile.h>

namespace sonarium::test {

namespace {

struct Closer {
    SNDFILE* file;
    ~Closer() {
        if (file != nullptr)
            sf_close(file);
    }
};

std::int64_t roundClipped(double value, double scale) {
    return static_cast<std::int64_t>(std::clamp(std::nearbyint(value * scale), -scale, scale - 1));
}

} // namespace

std::vector<double> writeSound(const std::string& path, int format, int rate, int channels,
                               const std::vector<double>& samples) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    if (sf_format_check(&info) == 0)
        return {};
    Closer file{sf_open(path.c_str(), SFM_WRITE, &info)};
    if (file.file == nullptr)
        return {};
    const auto frames =
        static_cast<sf_count_t>(samples.size() / static_cast<std::size_t>(channels));
    std::vector<double> stored(samples.size());
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_16: {
        // Eight bits keep the top byte of each short.
        const double scale = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 ? 32768 : 128;
        const double step = 32768 / scale;
        std::vector<short> values(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            values[i] =
                static_cast<short>(roundClipped(samples[i], scale) * static_cast<int>(step));
            stored[i] = values[i] / 32768.0;
        }
        if (sf_writef_short(file.file, values.data(), frames) != frames)
            return {};
        break;
    }
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32: {
        const bool wide = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_32;
        const double scale = wide ? 2147483648.0 : 8388608.0;
        std::vector<int> values(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const std::int64_t v = roundClipped(samples[i], scale);
            values[i] = static_cast<int>(wide ? v : v * 256);
            stored[i] = static_cast<double>(v) / scale;
        }
        if (sf_writef_int(file.file, values.data(), frames) != frames)
            return {};
        break;
    }
    case SF_FORMAT_FLOAT: {
        std::vector<float> values(samples.begin(), samples.end());
        std::copy(values.begin(), values.end(), stored.begin());
        if (sf_writef_float(file.file, values.data(), frames) != frames)
            return {};
        break;
    }
    default: // double, and the lossy codecs (what they hold is what they decode to)
        stored = samples;
        if (sf_writef_double(file.file, samples.data(), frames) != frames)
            return {};
        break;
    }
    return stored;
}

std::vector<double> readSound(const std::string& path, int* rate, int* channels,
                              std::int64_t* frames) {
    SF_INFO info{};
    Closer file{sf_open(path.c_str(), SFM_READ, &info)};
    if (file.file == nullptr)
        return {};
    std::vector<double> samples;
    std::vector<double> block(4096 * static_cast<std::size_t>(info.channels));
    sf_count_t got = 0;
    while ((got = sf_readf_double(file.file, block.data(), 4096)) > 0)
        samples.insert(samples.end(), block.begin(),
                       block.begin() + got * static_cast<sf_count_t>(info.channels));
    if (rate != nullptr)
        *rate = info.samplerate;
    if (channels != nullptr)
        *channels = info.channels;
    if (frames != nullptr)
        *frames =
            static_cast<std::int64_t>(samples.size() / static_cast<std::size_t>(info.channels));
    return samples;
}

bool canWriteSound(int format, int rate, int channels) {
    // The library's format check lets through rates its Opus and MPEG encoders then refuse, and
    // a refused MPEG encoder leaks its state: those rates are never tried.
    const auto oneOf = [rate](std::initializer_list<int> rates) {
        return std::find(rates.begin(), rates.end(), rate) != rates.end();
    };
    if ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS &&
        !oneOf({8000, 12000, 16000, 24000, 48000}))
        return false;
    if ((format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG &&
        !oneOf({8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}))
        return false;
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    return sf_format_check(&info) != 0;
}

std::vector<double> sine(std::size_t frames, int channels, int rate, double frequency,
                         double amplitude) {
    std::vector<double> samples;
    samples.reserve(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples.push_back(amplitude * std::sin(2 * std::numbers::pi * frequency *
                                                       static_cast<double>(i) / rate +
                                                   0.3 * c));
    return samples;
}

double amplitudeAt(const std::vector<double>& samples, int channels, int channel, int rate,
                   double frequency, std::size_t from, std::size_t frames) {
    double in = 0;
    double quadrature = 0;
    for (std::size_t i = from; i < from + frames; ++i) {
        const double phase = 2 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
        const double v =
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
        in += v * std::sin(phase);
        quadrature += v * std::cos(phase);
    }
    return 2 * std::hypot(in, quadrature) / static_cast<double>(frames);
}

} // namespace sonarium::test
