// The framework's side of a job: opening by the rules, the loops of each kernel kind, and the
// end of every result.
#include "jobs/kernels.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace sonarium {

bool auxIsSource(const JobInput& input) {
    if (input.aux.empty() || input.aux == input.source)
        return true;
    std::error_code error;
    return std::filesystem::equivalent(input.source, input.aux, error);
}

sonIO* JobFiles::create(const ResultFormat& format, std::int64_t values) {
    // A result made from a Source plays at the Source's speed: its header carries the Source's
    // rate unless the operation sets one (a result made from settings alone has 44100 Hz).
    ResultFormat withRate = format;
    if (withRate.rate == 0 && source_ && source_->sampleRate > 0)
        withRate.rate = source_->sampleRate;
    auto result = createJobDestination(context_, withRate, values);
    if (!result)
        return nullptr;
    results_.push_back(std::move(result));
    return results_.back().get();
}

bool JobFiles::reopenSource(std::uint32_t values) {
    const std::string path = source_ ? source_->Path() : context_.input.source;
    closeSource();
    source_ = reopenJobSource(context_, path, values);
    if (!source_ && !context_.stopped())
        context_.stop = JobStop::SourceChanged; // the reader has said why
    return source_ != nullptr;
}

sonIO* JobFiles::openSourceAgain(std::uint32_t values) {
    auto reader = reopenJobSource(context_, context_.input.source, values);
    if (!reader) {
        if (!context_.stopped())
            context_.stop = JobStop::SourceChanged; // the reader has said why
        return nullptr;
    }
    sourceAgain_.push_back(std::move(reader));
    return sourceAgain_.back().get();
}

void JobFiles::closeSource() {
    if (source_)
        source_->CloseRead();
    for (auto& reader : sourceAgain_)
        reader->CloseRead();
}

void JobFiles::closeAux() {
    if (aux_)
        aux_->CloseRead();
}

JobOutcome JobFiles::finish(JobOutcome outcome) {
    // A source cut short after its last read was still read in full: only a truncation seen by
    // a read counts.
    closeAux();
    closeSource();
    if (context_.stopped())
        outcome = stoppedOutcome(context_);
    if (outcome != JobOutcome::Completed) {
        for (auto& result : results_)
            result->Abandon();
        return outcome;
    }
    for (auto& result : results_)
        outcome = finishJob(context_, *result);
    return results_.empty() ? JobOutcome::Completed : outcome;
}

std::string auxRateWarning(const sonIO& source, const sonIO& aux) {
    return "The auxiliary file plays at " + std::to_string(aux.sampleRate) +
           " Hz,\nthe source file at " + std::to_string(source.sampleRate) +
           " Hz.\n\nThe auxiliary's values will be taken\none for one, at the source's rate.";
}

namespace {

// Opens the files the operation reads; false when the job ends here (the user was told why, or
// declined a warning: `outcome` says which).
bool openSources(JobFiles& files, int sourceCount, const SourceRules& rules, JobOutcome& outcome) {
    JobContext& context = files.context();
    outcome = JobOutcome::EndedWithMessage;
    if (sourceCount == 0 || !rules.open)
        return true;
    if (sourceCount == 2 && rules.noAuxText != nullptr && context.input.aux.empty()) {
        context.reporter().report(rules.noAuxText, MessageIcon::Warning);
        return false;
    }
    const bool withAux = sourceCount == 2 && !auxIsSource(context.input);
    if (sourceCount == 2 && !withAux && rules.aux == AuxRule::Distinct) {
        context.reporter().report(kInvalidAuxText, MessageIcon::Warning);
        return false;
    }
    auto source = openJobSource(context, context.input.source, rules.access, rules.empty);
    if (!source)
        return false;
    if (rules.channels != 0 && source->channels != rules.channels) {
        context.reporter().report(rules.channelsText, MessageIcon::Warning);
        return false;
    }
    if (rules.stereo == StereoWarning::Ask && !acceptStereo(context, *source)) {
        outcome = JobOutcome::Cancelled;
        return false;
    }
    files.setSource(std::move(source));
    if (withAux) {
        auto aux = openJobSource(context, context.input.aux, rules.auxAccess, rules.auxEmpty);
        if (!aux)
            return false;
        if (aux->sampleRate != files.source().sampleRate &&
            context.reporter().report(auxRateWarning(files.source(), *aux), MessageIcon::Warning,
                                      MessageButtons::OkCancel) != Answer::Ok) {
            outcome = JobOutcome::Cancelled;
            return false;
        }
        files.setAux(std::move(aux));
    }
    return true;
}

} // namespace

