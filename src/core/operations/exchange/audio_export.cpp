// The audio export reads the working file through the system's reader and hands its values to
// libsndfile, which writes the chosen format into a staged file: a temporary file beside the
// target, renamed onto it once the library has closed it without an error. Opus takes only a
// few rates: a working file at any other rate is resampled to 48000 Hz on the way.
#include "jobs/resampler.h"
#include "operations/exchange/audio_exchange.h"
#include "operations/exchange/exchange_job.h"
#include "operations/exchange/sound_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace sonarium {

namespace {

// Frames handed to the library at a time.
constexpr std::size_t kBlockFrames = 32768;

struct FormatRow {
    ExportFormat format;
    const char* word;
    const char* extension;
    const char* name;
    int library; // the library's major format | encoding
};

constexpr std::array<FormatRow, 6> kFormats = {{
    {ExportFormat::Flac, "flac", "flac", "FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {ExportFormat::Ogg, "ogg", "ogg", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {ExportFormat::Opus, "opus", "opus", "Ogg Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    {ExportFormat::Wav24, "wav24", "wav", "24-bit WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_24},
    {ExportFormat::WavFloat, "wavfloat", "wav", "32-bit float WAV",
     SF_FORMAT_WAV | SF_FORMAT_FLOAT},
    {ExportFormat::Aiff, "aiff", "aiff", "AIFF", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
}};

const FormatRow& rowOf(ExportFormat format) {
    for (const FormatRow& row : kFormats)
        if (row.format == format)
            return row;
    return kFormats[0];
}

// The rates an Opus stream may declare; the encoder refuses any other.
bool isOpusRate(int rate) {
    return rate == 48000 || rate == 24000 || rate == 16000 || rate == 12000 || rate == 8000;
}
constexpr int kOpusRate = 48000;

// The job's side of the export: the staged file, the library's writer on it, and what stopped.
class ExportWriter {
public:
    ExportWriter(JobContext& context, std::string path)
        : context_(context), path_(std::move(path)) {}

    bool open(const SF_INFO& info, const ExportSettings& settings) {
        if (context_.wave.writtenBytes != nullptr) {
            staged_.createInMemory(*context_.wave.writtenBytes);
        } else if (!staged_.create(path_, context_.wave.nameTaken)) {
            context_.reporter().report(
                staged_.readOnly() ? "File " + path_ + " is read-only"
                                   : "File " + path_ + "\ncannot be created\n" + staged_.error(),
                MessageIcon::Error);
            return false;
        }
        if (!sound_.openWrite(staged_.file(), info)) {
            report(sound_.writeErrno() != 0 ? std::strerror(sound_.writeErrno()) : sound_.error());
            return false;
        }
        if (settings.quality) {
            double quality = *settings.quality;
            const int container = info.format & SF_FORMAT_TYPEMASK;
            if (container == SF_FORMAT_FLAC)
                sf_command(sound_.handle(), SFC_SET_COMPRESSION_LEVEL, &quality, sizeof quality);
            else if (container == SF_FORMAT_OGG)
                sf_command(sound_.handle(), SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
        }
        return true;
    }

    void writeShorts(const std::int16_t* values, std::size_t frames) {
        const auto count = static_cast<sf_count_t>(frames);
        if (!context_.stopped() && sf_writef_short(sound_.handle(), values, count) != count)
            failed();
    }

    void writeFloats(const float* samples, std::size_t frames) {
        const auto count = static_cast<sf_count_t>(frames);
        if (!context_.stopped() && sf_writef_float(sound_.handle(), samples, count) != count)
            failed();
    }

    // Closes the library's side and gives the staged file its name; a stopped job's file is
    // removed instead.
    JobOutcome finish() {
        const bool closed = sound_.close();
        if (!context_.stopped() && (!closed || sound_.writeErrno() != 0))
            failed();
        if (context_.stopped()) {
            staged_.discard();
            return stoppedOutcome(context_);
        }
        if (!staged_.commit()) {
            report(staged_.error());
            ++context_.writeFailures;
            context_.stop = JobStop::WriteFailed;
            return JobOutcome::EndedWithMessage;
        }
        return JobOutcome::Completed;
    }

private:
    void failed() {
        if (context_.stopped())
            return;
        ++context_.writeFailures;
        context_.stop = JobStop::WriteFailed;
        std::string reason =
            sound_.writeErrno() != 0 ? std::strerror(sound_.writeErrno()) : sound_.libraryError();
        if (reason.empty())
            reason = sound_.error();
        report(reason);
    }

    void report(const std::string& reason) {
        context_.reporter().report(
            std::string(kWriteErrorText) + "\n\nFile " + path_ + "\n" + reason, MessageIcon::Error);
    }

    JobContext& context_;
    std::string path_;
    StagedFile staged_;
    SoundFile sound_;
};

} // namespace

std::string exportFormatWord(ExportFormat format) {
    return rowOf(format).word;
}

std::string exportFormatExtension(ExportFormat format) {
    return rowOf(format).extension;
}

std::string exportFormatName(ExportFormat format) {
    return rowOf(format).name;
}

std::optional<ExportFormat> exportFormatOfWord(const std::string& word) {
    for (const FormatRow& row : kFormats)
        if (word == row.word)
            return row.format;
    return std::nullopt;
}

int exportRate(ExportFormat format, int rate) {
    return format == ExportFormat::Opus && !isOpusRate(rate) ? kOpusRate : rate;
}

JobOutcome exportAudio(JobContext& context, const ExportSettings& settings) {
    if (settings.quality && !(*settings.quality >= 0 && *settings.quality <= 1)) {
        context.reporter().report("The quality must be between 0 and 1", MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (!claimDestination(context))
        return JobOutcome::EndedWithMessage;
    auto source = openJobSource(context, context.input.source);
    if (!source)
        return JobOutcome::EndedWithMessage;
    const FormatRow& row = rowOf(settings.format);
    const int channels = source->channels;
    const int rate = source->sampleRate;
    const int outRate = exportRate(settings.format, rate);
    SF_INFO info{};
    info.samplerate = outRate;
    info.channels = channels;
    info.format = row.library;
    if (sf_format_check(&info) == 0) {
        context.reporter().report(std::string(row.name) + " cannot hold " +
                                      std::to_string(channels) + " channels at " +
                                      std::to_string(outRate) + " Hz",
                                  MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    std::unique_ptr<Resampler> resampler;
    if (outRate != rate) {
        resampler = std::make_unique<Resampler>(rate, outRate, channels);
        if (!resampler->error().empty()) {
            context.reporter().report("The resampler cannot convert " + std::to_string(rate) +
                                          " Hz: " + resampler->error(),
                                      MessageIcon::Error);
            return JobOutcome::EndedWithMessage;
        }
    }
    const std::string path = context.destination ? context.destination() : std::string();
    if (path.empty())
        return JobOutcome::EndedWithMessage; // no name was left: the namer has said so
    ExportWriter writer(context, path);
    if (!writer.open(info, settings))
        return JobOutcome::EndedWithMessage;

    const auto width = static_cast<std::size_t>(channels);
    // A stereo file's odd last value has no partner: whole frames only.
    const std::size_t frames = valueCount(*source) / width;
    const std::int64_t outFrames =
        resampler ? resampledLength(static_cast<std::int64_t>(frames), rate, outRate)
                  : static_cast<std::int64_t>(frames);
    // The integer encodings take the values as they are.
    const int encoding = row.library & SF_FORMAT_SUBMASK;
    const bool floatInput = encoding != SF_FORMAT_PCM_16 && encoding != SF_FORMAT_PCM_24;
    std::vector<std::int16_t> values(kBlockFrames * width);
    std::vector<float> samples;
    std::vector<float> resampled;
    std::int64_t written = 0;
    // The resampled frames, up to the length rule.
    const auto writeResampled = [&] {
        const std::int64_t take = std::min<std::int64_t>(
            static_cast<std::int64_t>(resampled.size() / width), outFrames - written);
        if (take > 0)
            writer.writeFloats(resampled.data(), static_cast<std::size_t>(take));
        written += std::max<std::int64_t>(take, 0);
    };
    // Opus's rates lie within a ratio of 6 of any other, but a file may declare any rate.
    const std::size_t block = resampler ? resampler->inputFrames(kBlockFrames) : kBlockFrames;
    for (std::size_t done = 0; done < frames && continueJob(context);) {
        const std::size_t count = std::min(block, frames - done);
        readValues(context, *source, values.data(), static_cast<std::uint32_t>(count * width));
        if (context.stopped())
            break;
        if (resampler || floatInput) {
            // Full scale is 32768 either way: float files and the lossy encoders take the
            // values as samples of ±1.
            samples.resize(count * width);
            for (std::size_t i = 0; i < samples.size(); ++i)
                samples[i] = static_cast<float>(values[i]) / 32768.0F;
            if (resampler) {
                resampler->process(samples.data(), count, resampled);
                writeResampled();
            } else {
                writer.writeFloats(samples.data(), count);
            }
        } else {
            writer.writeShorts(values.data(), count);
        }
        done += count;
        context.progress.setProgress(static_cast<int>(100 * done / frames));
    }
    if (resampler && !context.stopped()) {
        resampler->finish(resampled);
        writeResampled();
        const std::vector<float> silence(kBlockFrames * width);
        while (written < outFrames && !context.stopped()) {
            const std::int64_t take = std::min<std::int64_t>(
                static_cast<std::int64_t>(kBlockFrames), outFrames - written);
            writer.writeFloats(silence.data(), static_cast<std::size_t>(take));
            written += take;
        }
    }
    source->CloseRead();
    return writer.finish();
}

} // namespace sonarium
