// The audio import decodes the source block by block through libsndfile and writes the working
// file through the system's own writer, which wants the result's length before the first value:
// that length is the source's frame count (counted by a first decoding pass where the container
// only estimates it), or its resampled length. A 16-bit (or narrower) source whose channels are
// only picked, at its own rate, goes through as 16-bit values untouched; everything else goes
// through 32-bit floats: channel weights, the resampler, then dither and rounding.
#include "jobs/resampler.h"
#include "operations/exchange/audio_exchange.h"
#include "operations/exchange/exchange_job.h"
#include "operations/exchange/sound_file.h"
#include "wavefile/wave_format.h"
#include "workspace/working_list.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <set>

namespace sonarium {

namespace {

// Frames decoded at a time: a few hundred kB whatever the channel count, so that memory stays
// bounded on any length.
constexpr sf_count_t kBlockFrames = 16384;

std::string seconds(std::int64_t frames, int rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", rate > 0 ? static_cast<double>(frames) / rate : 0.0);
    return text;
}

// How the source's channels become the result's: picked one by one (values copied), or weighed
// (each result channel a weighted sum of every source channel).
struct ChannelPlan {
    int channels = 1;           // the result's
    std::vector<int> picks;     // per result channel, the source channel it copies
    std::vector<float> weights; // otherwise: result channel r takes weights[r × in + c] of c

    bool picking() const { return !picks.empty(); }
};

// The stereo downmix of a file of more than two channels, which follow the wave files' default
// order: front left, front right, front centre, low frequency, back left, back right, side left,
// side right (three channels: L R C; four: L R BL BR; five: L R C BL BR; six: L R C LFE BL BR;
// seven: L R C LFE BC SL SR; eight: L R C LFE BL BR SL SR). Left takes front left at 1 and the
// centre, the left surrounds and a back centre at 0.7071 (−3 dB); right likewise; the low-frequency
// channel is left out. Channels past the eighth go alternately left and right at 0.7071. Each
// side's weights are then divided by their sum, so that the downmix never clips.
std::vector<float> stereoDownmix(int in) {
    constexpr float kSide = 0.70710678F;
    std::vector<float> left(static_cast<std::size_t>(in), 0.0F);
    std::vector<float> right(left);
    left[0] = 1;
    right[1] = 1;
    const auto both = [&](std::size_t c) { left[c] = right[c] = kSide; };
    const auto pair = [&](std::size_t l, std::size_t r) {
        left[l] = kSide;
        right[r] = kSide;
    };
    switch (std::min(in, 8)) {
    case 3:
        both(2);
        break;
    case 4:
        pair(2, 3);
        break;
    case 5:
        both(2);
        pair(3, 4);
        break;
    case 6:
        both(2);
        pair(4, 5);
        break;
    case 7:
        both(2);
        both(4);
        pair(5, 6);
        break;
    default: // eight and more
        both(2);
        pair(4, 5);
        pair(6, 7);
        break;
    }
    for (std::size_t c = 8; c < left.size(); ++c)
        (c % 2 == 0 ? left : right)[c] = kSide;
    const auto normalise = [](std::vector<float>& side) {
        float sum = 0;
        for (const float w : side)
            sum += w;
        for (float& w : side)
            w /= sum;
    };
    normalise(left);
    normalise(right);
    left.insert(left.end(), right.begin(), right.end());
    return left;
}

ChannelPlan planChannels(const ImportSettings& settings, int in) {
    ChannelPlan plan;
    switch (settings.channels) {
    case ImportChannels::Keep:
        if (in <= 2) {
            plan.channels = in;
            plan.picks = in == 1 ? std::vector<int>{0} : std::vector<int>{0, 1};
        } else {
            plan.channels = 2;
            plan.weights = stereoDownmix(in);
        }
        break;
    case ImportChannels::Mix:
        if (in == 1)
            plan.picks = {0};
        else
            plan.weights.assign(static_cast<std::size_t>(in), 1.0F / static_cast<float>(in));
        break;
    case ImportChannels::Left:
        plan.picks = {0};
        break;
    case ImportChannels::Right:
        plan.picks = {1};
        break;
    case ImportChannels::Pair:
        plan.channels = 2;
        plan.picks = {settings.first, settings.second};
        break;
    }
    return plan;
}

// Why the settings cannot be met on a file of `in` channels; empty when they can.
std::string settingsProblem(const ImportSettings& settings, const std::string& path, int in) {
    if (settings.rate != 0 && (settings.rate < kMinImportRate || settings.rate > kMaxImportRate))
        return "The import rate must be between " + std::to_string(kMinImportRate) + " and " +
               std::to_string(kMaxImportRate) + " Hz";
    const auto lacks = [&](int channel) {
        return "File " + path + "\nhas " + std::to_string(in) +
               (in == 1 ? " channel" : " channels") + ": it has no channel " +
               std::to_string(channel + 1);
    };
    if (settings.channels == ImportChannels::Right && in < 2)
        return lacks(1);
    if (settings.channels == ImportChannels::Pair) {
        for (const int channel : {settings.first, settings.second})
            if (channel < 0 || channel >= in)
                return lacks(channel);
    }
    return {};
}

std::string unreadableMessage(const std::string& path, const std::string& reason) {
    return "File " + path + "\ncannot be read as sound:\n" + reason;
}

std::string truncatedMessage(const std::string& path, const std::string& reason) {
    return "File " + path + "\nends before its last sample: it is truncated or damaged" +
           (reason.empty() ? std::string() : "\n(" + reason + ")");
}

// Decodes the whole file once to count its frames, with progress up to `span` percent. Nothing
// when the job stopped or the decoder failed (reported).
std::optional<std::int64_t> countFrames(JobContext& context, SoundFile& file, int span) {
    const SF_INFO& info = file.info();
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) *
                             static_cast<std::size_t>(info.channels));
    const std::int64_t estimate = std::max<std::int64_t>(info.frames, 1);
    std::int64_t frames = 0;
    while (continueJob(context)) {
        const sf_count_t got = sf_readf_float(file.handle(), block.data(), kBlockFrames);
        if (got <= 0)
            break;
        frames += got;
        context.progress.setProgress(
            static_cast<int>(std::min<std::int64_t>(span * frames / estimate, span)));
    }
    if (context.stopped())
        return std::nullopt;
    if (const std::string error = file.libraryError(); !error.empty()) {
        context.stop = JobStop::SourceChanged;
        context.reporter().report(truncatedMessage(context.input.source, error),
                                  MessageIcon::Error);
        return std::nullopt;
    }
    return frames;
}