JobOutcome transformSource(JobFiles& files, MessageIcon writeIcon,
                           const BlockTransform& transform) {
    sonIO& source = files.source();
    const std::uint32_t total = valueCount(source);
    sonIO* destination = files.create({.channels = source.channels}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    transformBlocks(files.context(), source, *destination, BlockSplit::of(total), {}, writeIcon,
                    transform);
    return JobOutcome::Completed;
}

JobOutcome transformSourcePure(JobFiles& files, MessageIcon writeIcon,
                               const PureTransform& transform) {
    sonIO& source = files.source();
    const std::uint32_t total = valueCount(source);
    sonIO* destination = files.create({.channels = source.channels}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    runBlockPass(
        files.context(),
        {.source = &source,
         .destination = destination,
         .split = BlockSplit::of(total),
         .order = ComputeOrder::Parallel,
         .compute = [&transform](std::int16_t* values, const std::int16_t*, std::uint32_t count,
                                 std::uint32_t j) { transform(values, count, j); },
         .writeIcon = writeIcon});
    return JobOutcome::Completed;
}

JobOutcome pairSources(JobFiles& files, int channels, MessageIcon writeIcon,
                       const PairKernel& combine) {
    const std::uint32_t total = std::min(valueCount(files.source()), valueCount(files.aux()));
    sonIO* destination = files.create({.channels = channels}, total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    runBlockPass(
        files.context(),
        {.source = &files.source(),
         .aux = &files.aux(),
         .destination = destination,
         .split = BlockSplit::of(total),
         .order = ComputeOrder::Parallel,
         .compute = [&combine](std::int16_t* values, const std::int16_t* aux, std::uint32_t count,
                               std::uint32_t) { combine(values, values, aux, count); },
         .writeIcon = writeIcon,
         .writeEachBlock = true});
    return JobOutcome::Completed;
}

JobOutcome generate(JobFiles& files, const GeneratorKernel& generator) {
    JobContext& context = files.context();
    if (generator.total == 0) {
        context.reporter().report(kEmptyOutputText, MessageIcon::None);
        return JobOutcome::EndedWithMessage;
    }
    sonIO* destination = files.create({.channels = 1}, generator.total);
    if (!destination)
        return JobOutcome::EndedWithMessage;
    const BlockSplit split = BlockSplit::of(generator.total);
    runBlockPass(context,
                 {.destination = destination,
                  .split = split,
                  .order = generator.order,
                  .compute = [&generator, per = split.per](
                                 std::int16_t* values, const std::int16_t*, std::uint32_t count,
                                 std::uint32_t j) { generator.generate(values, count, j * per); },
                  .writeIcon = generator.writeIcon,
                  .writeEachBlock = true,
                  .timing = generator.timing});
    return JobOutcome::Completed;
}

JobOutcome runKernel(JobContext& context, const Kernel& kernel, int sourceCount,
                     const SourceRules& rules) {
    if (const auto* refusal = std::get_if<Refusal>(&kernel)) {
        context.reporter().report(refusal->text, refusal->icon);
        return JobOutcome::EndedWithMessage;
    }
    JobFiles files(context);
    JobOutcome outcome;
    if (!openSources(files, sourceCount, rules, outcome))
        return outcome;
    outcome = std::visit(
        [&files](const auto& k) -> JobOutcome {
            using Kind = std::decay_t<decltype(k)>;
            if constexpr (std::is_same_v<Kind, TransformKernel>) {
                if (k.startPure)
                    return transformSourcePure(files, k.writeIcon, k.startPure(files.source()));
                return transformSource(files, k.writeIcon, k.start(files.source()));
            } else if constexpr (std::is_same_v<Kind, PairedKernel>) {
                if (k.warnOnChannelMismatch && files.source().channels != files.aux().channels &&
                    files.reporter().report(kStereoWarningText, MessageIcon::Warning,
                                            MessageButtons::OkCancel) != Answer::Ok)
                    return JobOutcome::Cancelled;
                return pairSources(files, files.source().channels, k.writeIcon, k.combine);
            } else if constexpr (std::is_same_v<Kind, GeneratorKernel>)
                return generate(files, k);
            else if constexpr (std::is_same_v<Kind, FilesKernel>)
                return k.run(files);
            else
                return JobOutcome::EndedWithMessage; // a refusal ends the job before it opens
        },
        kernel);
    return files.finish(outcome);
}

} // namespace sonarium
