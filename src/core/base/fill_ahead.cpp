// The filling thread and the hand-over of its items.
#include "base/fill_ahead.h"

#include <system_error>
#include <utility>

namespace sonarium {

FillAhead::FillAhead(std::uint64_t depth, std::function<bool(std::uint64_t k)> fill,
                     bool threaded)
    : depth_(depth), fill_(std::move(fill)) {
    if (!threaded)
        return;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // No thread to be had: acquire fills each item itself.
    }
}

FillAhead::~FillAhead() {
    if (!thread_.joinable())
        return;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void FillAhead::run() {
    for (std::uint64_t k = 0;; ++k) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stopping_ || k < released_ + depth_; });
            if (stopping_)
                return;
        }
        const bool more = fill_(k);
        {
            const std::lock_guard lock(mutex_);
            filled_ = k + 1;
            done_ = !more;
        }
        changed_.notify_all();
        if (!more)
            return;
    }
}

bool FillAhead::acquire(std::uint64_t k) {
    if (!thread_.joinable()) {
        if (done_)
            return false;
        done_ = !fill_(k);
        filled_ = k + 1;
        return true;
    }
    {
        std::unique_lock lock(mutex_);
        released_ = k; // the items handed out before are free again
        changed_.wait(lock, [&] { return filled_ > k || done_; });
        if (filled_ <= k)
            return false;
    }
    changed_.notify_all();
    return true;
}

} // namespace sonarium