// The decoding pass: the result's values block by block, written as they come.
class ImportPass {
public:
    ImportPass(JobContext& context, SoundFile& file, const ChannelPlan& plan, std::int64_t frames,
               std::int64_t outFrames, int outRate, const ImportSettings& settings)
        : context_(context), file_(file), plan_(plan), in_(file.info().channels), frames_(frames),
          outFrames_(outFrames),
          quantizer_(settings.dither &&
                         (isDeepEncoding(file.info().format) || outRate != file.info().samplerate),
                     settings.seed) {
        if (outRate != file.info().samplerate)
            resampler_ =
                std::make_unique<Resampler>(file.info().samplerate, outRate, plan.channels);
        exact_ = !resampler_ && plan.picking() && !isDeepEncoding(file.info().format);
    }

    // Why the pass cannot run (the resampler refused the rates); empty when it can.
    std::string problem() const {
        if (resampler_ && !resampler_->error().empty())
            return "The resampler cannot convert " + std::to_string(file_.info().samplerate) +
                   " Hz to the rate asked: " + resampler_->error();
        return {};
    }

    // Runs the pass with progress from base to 100; false when it stopped (and said why).
    bool run(sonIO& destination, int base, bool counted) {
        destination_ = &destination;
        const auto block = static_cast<std::int64_t>(
            resampler_ ? resampler_->inputFrames(static_cast<std::size_t>(kBlockFrames))
                       : static_cast<std::size_t>(kBlockFrames));
        std::int64_t read = 0;
        while (read < frames_ && continueJob(context_)) {
            const sf_count_t want = std::min<std::int64_t>(block, frames_ - read);
            const sf_count_t got = exact_ ? readExact(want) : readFloats(want);
            if (got < want) {
                sourceEnded(counted);
                return false;
            }
            read += got;
            context_.progress.setProgress(
                base + static_cast<int>((100 - base) * read / std::max<std::int64_t>(frames_, 1)));
        }
        if (context_.stopped())
            return false;
        // A counted file that now holds more than was counted changed between the passes.
        std::vector<float> frame(static_cast<std::size_t>(in_));
        if (counted && sf_readf_float(file_.handle(), frame.data(), 1) > 0) {
            reportChanged();
            return false;
        }
        if (resampler_) {
            resampler_->finish(resampled_);
            writeFloats(resampled_.data(),
                        resampled_.size() / static_cast<std::size_t>(plan_.channels));
        }
        // The resampler's output falls a few frames short of the length rule at most: silence.
        const std::vector<std::int16_t> silence(static_cast<std::size_t>(kBlockFrames) *
                                                static_cast<std::size_t>(plan_.channels));
        while (written_ < outFrames_ && !context_.stopped()) {
            const std::int64_t frames = std::min<std::int64_t>(kBlockFrames, outFrames_ - written_);
            writeFrames(silence.data(), frames);
        }
        return !context_.stopped();
    }

private:
    sf_count_t readExact(sf_count_t want) {
        const auto in = static_cast<std::size_t>(in_);
        const auto out = static_cast<std::size_t>(plan_.channels);
        shorts_.resize(static_cast<std::size_t>(want) * in);
        const sf_count_t got = sf_readf_short(file_.handle(), shorts_.data(), want);
        if (got <= 0)
            return 0;
        const auto frames = static_cast<std::size_t>(got);
        if (in == out && plan_.picks[0] == 0 && (out == 1 || plan_.picks[1] == 1)) {
            writeFrames(shorts_.data(), got);
            return got;
        }
        values_.resize(frames * out);
        for (std::size_t f = 0; f < frames; ++f)
            for (std::size_t r = 0; r < out; ++r)
                values_[f * out + r] = shorts_[f * in + static_cast<std::size_t>(plan_.picks[r])];
        writeFrames(values_.data(), got);
        return got;
    }

