// What the interactions share: a file's channel count read quietly, the warning for files of
// different channel counts, reading a file's values at the pace a job asks for them and writing
// values as a job makes them, and the split into blocks of whole stereo frames.
#pragma once

#include "jobs/kernels.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace sonarium {

// The channel count a wave file's header declares, without a message; 0 when it cannot be read.
int quietChannelCount(const std::string& path);

// The stereo warning when the Source and the Aux have different channel counts: true to go on.
bool acceptChannelMismatch(JobFiles& files);

// Reads a file's values in file order through one fixed buffer, for jobs that take them at their
// own pace: an index may be asked for again or skipped, but never one before the buffer's first.
// Indices past the end of the data read as 0, so a partner missing at the end counts as silence.
class ValueStream {
public:
    ValueStream(JobContext& context, sonIO& reader);
    std::int16_t at(std::uint64_t index) {
        if (index >= total_)
            return 0;
        while (index >= first_ + filled_)
            refill();
        return (*buffer_)[static_cast<std::size_t>(index - first_)];
    }

private:
    void refill();

    JobContext& context_;
    sonIO& reader_;
    std::unique_ptr<SampleBuffer> buffer_;
    std::uint64_t total_;
    std::uint64_t first_ = 0;  // file index of buffer[0]
    std::uint32_t filled_ = 0; // values the buffer holds
};

// Collects a job's output values in one fixed buffer and writes it whenever it fills up, and on
// flush().
class ValueSink {
public:
    ValueSink(JobContext& context, sonIO& destination, MessageIcon icon, const char* failureText);
    void push(std::int16_t value) {
        (*buffer_)[filled_++] = value;
        if (filled_ == kBlockValues)
            flush();
    }
    void push(const std::int16_t* values, std::uint32_t count);
    void flush();

private:
    JobContext& context_;
    sonIO& destination_;
    MessageIcon icon_;
    const char* failureText_;
    std::unique_ptr<SampleBuffer> buffer_;
    std::uint32_t filled_ = 0;
};

// The split of a file's values into blocks of whole stereo frames: n + 1 blocks, every one but
// the last holding per values (per even), the last 1 to per. firstN is the division's start (the
// file's values divided by the block size wanted, plus 1). No values give one empty block.
BlockSplit evenSplit(std::uint32_t values, std::uint32_t firstN);

} // namespace sonarium
