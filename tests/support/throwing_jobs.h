// Declarations whose jobs throw, for the tests that check that a front end outlives an error
// escaping a job: the program never ships them.
#pragma once

#include "operations/operation.h"

#include <string>
#include <vector>

namespace sonarium::test {

struct ThrowingJob {
    std::string what; // how the case throws
    // "thrower", captioned "Thrower 1.0": it reads the Source and writes one result. With a
    // dialog it is the generic one, without fields.
    OperationDecl decl;
    std::string message; // the one message the user must get
};

// A misspelled member read before any file is opened; an exception from the middle of a real
// block job (Volume's, whose progress throws once its destination is half written); and an
// exception that is not a standard one, from the same place.
std::vector<ThrowingJob> throwingJobs(bool withDialog);

} // namespace sonarium::test
