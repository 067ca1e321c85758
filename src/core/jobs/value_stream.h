// Sources and destinations taken in pieces of any length. Jobs with their own block lengths (a
// pitch block, a step, a gap) read and write through these, while the file sees whole blocks of
// kBlockValues: a one-value piece costs a copy, not a system call. The source's blocks are read
// ahead on a thread of their own, beside the job's computing and writing. Both ends follow the
// job's rules: a truncated source or a failed write is reported once and stops the job, and a
// cancel request is taken up at every refill.
#pragma once

#include "jobs/block_job.h"
#include "jobs/read_ahead.h"

#include <cstdint>
#include <memory>

namespace sonarium {

class ValueReader {
public:
    // Reads the source's values from where it stands, `total` of them at most.
    ValueReader(JobContext& context, sonIO& source, std::uint64_t total);
    ~ValueReader();
    ValueReader(const ValueReader&) = delete;
    ValueReader& operator=(const ValueReader&) = delete;

    // Copies the next count values to out. Returns how many were copied: fewer only at the end
    // of the values or once the job has stopped.
    std::uint32_t read(std::int16_t* out, std::uint32_t count);
    // Values handed out so far.
    std::uint64_t consumed() const { return consumed_; }

private:
    bool refill();

    JobContext& context_;
    sonIO& source_;
    std::uint64_t left_; // values not yet handed over by the read-ahead
    std::unique_ptr<ReadAhead> ahead_;
    const std::int16_t* block_ = nullptr; // the block being handed out
    std::uint32_t start_ = 0;
    std::uint32_t end_ = 0;
    std::uint64_t consumed_ = 0;
};

class ValueWriter {
public:
    // Writes to the destination, `limit` values at most: values beyond it are dropped, so the
    // file holds exactly what its header declares. A failed write is reported with icon.
    ValueWriter(JobContext& context, sonIO& destination, std::uint64_t limit,
                MessageIcon icon = MessageIcon::None);

    void write(const std::int16_t* values, std::uint32_t count);
    void write(std::int16_t value) { write(&value, 1); }
    // Writes what is gathered. Called by the job before it finishes.
    void flush();
    // Values taken so far (written or waiting in the buffer).
    std::uint64_t written() const { return written_; }
    std::uint64_t limit() const { return limit_; }

private:
    JobContext& context_;
    sonIO& destination_;
    std::uint64_t limit_;
    MessageIcon icon_;
    std::unique_ptr<SampleBuffer> buffer_ = std::make_unique<SampleBuffer>();
    std::uint32_t filled_ = 0;
    std::uint64_t written_ = 0;
};

// The progress of a job that moves through its values in pieces: the bar is set only when its
// percentage changes.
class PieceProgress {
public:
    explicit PieceProgress(Progress& progress) : progress_(progress) {}
    void set(int percent) {
        if (percent != last_) {
            last_ = percent;
            progress_.setProgress(percent);
        }
    }

private:
    Progress& progress_;
    int last_ = -1;
};

} // namespace sonarium
