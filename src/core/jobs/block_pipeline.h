// A pass over a job's blocks whose arithmetic runs beside its input and output. The job's own
// thread reads the blocks in file order, shows the progress, takes up a cancel request and writes
// the blocks in file order; meanwhile the blocks it has read are computed on the other cores:
// several blocks at once for a kernel whose values depend only on its inputs and their position,
// one block after the other for a kernel that carries state from block to block. Either way the
// values written are those of the plain loop, whatever the number of threads.
#pragma once

#include "jobs/block_job.h"
#include "jobs/generator_job.h"

#include <cstdint>
#include <functional>

namespace sonarium {

// The threads a job computes on: `requested` when positive, otherwise every core this process
// may run on.
int computeThreads(int requested);

// Computes block j of a pass in place: values[0..count) (the Source's values as read, or
// nothing for a generator), beside the Aux's values of the same stretch when the pass reads an
// Aux (nullptr otherwise).
using BlockCompute = std::function<void(std::int16_t* values, const std::int16_t* aux,
                                        std::uint32_t count, std::uint32_t j)>;

enum class ComputeOrder {
    Parallel, // blocks at once, on every thread: the kernel keeps no state between blocks
    InOrder,  // one block after the other, in file order, on one thread at a time
};

struct BlockPass {
    sonIO* source = nullptr;      // nullptr: the blocks start empty (a generator fills them)
    sonIO* aux = nullptr;         // read in step with the source, as many values per block
    sonIO* destination = nullptr; // nullptr: a pass that only reads (a report)
    BlockSplit split;
    ComputeOrder order = ComputeOrder::InOrder;
    BlockCompute compute;
    MessageIcon writeIcon = MessageIcon::None;
    // The progress shown once block j is done: the split's share of `span` by default; a
    // negative value from progressAt shows none for that block.
    ProgressSpan span{};
    std::function<int(std::uint32_t j)> progressAt;
    // The values a computed block of count values leaves at its start to be written, when they
    // are fewer than it read (two channels made one); empty: all of them.
    std::function<std::uint32_t(std::uint32_t count)> written;
    // Each block written with a call of its own, its progress shown, and a stop taken up, before
    // the next block is written (a failed write or a cancel then ends the pass at the same block
    // as a plain loop's would); otherwise a batch of blocks is written with one call.
    bool writeEachBlock = false;
    // Whether block j's progress is shown before its values are written, or after.
    ProgressTiming timing = ProgressTiming::BeforeWrite;
};

// Runs body(begin, end) over the ranges of [0, count), each of about `grain`, at once on the
// threads of the job: from a block's compute, a kernel that must take its blocks in order still
// spreads the work inside a block over every core.
void forEachRange(std::uint32_t count, std::uint32_t grain,
                  const std::function<void(std::uint32_t begin, std::uint32_t end)>& body);

// Runs the pass. A stopped job (cancel, failed write, truncated source) ends it at the next
// block; every thread has finished with the pass's blocks when this returns.
void runBlockPass(JobContext& context, const BlockPass& pass);

} // namespace sonarium
