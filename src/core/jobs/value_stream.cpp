// Piecewise reading and writing over whole blocks.
#include "jobs/value_stream.h"

#include <algorithm>
#include <cstring>

namespace sonarium {

namespace {

// The blocks of `total` values, all of kBlockValues but the last.
BlockSplit wholeBlocks(std::uint64_t total) {
    const auto n = static_cast<std::uint32_t>((total - 1) / kBlockValues);
    return {.n = n,
            .per = kBlockValues,
            .rem = static_cast<std::int32_t>(total - std::uint64_t{n} * kBlockValues)};
}

} // namespace

ValueReader::ValueReader(JobContext& context, sonIO& source, std::uint64_t total)
    : context_(context), source_(source), left_(total) {
    if (total > 0)
        ahead_ = std::make_unique<ReadAhead>(source, wholeBlocks(total));
}

ValueReader::~ValueReader() = default;

bool ValueReader::refill() {
    if (left_ == 0 || !continueJob(context_))
        return false;
    const ReadAhead::Block block = ahead_->next();
    if (block.truncated)
        sourceTruncated(context_, source_);
    if (context_.stopped())
        return false;
    const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left_, kBlockValues));
    left_ -= count;
    block_ = block.values;
    start_ = 0;
    end_ = count;
    return true;
}

std::uint32_t ValueReader::read(std::int16_t* out, std::uint32_t count) {
    std::uint32_t copied = 0;
    while (copied < count) {
        if (start_ == end_ && !refill())
            break;
        const std::uint32_t piece = std::min(count - copied, end_ - start_);
        std::memcpy(out + copied, block_ + start_, piece * sizeof(std::int16_t));
        start_ += piece;
        copied += piece;
    }
    consumed_ += copied;
    return copied;
}

ValueWriter::ValueWriter(JobContext& context, sonIO& destination, std::uint64_t limit,
                         MessageIcon icon)
    : context_(context), destination_(destination), limit_(limit), icon_(icon) {}

void ValueWriter::write(const std::int16_t* values, std::uint32_t count) {
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(count, limit_ - written_));
    written_ += count;
    while (count > 0 && !context_.stopped()) {
        const std::uint32_t piece = std::min(count, kBlockValues - filled_);
        std::memcpy(buffer_->data() + filled_, values, piece * sizeof(std::int16_t));
        filled_ += piece;
        values += piece;
        count -= piece;
        if (filled_ == kBlockValues)
            flush();
    }
}

void ValueWriter::flush() {
    if (filled_ > 0)
        writeValues(context_, destination_, buffer_->data(), filled_, icon_);
    filled_ = 0;
}

} // namespace sonarium
