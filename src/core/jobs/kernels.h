// What an operation hands the framework once it has decoded its settings: a kernel of one of a
// few kinds. The framework opens the Source and the Aux by the operation's rules, creates the
// results, runs the kernel over blocks with progress and cancel, and finishes the results or
// leaves nothing; the kernel only computes.
#pragma once

#include "jobs/block_job.h"
#include "jobs/block_pipeline.h"
#include "jobs/generator_job.h"
#include "jobs/value_stream.h"

#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace sonarium {

inline constexpr const char* kInvalidAuxText =
    "Invalid auxiliary file\n\nThis interaction cannot be performed\n without an "
    "auxiliary\ndifferent from the source file.\n\nSelect, add, open or synthesize \nanother "
    "soundfile before. ";

// What a two-file operation does when the Aux is the Source's own file (or no Aux is given).
enum class AuxRule {
    Distinct,    // refuses with "Invalid auxiliary file" before anything is opened
    SourceAlone, // opens the Source only: the kernel sees no Aux and works on the one file
};

// How the framework opens the files an operation reads, before anything is created.
struct SourceRules {
    // false: the framework opens nothing and the kernel reads the Source's path itself (a report
    // on any file, a wave file or not, or a file that is missing).
    bool open = true;
    SampleAccess access = SampleAccess::Values16;
    EmptySource empty = EmptySource::Refuse;
    // Treats both channels as one stream: a stereo Source is accepted only after the warning.
    StereoWarning stereo = StereoWarning::None;
    // The Source must hold this many channels (0: any), refused with `channelsText` otherwise.
    int channels = 0;
    const char* channelsText = nullptr;
    AuxRule aux = AuxRule::Distinct;
    // When no Aux is given at all, refuses with this text (a warning) before anything is opened;
    // nullptr: the AuxRule decides as it does for an Aux that is the Source.
    const char* noAuxText = nullptr;
    SampleAccess auxAccess = SampleAccess::Values16;
    EmptySource auxEmpty = EmptySource::Refuse;
};

// out[i] = combine(source[i], aux[i]) for count values; out may be the source block itself. It
// keeps no state: blocks are combined at once on every core.
using PairKernel = std::function<void(std::int16_t* out, const std::int16_t* source,
                                      const std::int16_t* aux, std::uint32_t count)>;

// Changes block j of the split in place, from any thread, other blocks at the same time: it must
// keep no state.
using PureTransform =
    std::function<void(std::int16_t* block, std::uint32_t count, std::uint32_t j)>;

// A same-length transform: every value of the Source goes through the transform once, block by
// block in file order, and the result has the Source's length and channel layout. `start` is
// called once the Source is open and gives the transform for that file; state it keeps (per
// channel, say) lives across blocks.
struct TransformKernel {
    std::function<BlockTransform(const sonIO& source)> start;
    // Instead of `start`, for a transform that keeps no state: block j's values depend only on
    // themselves and on j, so blocks are computed at once on every core.
    std::function<PureTransform(const sonIO& source)> startPure;
    MessageIcon writeIcon = MessageIcon::None;
};

// The values per second of a file's frames (44100 for a header that gives none): the rate at
// which its time and frequency settings are counted.
inline double rateOf(const sonIO& file) {
    return file.sampleRate > 0 ? file.sampleRate : 44100.0;
}
// Half of it, where a formula divides by the Nyquist frequency (22050 at 44100 Hz, exactly).
inline double halfRateOf(const sonIO& file) {
    return rateOf(file) / 2.0;
}

// A paired two-file kernel: the values of the Source and the Aux as they lie, as many as the
// shorter file holds, combined block by block into a result of the Source's channel count.
struct PairedKernel {
    PairKernel combine;
    MessageIcon writeIcon = MessageIcon::None;
    // Asks before pairing files of different channel counts.
    bool warnOnChannelMismatch = false;
};

// A generator: a mono result of `total` values made from the settings alone.
struct GeneratorKernel {
    std::uint32_t total = 0;
    // Parallel when `generate` keeps no state (a value depends on its position alone): blocks are
    // then generated at once on every core.
    ComputeOrder order = ComputeOrder::InOrder;
    ProgressTiming timing = ProgressTiming::BeforeWrite;
    MessageIcon writeIcon = MessageIcon::None;
    BlockGenerator generate;
};

