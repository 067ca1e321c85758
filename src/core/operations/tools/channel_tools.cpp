// The channel tools' shared block loop and reads.
#include "operations/tools/channel_tools.h"

#include "operations/interactions/interaction_job.h"

namespace sonarium {

BlockSplit toolSplit(std::uint32_t total) {
    return evenSplit(total, total / kBlockValues + 1);
}

void PartnerBlock::read(JobContext& context, sonIO& reader, std::uint32_t count) {
    readValues(context, reader, values.data(), count);
    values[count] = 0;
}

void runToolBlocks(JobContext& context, sonIO& destination, std::uint32_t total,
                   const char* failureText, const ToolBlock& make) {
    const BlockSplit split = toolSplit(total);
    auto out = std::make_unique<SampleBuffer>();
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t count = split.count(j);
        make(out->data(), count);
        if (context.stopped())
            return;
        context.progress.setProgress(split.progress(j));
        writeValues(context, destination, out->data(), count, MessageIcon::Warning, failureText);
    }
}

bool nothingToWrite(JobContext& context, std::uint64_t total, const std::string& path) {
    if (total != 0)
        return false;
    context.reporter().report(noSamplesMessage(path), MessageIcon::Warning);
    return true;
}

} // namespace sonarium
