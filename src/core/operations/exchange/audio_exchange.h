// Audio files of any format the machine's sound file library reads, in and out of the working
// files (16-bit wave): the import that brings a recording to 16 bits (with dither where it held
// more), the export that writes a working file as FLAC, Ogg, Opus, 24-bit or float wave or AIFF.
// Both stream in blocks and leave a complete result or none.
#pragma once

#include "jobs/block_job.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

// What a file holds, as the sound file library reads it.
struct AudioFileInfo {
    bool readable = false; // false: the library cannot read it (error says why)
    std::string error;     // the library's reason when it is not readable
    std::string container; // "WAV", "FLAC", "Ogg", "AIFF", ...
    std::string encoding;  // "24-bit PCM", "32-bit float", "Vorbis", ...
    int channels = 0;
    int rate = 0;
    std::int64_t frames = 0;
    // True when the file is already a working file: a 16-bit PCM wave file of one or two
    // channels, which every operation reads as it is.
    bool workingFile = false;
};

// Reads the file's format without decoding its samples.
AudioFileInfo describeAudioFile(const std::string& path);

// "24-bit PCM WAV, 48000 Hz, 2 channels, 3.000 s": what the file holds, for messages.
std::string audioFileSummary(const AudioFileInfo& info);

// The file name extensions the machine's library reads ("wav", "flac", "ogg", ...), lower case,
// for the Open and Import dialogs' filters.
std::vector<std::string> readableAudioExtensions();

// How the import reduces the channels.
enum class ImportChannels {
    Keep,  // one or two channels as they are; more: the stereo downmix (see importAudio)
    Mix,   // mono: the average of every channel
    Left,  // the first channel alone
    Right, // the second channel alone
    Pair,  // two channels chosen by number: `first` and `second` (0-based)
};

// The rates the import resamples to (ImportSettings::rate other than 0).
inline constexpr int kMinImportRate = 1000;
inline constexpr int kMaxImportRate = 384000;

struct ImportSettings {
    int rate = 0; // 0: the file's own rate; otherwise resampled to this rate
    ImportChannels channels = ImportChannels::Keep;
    int first = 0;
    int second = 1;
    bool dither = true; // TPDF dither for sources above 16 bits and float; false: round
    std::uint32_t seed = 1;
};

// The import's result name: outputDir followed by the source's file name with its extension
// replaced by "_16bit.wav" ("take.flac" -> "take_16bit.wav").
std::string audioImportPath(const std::string& source, const std::string& outputDir);

// Imports context.input.source into a 16-bit wave working file at the context's destination.
// Sources above 16 bits and float reach 16 bits with seeded TPDF dither (the same seed, the same
// result); 16-bit sources are copied value for value; NaN and infinities become 0; values past
// full scale clip. A source the library cannot read, a truncated one, or settings it cannot meet
// (a channel it does not have) end with a message and no file.
JobOutcome importAudio(JobContext& context, const ImportSettings& settings);

enum class ExportFormat { Flac, Ogg, Opus, Wav24, WavFloat, Aiff };

struct ExportSettings {
    ExportFormat format = ExportFormat::Flac;
    // 0..1, the library's compression level (FLAC) or quality (Ogg, Opus); none: its default.
    std::optional<double> quality;
};

// The format's command-line word ("flac", "ogg", "opus", "wav24", "wavfloat", "aiff"), its file
// name extension ("flac", "ogg", "opus", "wav", "wav", "aiff") and its name in dialogs.
std::string exportFormatWord(ExportFormat format);
std::string exportFormatExtension(ExportFormat format);
std::string exportFormatName(ExportFormat format);
std::optional<ExportFormat> exportFormatOfWord(const std::string& word);

// The rate the export writes for a working file at `rate`: its own, except for Opus, which takes
// only 48000, 24000, 16000, 12000 and 8000 Hz: a file at any other rate is resampled to 48000 Hz.
int exportRate(ExportFormat format, int rate);

// Writes the working file context.input.source in the given format at the context's
// destination, staged: the file appears under its name only once complete. The result is not a
// working file and is never opened as a document, whatever context.result asks. A quality outside
// 0..1 is refused; the formats without one (wav24, wavfloat, aiff) ignore it.
JobOutcome exportAudio(JobContext& context, const ExportSettings& settings);

} // namespace sonarium