class JobFiles;

// A function handed the open files: for the jobs whose shape none of the kinds above has (a
// result whose length only a first pass tells, two results, a report). It creates its results
// through JobFiles and returns how it ended; the framework closes the sources and finishes the
// results (or abandons them when the job stopped or did not complete).
struct FilesKernel {
    std::function<JobOutcome(JobFiles& files)> run;
};

// Settings that can give no result (a formula the operation does not know, a step that could
// never bring the values into range): the framework tells the user why before any file is
// opened, and the job ends there with nothing written.
struct Refusal {
    std::string text;
    MessageIcon icon = MessageIcon::Warning;
};

using Kernel = std::variant<TransformKernel, PairedKernel, GeneratorKernel, FilesKernel, Refusal>;

// The files of a running job: the sources the framework opened and the results the job
// creates. Sources close and unfinished results are abandoned when the object goes.
class JobFiles {
public:
    explicit JobFiles(JobContext& context) : context_(context) {}
    JobFiles(const JobFiles&) = delete;
    JobFiles& operator=(const JobFiles&) = delete;

    JobContext& context() const { return context_; }
    Reporter& reporter() const { return context_.reporter(); }
    sonIO& source() const { return *source_; }
    sonIO& aux() const { return *aux_; }
    bool hasSource() const { return source_ != nullptr; }
    bool hasAux() const { return aux_ != nullptr; }

    // Creates the next result; nothing when it could not be created (the user was told why).
    sonIO* create(const ResultFormat& format, std::int64_t values);
    // Opens the Source again for a second pass over the `values` counted in the first; false
    // when it cannot be read any more or changed meanwhile (the job is stopped and told why).
    bool reopenSource(std::uint32_t values);
    // A second reader of the Source beside the first, for a job that reads a stretch again while
    // its pass goes on; it closes with the sources. Nothing when the Source cannot be read any
    // more or no longer holds the `values` counted (the job is stopped and told why).
    sonIO* openSourceAgain(std::uint32_t values);
    // Closes a source once the job has read all it needs of it, so that a truncation found later
    // no longer counts (the sources close by themselves at the end of the job otherwise).
    void closeSource();
    void closeAux();

    // Opening, used by the framework.
    void setSource(std::unique_ptr<sonIO> source) { source_ = std::move(source); }
    void setAux(std::unique_ptr<sonIO> aux) { aux_ = std::move(aux); }
    // Closes the sources, then finishes every result in the order they were created when the job
    // completed and did not stop, or abandons them all.
    JobOutcome finish(JobOutcome outcome);

private:
    JobContext& context_;
    std::unique_ptr<sonIO> source_;
    std::unique_ptr<sonIO> aux_;
    std::vector<std::unique_ptr<sonIO>> sourceAgain_;
    std::vector<std::unique_ptr<sonIO>> results_;
};

// True when the Aux names the Source's own file on disk, however the two paths are spelled
// (another relative form, a link), or when no Aux is given: the Aux selector then shows the
// Source.
bool auxIsSource(const JobInput& input);

// The warning asked before two files of different rates are paired: the Aux's values are taken
// as they lie, at the Source's rate.
std::string auxRateWarning(const sonIO& source, const sonIO& aux);

// Runs a kernel on the context's input, opening the files by the rules: the whole road of a
// job from its settings to its finished result. sourceCount: the files the operation reads.
JobOutcome runKernel(JobContext& context, const Kernel& kernel, int sourceCount,
                     const SourceRules& rules);

// The kinds' loops, for a FilesKernel that picks one once it sees its files (the Aux turned out
// to be the Source, say). Each creates its result through files.
// Every value of the Source through transform, into a result of its length and layout.
JobOutcome transformSource(JobFiles& files, MessageIcon writeIcon, const BlockTransform& transform);
// The same for a transform that keeps no state, computed on every core.
JobOutcome transformSourcePure(JobFiles& files, MessageIcon writeIcon,
                               const PureTransform& transform);
// The Source and the Aux paired value by value into a result of `channels` channels.
JobOutcome pairSources(JobFiles& files, int channels, MessageIcon writeIcon,
                       const PairKernel& combine);
// A mono result of generated values.
JobOutcome generate(JobFiles& files, const GeneratorKernel& generator);

} // namespace sonarium
