// An operation's command-line options, derived from its declared fields: parsing the arguments
// into parameters and files, and the text that describes them.
#pragma once

#include "operations/operation.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sonarium {

struct OperationArguments {
    Parameters parameters; // the dialog's defaults, overridden by the options given
    JobInput input;        // the files, and the selection of the operations that take one
    // The result files, one per result the operation writes, in the order it writes them; none
    // for text reports, which are printed.
    std::vector<std::string> outputs;
};

// Reads "[--option V | --option=V | --flag]... FILE... -o OUT" (one -o per result). Numeric fields
// are checked with the dialog's own range messages, texts with its length message, radio groups and
// drop-down lists take one of their words, check boxes are flags (--no-NAME turns one off),
// disabled fields are no options. An operation on a selection also takes --sel-start F and
// --sel-length F, in frames (left out: from the first frame to the end). The problem text when the
// arguments cannot be used (a usage error), nothing when they can.
std::optional<std::string> parseOperationArguments(const OperationDecl& operation,
                                                   std::span<const std::string> arguments,
                                                   OperationArguments& parsed);

// "describe": the usage line, then one line per option with its type, default and range (or its
// words), and the dialog label it stands for.
std::string describeOperation(const OperationDecl& operation);

} // namespace sonarium
