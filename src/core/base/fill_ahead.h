// A ring of slots that a thread of its own fills in order, a few ahead of the one its user works
// on: the reading ahead of the jobs and of the display scan. How a slot is filled is the user's;
// when to fill, when to wait and when to stop is this class's.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace sonarium {

class FillAhead {
public:
    // fill(k) fills item k into slot k % depth and says whether an item follows it. With
    // `threaded`, items are filled on a thread started here, at most depth - 1 beyond the one
    // being used; without it, or where no thread can be started, acquire fills each item itself.
    // Whatever fill touches must outlive this object (declare it after them).
    FillAhead(std::uint64_t depth, std::function<bool(std::uint64_t k)> fill, bool threaded = true);
    // Stops the filling (an item being filled is finished first).
    ~FillAhead();
    FillAhead(const FillAhead&) = delete;
    FillAhead& operator=(const FillAhead&) = delete;

    // Waits until item k is filled and frees the slots of the items before it. Items are acquired
    // in order. False when the items ended before k.
    bool acquire(std::uint64_t k);

private:
    void run();

    const std::uint64_t depth_;
    const std::function<bool(std::uint64_t)> fill_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint64_t filled_ = 0;   // items filled so far
    std::uint64_t released_ = 0; // items the user is done with
    bool done_ = false;          // the last item is filled
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace sonarium
