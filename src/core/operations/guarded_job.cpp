// The one place that catches what escapes a job.
#include "operations/guarded_job.h"

#include <cctype>
#include <exception>

namespace sonarium {

namespace {

// "Smooth 1.2" -> "Smooth"; a caption without a version ("Merge") stays as it is.
std::string_view withoutVersion(std::string_view caption) {
    const auto space = caption.rfind(' ');
    if (space == std::string_view::npos)
        return caption;
    const std::string_view last = caption.substr(space + 1);
    const bool version = !last.empty() && std::isdigit(static_cast<unsigned char>(last[0])) &&
                         last.find_first_not_of("0123456789.") == std::string_view::npos;
    return version ? caption.substr(0, space) : caption;
}

} // namespace

std::string internalErrorMessage(const OperationDecl& operation, std::string_view what) {
    return "Internal error in " + std::string(withoutVersion(operation.caption)) + ": " +
           std::string(what);
}

JobOutcome runGuardedJob(const OperationDecl& operation, JobContext& context,
                         const Parameters& parameters, bool* internalError) {
    if (internalError != nullptr)
        *internalError = false;
    std::string what;
    try {
        return operation.run(context, parameters);
    } catch (const std::exception& error) {
        what = error.what();
    } catch (...) {
        what = "an error that is not a standard exception";
    }
    if (internalError != nullptr)
        *internalError = true;
    context.reporter().report(internalErrorMessage(operation, what), MessageIcon::Error);
    return JobOutcome::EndedWithMessage;
}

} // namespace sonarium
