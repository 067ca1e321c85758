// The hook at the end of a job that writes its provenance record.
#include "operations/recorded_job.h"

#include "operations/guarded_job.h"
#include "operations/operation_options.h"
#include "provenance/program_version.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace sonarium {

std::optional<ProvenanceRecord> makeRecord(const OperationDecl& operation,
                                           const Parameters& parameters, const JobInput& input,
                                           const std::vector<std::string>& results) {
    ProvenanceRecord record;
    record.operation = std::string(operation.name);
    record.options = optionWords(operation, parameters);
    if (operation.input == InputKind::OneWithSelection)
        record.selection = input.selection;
    std::vector<std::string> inputs;
    if (operation.sourceCount() > 0)
        inputs.push_back(input.source);
    if (operation.sourceCount() > 1)
        inputs.push_back(input.aux.empty() ? input.source : input.aux);
    for (const std::string& path : inputs) {
        // A report on a file that cannot be read (File Information's) still names it.
        auto stamp = stampFile(path);
        record.inputs.push_back(stamp ? std::move(*stamp) : FileStamp{absolutePath(path)});
    }
    for (const std::string& path : results) {
        auto stamp = stampFile(path);
        if (!stamp)
            return std::nullopt;
        record.outputs.push_back(std::move(*stamp));
    }
    record.version = programVersion();
    record.time = utcTimestamp();
    return record;
}

JobOutcome runRecordedJob(const OperationDecl& operation, JobContext& context,
                          const Parameters& parameters, const RecordRequest& request,
                          bool* internalError, bool* recordFailed) {
    if (recordFailed != nullptr)
        *recordFailed = false;
    if (!request.record)
        return runGuardedJob(operation, context, parameters, internalError);
    // The names the results were given, and the names a numbering redrew for a result whose
    // drawn name another program took meanwhile.
    std::vector<std::string> drawn;
    std::map<std::string, std::string> redrawn;
    WaveContext wave = context.wave;
    if (wave.nameTaken)
        wave.nameTaken = [inner = context.wave.nameTaken, &redrawn](const std::string& taken) {
            std::string other = inner(taken);
            if (!other.empty())
                redrawn[taken] = other;
            return other;
        };
    JobContext job{.wave = wave,
                   .progress = context.progress,
                   .input = context.input,
                   .destination = context.destination,
                   .result = context.result};
    if (context.destination)
        job.destination = [&drawn, inner = context.destination] {
            std::string path = inner();
            if (!path.empty())
                drawn.push_back(path);
            return path;
        };
    // A seed left to the clock (-1) is drawn here, as the job would draw it, so that the record
    // names the seed the job used and its command makes the same file.
    Parameters settings = parameters;
    if (const FieldSpec* seed = operation.field("seed"); seed != nullptr && seed->isNumeric()) {
        try {
            if (parameters.number("seed") < 0)
                settings.setNumber(
                    "seed", static_cast<double>(static_cast<std::uint32_t>(std::time(nullptr))));
        } catch (const std::logic_error&) {
            // Not set: the job says so, through the guard.
        }
    }
    const JobOutcome outcome = runGuardedJob(operation, job, settings, internalError);
    context.writeFailures = job.writeFailures;
    context.stop = job.stop;
    context.report = std::move(job.report);
    if (outcome != JobOutcome::Completed || job.writeFailures != 0)
        return outcome;
    std::vector<std::string> results;
    for (const std::string& path : drawn) {
        const auto other = redrawn.find(path);
        results.push_back(other == redrawn.end() ? path : other->second);
    }
    if (results.empty() && operation.resultCount() > 0)
        return outcome; // nothing was written where a file was expected: nothing to record
    const std::string directory =
        results.empty()
            ? request.reportDirectory
            : std::filesystem::path(absolutePath(results.front())).parent_path().string();
    if (directory.empty())
        return outcome;
    auto record = makeRecord(operation, settings, context.input, results);
    std::string error = "a file it read or wrote can no longer be read";
    if (!record || !appendRecord(directory, *record, error)) {
        if (recordFailed != nullptr)
            *recordFailed = true;
        context.reporter().report("The result was written, but what made it could not be "
                                  "recorded in " +
                                      historyPathIn(directory) + ":\n" + error,
                                  MessageIcon::Warning);
    }
    return outcome;
}

} // namespace sonarium
