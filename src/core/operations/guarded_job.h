// Running an operation's job so that an error escaping it (a broken invariant, a parameter its
// declaration lacks) ends that job with a message, never the program around it.
#pragma once

#include "operations/operation.h"

#include <string>
#include <string_view>

namespace sonarium {

// "Internal error in Smooth: <what>": the operation named by its caption without the version
// ("Smooth 1.2" -> "Smooth"), as its dialog and menu show it.
std::string internalErrorMessage(const OperationDecl& operation, std::string_view what);

// Runs the operation's job. Whatever escapes the job has unwound its files on the way (an
// unfinished destination is abandoned with its temporary file): it is reported through the
// context's reporter with the error icon, and the job ends with that message, having written
// nothing. internalError, when given, tells whether that happened.
JobOutcome runGuardedJob(const OperationDecl& operation, JobContext& context,
                         const Parameters& parameters, bool* internalError = nullptr);

} // namespace sonarium