    sf_count_t readFloats(sf_count_t want) {
        const auto in = static_cast<std::size_t>(in_);
        const auto out = static_cast<std::size_t>(plan_.channels);
        floats_.resize(static_cast<std::size_t>(want) * in);
        const sf_count_t got = sf_readf_float(file_.handle(), floats_.data(), want);
        if (got <= 0)
            return 0;
        const auto frames = static_cast<std::size_t>(got);
        clearNonFinite(floats_.data(), frames * in);
        mapped_.resize(frames * out);
        if (plan_.picking()) {
            for (std::size_t f = 0; f < frames; ++f)
                for (std::size_t r = 0; r < out; ++r)
                    mapped_[f * out + r] =
                        floats_[f * in + static_cast<std::size_t>(plan_.picks[r])];
        } else {
            for (std::size_t f = 0; f < frames; ++f) {
                const float* frame = &floats_[f * in];
                for (std::size_t r = 0; r < out; ++r) {
                    const float* weight = &plan_.weights[r * in];
                    float sum = 0;
                    for (std::size_t c = 0; c < in; ++c)
                        sum += weight[c] * frame[c];
                    mapped_[f * out + r] = sum;
                }
            }
        }
        if (resampler_) {
            resampler_->process(mapped_.data(), frames, resampled_);
            writeFloats(resampled_.data(), resampled_.size() / out);
        } else {
            writeFloats(mapped_.data(), frames);
        }
        return got;
    }

    void writeFloats(const float* samples, std::size_t frames) {
        const std::size_t count = frames * static_cast<std::size_t>(plan_.channels);
        values_.resize(count);
        quantizer_.quantize(samples, values_.data(), count);
        writeFrames(values_.data(), static_cast<std::int64_t>(frames));
    }

    // Writes up to the result's length; what the resampler gives past it is dropped.
    void writeFrames(const std::int16_t* values, std::int64_t frames) {
        frames = std::min(frames, outFrames_ - written_);
        if (frames <= 0)
            return;
        writeValues(context_, *destination_, values,
                    static_cast<std::uint32_t>(frames * plan_.channels));
        written_ += frames;
    }

    void sourceEnded(bool counted) {
        if (context_.stopped())
            return;
        if (counted) {
            reportChanged();
            return;
        }
        context_.stop = JobStop::SourceChanged;
        context_.reporter().report(truncatedMessage(context_.input.source, file_.libraryError()),
                                   MessageIcon::Error);
    }

    void reportChanged() {
        context_.stop = JobStop::SourceChanged;
        context_.reporter().report(changedSourceMessage(context_.input.source), MessageIcon::Error);
    }

    JobContext& context_;
    SoundFile& file_;
    sonIO* destination_ = nullptr;
    const ChannelPlan& plan_;
    int in_;
    std::int64_t frames_;
    std::int64_t outFrames_;
    std::int64_t written_ = 0;
    bool exact_ = false;
    Quantizer quantizer_;
    std::unique_ptr<Resampler> resampler_;
    std::vector<std::int16_t> shorts_;
    std::vector<std::int16_t> values_;
    std::vector<float> floats_;
    std::vector<float> mapped_;
    std::vector<float> resampled_;
};

} // namespace

