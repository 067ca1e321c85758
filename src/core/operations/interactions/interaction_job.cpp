// The pieces every interaction job is built from.
#include "operations/interactions/interaction_job.h"

#include <algorithm>
#include <cstring>

namespace sonarium {

int quietChannelCount(const std::string& path) {
    SilentReporter silent;
    const WaveContext wave{silent, "", {}};
    const sonIO reader(wave, path);
    return reader.IsOpen() ? reader.channels : 0;
}

bool acceptChannelMismatch(JobFiles& files) {
    if (files.source().channels == files.aux().channels)
        return true;
    return files.reporter().report(kStereoWarningText, MessageIcon::Warning,
                                   MessageButtons::OkCancel) == Answer::Ok;
}

ValueStream::ValueStream(JobContext& context, sonIO& reader)
    : context_(context), reader_(reader), buffer_(std::make_unique<SampleBuffer>()),
      total_(valueCount(reader)) {}

void ValueStream::refill() {
    first_ += filled_;
    filled_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(kBlockValues, total_ - first_));
    readValues(context_, reader_, buffer_->data(), filled_);
}

ValueSink::ValueSink(JobContext& context, sonIO& destination, MessageIcon icon,
                     const char* failureText)
    : context_(context), destination_(destination), icon_(icon), failureText_(failureText),
      buffer_(std::make_unique<SampleBuffer>()) {}

void ValueSink::push(const std::int16_t* values, std::uint32_t count) {
    while (count > 0) {
        const std::uint32_t room = kBlockValues - filled_;
        const std::uint32_t take = std::min(room, count);
        std::memcpy(buffer_->data() + filled_, values, take * sizeof(std::int16_t));
        filled_ += take;
        values += take;
        count -= take;
        if (filled_ == kBlockValues)
            flush();
    }
}

void ValueSink::flush() {
    if (filled_ > 0)
        writeValues(context_, destination_, buffer_->data(), filled_, icon_, failureText_);
    filled_ = 0;
}

BlockSplit evenSplit(std::uint32_t values, std::uint32_t firstN) {
    BlockSplit split;
    if (values == 0)
        return split; // one empty block: the remainder could never be brought above 0
    std::int64_t n = firstN;
    std::int64_t per = values / n;
    if (per % 2 != 0)
        ++per;
    std::int64_t rem = static_cast<std::int64_t>(values) - n * per;
    while (rem < 1) {
        rem += per;
        --n;
    }
    // The remainder of the division is below n; with many small blocks (files of more than
    // 64 M values) it can outgrow a block and the buffer. It then takes blocks of its own.
    while (rem > per) {
        rem -= per;
        ++n;
    }
    split.n = static_cast<std::uint32_t>(n);
    split.per = static_cast<std::uint32_t>(per);
    split.rem = static_cast<std::int32_t>(rem);
    return split;
}

} // namespace sonarium
