// An operation's command-line options, derived from its declared fields: parsing the arguments
// into parameters and files, and the text that describes them.
#pragma once

#include "operations/operation.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
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

// The options that give these parameters on the command line, in the declaration's order: every
// field the command line takes, a check box off its default as --NAME or --no-NAME, a number
// written so that it reads back as the same value, a choice or text as its word.
// parseOperationArguments reads them back into the same parameters.
std::vector<std::string> optionWords(const OperationDecl& operation, const Parameters& parameters);
// --sel-start F and, unless it runs to the end, --sel-length F; nothing for the whole file.
std::vector<std::string> selectionWords(const FrameSpan& selection);
// A whole command: program, operation, options, the input files and one -o per result. The files
// come after "--" when one of them starts with "-", so that none is read as an option.
std::vector<std::string> commandWords(std::string_view program, std::string_view operation,
                                      const std::vector<std::string>& options,
                                      const std::vector<std::string>& inputs,
                                      const std::vector<std::string>& outputs);

// "describe": the usage line, then one line per option with its type, default and range (or its
// words), and the dialog label it stands for.
std::string describeOperation(const OperationDecl& operation);

} // namespace sonarium
