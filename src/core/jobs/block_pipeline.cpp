#include "jobs/block_pipeline.h"

#include <algorithm>
#include <array>
#include <memory>
#include <tbb/blocked_range.h>
#include <tbb/global_control.h>
#include <tbb/info.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>
#include <tbb/task_group.h>
#include <vector>

namespace sonarium {

int computeThreads(int requested) {
    return requested > 0 ? requested : std::max(1, tbb::info::default_concurrency());
}

namespace {

// The blocks are handled in batches of several: a batch is read and written with one call each,
// and a parallel kernel spreads a batch's blocks over the threads. Three batches are held at once:
// one being written, one being computed, one being read.
constexpr std::size_t kSlots = 3;

std::uint32_t blocksPerBatch(int threads) {
    return static_cast<std::uint32_t>(std::clamp(2 * threads, 8, 16));
}

class Pass {
public:
    Pass(JobContext& context, const BlockPass& pass, int threads)
        : context_(context), pass_(pass), perBatch_(blocksPerBatch(threads)),
          batches_((pass.split.blocks() + perBatch_ - 1) / perBatch_),
          slotValues_(
              std::size_t{perBatch_} *
              std::max<std::size_t>(pass.split.per, static_cast<std::size_t>(pass.split.rem))) {
        for (auto& slot : values_)
            slot.reset(new std::int16_t[slotValues_]);
        if (pass.aux != nullptr)
            for (auto& slot : aux_)
                slot.reset(new std::int16_t[slotValues_]);
    }

    // Reads batch b (nothing to read for a generator); false once the job has stopped.
    bool read(std::uint32_t b) {
        if (context_.stopped())
            return false;
        const std::uint32_t count = batchValues(b);
        if (pass_.source != nullptr)
            readValues(context_, *pass_.source, values_[b % kSlots].get(), count);
        if (pass_.aux != nullptr && !context_.stopped())
            readValues(context_, *pass_.aux, aux_[b % kSlots].get(), count);
        return !context_.stopped();
    }

    // Computes the blocks of batch b: spread over the arena's threads, or one after the other.
    void compute(std::uint32_t b) const {
        const std::uint32_t first = b * perBatch_;
        const std::uint32_t last = std::min(first + perBatch_, pass_.split.blocks());
        std::int16_t* values = values_[b % kSlots].get();
        const std::int16_t* aux = pass_.aux != nullptr ? aux_[b % kSlots].get() : nullptr;
        const auto one = [&](std::uint32_t j) {
            const std::size_t offset = std::size_t{j - first} * pass_.split.per;
            pass_.compute(values + offset, aux != nullptr ? aux + offset : nullptr,
                          pass_.split.count(j), j);
        };
        if (pass_.order == ComputeOrder::InOrder) {
            for (std::uint32_t j = first; j < last; ++j)
                one(j);
            return;
        }
        tbb::parallel_for(tbb::blocked_range<std::uint32_t>(first, last, 1),
                          [&](const tbb::blocked_range<std::uint32_t>& range) {
                              for (std::uint32_t j = range.begin(); j != range.end(); ++j)
                                  one(j);
                          });
    }

    // Shows each block's progress and writes batch b, ending at the first block after the job
    // stopped; false once it has.
    bool write(std::uint32_t b) {
        const std::uint32_t first = b * perBatch_;
        const std::uint32_t last = std::min(first + perBatch_, pass_.split.blocks());
        std::int16_t* values = values_[b % kSlots].get();
        const bool after = pass_.timing == ProgressTiming::AfterWrite;
        if (pass_.writeEachBlock || pass_.written) {
            for (std::uint32_t j = first; j < last; ++j) {
                if (!continueJob(context_))
                    return false;
                if (!after)
                    showProgress(j);
                const std::uint32_t count = pass_.split.count(j);
                // Each block's values lie at its own start.
                write(values + std::size_t{j - first} * pass_.split.per,
                      pass_.written ? pass_.written(count) : count);
                if (after && !context_.stopped())
                    showProgress(j);
            }
            return !context_.stopped();
        }
        for (std::uint32_t j = first; j < last; ++j) {
            if (!continueJob(context_))
                return false;
            if (!after)
                showProgress(j);
        }
        write(values, batchValues(b));
        if (after)
            for (std::uint32_t j = first; j < last && !context_.stopped(); ++j)
                showProgress(j);
        return !context_.stopped();
    }

    std::uint32_t batches() const { return batches_; }

private:
    std::uint32_t batchValues(std::uint32_t b) const {
        const std::uint32_t first = b * perBatch_;
        const std::uint32_t last = std::min(first + perBatch_, pass_.split.blocks());
        std::uint32_t values = 0;
        for (std::uint32_t j = first; j < last; ++j)
            values += pass_.split.count(j);
        return values;
    }
    void write(const std::int16_t* values, std::uint32_t count) {
        if (pass_.destination != nullptr)
            writeValues(context_, *pass_.destination, values, count, pass_.writeIcon);
    }
    void showProgress(std::uint32_t j) const {
        const int percent = pass_.progressAt
                                ? pass_.progressAt(j)
                                : pass_.split.progress(j, pass_.span.span, pass_.span.base);
        if (percent >= 0)
            context_.progress.setProgress(percent);
    }

    JobContext& context_;
    const BlockPass& pass_;
    const std::uint32_t perBatch_;
    const std::uint32_t batches_;
    const std::size_t slotValues_;
    std::array<std::unique_ptr<std::int16_t[]>, kSlots> values_;
    std::array<std::unique_ptr<std::int16_t[]>, kSlots> aux_;
};

// Waits for the group's tasks however the pass ends, so that no thread still works on the
// pass's buffers once it has returned or thrown.
class Joined {
public:
    explicit Joined(tbb::task_group& group) : group_(group) {}
    ~Joined() {
        try {
            group_.wait();
        } catch (...) { // the first exception is rethrown by the wait on the normal path
        }
    }
    Joined(const Joined&) = delete;
    Joined& operator=(const Joined&) = delete;

private:
    tbb::task_group& group_;
};

} // namespace

void forEachRange(std::uint32_t count, std::uint32_t grain,
                  const std::function<void(std::uint32_t begin, std::uint32_t end)>& body) {
    tbb::parallel_for(tbb::blocked_range<std::uint32_t>(0, count, std::max(grain, 1U)),
                      [&body](const tbb::blocked_range<std::uint32_t>& range) {
                          body(range.begin(), range.end());
                      });
}

void runBlockPass(JobContext& context, const BlockPass& pass) {
    const int threads = computeThreads(context.threads);
    Pass blocks(context, pass, threads);
    const std::uint32_t batches = blocks.batches();
    if (batches == 0 || !blocks.read(0))
        return;
    // With one thread the arena has no worker: a batch is computed when the job's thread waits
    // for it, which is the plain loop. More threads than cores are allowed when asked for.
    const tbb::global_control allowed(
        tbb::global_control::max_allowed_parallelism,
        static_cast<std::size_t>(std::max(threads, tbb::info::default_concurrency())));
    tbb::task_arena arena(threads);
    arena.execute([&] {
        tbb::task_group group;
        const Joined joined(group);
        // Batch b is computed while batch b - 1 is written and batch b + 1 read.
        for (std::uint32_t b = 0; b < batches; ++b) {
            group.run([&blocks, b] { blocks.compute(b); });
            const bool going =
                (b == 0 || blocks.write(b - 1)) && (b + 1 == batches || blocks.read(b + 1));
            group.wait();
            if (!going)
                return;
        }
        blocks.write(batches - 1);
    });
}

} // namespace sonarium
