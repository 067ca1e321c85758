// The destination check shared by the format exchanges.
#include "operations/exchange/exchange_job.h"

#include "workspace/rename_file.h"

namespace sonarium {

bool claimDestination(JobContext& context) {
    if (!context.destination)
        return true;
    const std::string target = context.destination();
    if (target.empty())
        return false; // no name was left for the result: the namer has said so
    if (isSameFile(target, context.input.source)) {
        context.reporter().report(kFileExistsText, MessageIcon::Warning);
        return false;
    }
    context.destination = [target] { return target; };
    return true;
}

} // namespace sonarium