AudioFileInfo describeAudioFile(const std::string& path) {
    AudioFileInfo info;
    SoundFile file;
    if (!file.openRead(path)) {
        info.error = file.error();
        return info;
    }
    const SF_INFO& sf = file.info();
    info.readable = true;
    info.container = containerName(sf.format);
    info.encoding = encodingName(sf.format);
    info.channels = sf.channels;
    info.rate = sf.samplerate;
    info.frames = sf.frames;
    file.close();
    if ((sf.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16 && sf.channels <= 2 &&
        info.container == "WAV") {
        // The system's own reader has the last word: it is the one every operation opens.
        SilentReporter quiet;
        const WaveContext wave{quiet, "", {}};
        const sonIO reader(wave, path);
        info.workingFile = reader.IsOpen() && reader.bitsPerSample == 16 && reader.channels <= 2;
    }
    return info;
}

std::string audioFileSummary(const AudioFileInfo& info) {
    if (!info.readable)
        return info.error;
    std::string format;
    if (info.container == "Ogg")
        format = "Ogg " + info.encoding;
    else if (info.container == "MPEG")
        format = info.encoding;
    else
        format = info.encoding + " " + info.container;
    return format + ", " + std::to_string(info.rate) + " Hz, " + std::to_string(info.channels) +
           (info.channels == 1 ? " channel, " : " channels, ") + seconds(info.frames, info.rate);
}

std::vector<std::string> readableAudioExtensions() {
    std::set<std::string> extensions;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) != 0 ||
            info.extension == nullptr)
            continue;
        // Headerless raw data needs its layout stated: Import raw data does that.
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_RAW)
            continue;
        std::string extension = info.extension;
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        extensions.insert(extension);
        // The other names the same containers go by.
        const int container = info.format & SF_FORMAT_TYPEMASK;
        if (container == SF_FORMAT_OGG)
            extensions.insert({"ogg", "oga", "opus"});
        else if (container == SF_FORMAT_AIFF)
            extensions.insert({"aif", "aiff", "aifc"});
        else if (container == SF_FORMAT_MPEG)
            extensions.insert({"mp3", "mp2", "mp1"});
        else if (container == SF_FORMAT_WAV)
            extensions.insert("wave");
    }
    return {extensions.begin(), extensions.end()};
}

std::string audioImportPath(const std::string& source, const std::string& outputDir) {
    std::string name = source.substr(directoryPart(source).size());
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return outputDir + name + "_16bit.wav";
}

JobOutcome importAudio(JobContext& context, const ImportSettings& settings) {
    const std::string& path = context.input.source;
    SoundFile file;
    if (!file.openRead(path)) {
        context.reporter().report(unreadableMessage(path, file.error()), MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    const int in = file.info().channels;
    const int sourceRate = file.info().samplerate;
    if (const std::string problem = settingsProblem(settings, path, in); !problem.empty()) {
        context.reporter().report(problem, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    // Where the container only estimates its length, a first pass counts the frames and the
    // second one decodes a file opened anew.
    std::int64_t frames = file.info().frames;
    // The library gives the largest count for a stream it cannot measure: counted as well.
    const bool counted = hasEstimatedLength(file.info().format) || frames >= SF_COUNT_MAX / 2;
    constexpr int kCountSpan = 40;
    if (counted) {
        const auto count = countFrames(context, file, kCountSpan);
        if (!count)
            return stoppedOutcome(context);
        frames = *count;
        if (!file.openRead(path)) {
            context.stop = JobStop::SourceChanged;
            context.reporter().report(unreadableMessage(path, file.error()), MessageIcon::Error);
            return JobOutcome::EndedWithMessage;
        }
    }
    if (frames <= 0) {
        context.reporter().report(noSamplesMessage(path), MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    const ChannelPlan plan = planChannels(settings, in);
    const int outRate = settings.rate != 0 ? settings.rate : sourceRate;
    const std::int64_t outFrames =
        outRate == sourceRate ? frames : resampledLength(frames, sourceRate, outRate);
    ImportPass pass(context, file, plan, frames, outFrames, outRate, settings);
    if (const std::string problem = pass.problem(); !problem.empty()) {
        context.reporter().report(problem, MessageIcon::Error);
        return JobOutcome::EndedWithMessage;
    }
    if (!claimDestination(context))
        return JobOutcome::EndedWithMessage;
    auto destination = createJobDestination(context, {.channels = plan.channels, .rate = outRate},
                                            outFrames * plan.channels);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    pass.run(*destination, counted ? kCountSpan : 0, counted);
    file.close();
    return finishJob(context, *destination);
}

} // namespace sonarium
