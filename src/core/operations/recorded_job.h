// Running an operation's job and recording what made its results: the one place where both the
// editor and the command line write a provenance record.
#pragma once

#include "operations/operation.h"
#include "provenance/provenance_record.h"

#include <string>

namespace sonarium {

struct RecordRequest {
    bool record = false; // the command line records only when asked (--record)
    // Where the record of a job that writes no file (a text report) goes; empty: such a job is not
    // recorded. A job's results are recorded in the history of the folder of its first result.
    std::string reportDirectory;
};

// The record of a job that completed: the operation, its parameters as options, the stamps of
// the files it read and of the results it wrote, the program's version. Nothing when a result can
// no longer be read; an input that cannot be read (a report on a missing file) is named without
// its size and hash.
std::optional<ProvenanceRecord> makeRecord(const OperationDecl& operation,
                                           const Parameters& parameters, const JobInput& input,
                                           const std::vector<std::string>& results);

// Runs the job as runGuardedJob does; when it completes with every result written and recording is
// asked for, appends its record. A record that cannot be written is reported as a warning: the
// results stand. recordFailed, when given, tells whether that happened.
JobOutcome runRecordedJob(const OperationDecl& operation, JobContext& context,
                          const Parameters& parameters, const RecordRequest& request,
                          bool* internalError = nullptr, bool* recordFailed = nullptr);

} // namespace sonarium
