#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tovr {

// A stop request that a wait sees: once asked for it stays, and every wait ends at once.
// (std::stop_source is experimental in the libc++ of the Macs we build on.)
class StopFlag {
public:
    // Any thread, any number of times.
    void requestStop() {
        {
            std::lock_guard guard(lock_);
            stopped_ = true;
        }
        wake_.notify_all();
    }
    bool stopRequested() const {
        std::lock_guard guard(lock_);
        return stopped_;
    }
    // Waits for `duration`, or less when a stop is asked for; true when one was.
    bool waitFor(std::chrono::nanoseconds duration) const {
        std::unique_lock guard(lock_);
        return wake_.wait_for(guard, duration, [this] { return stopped_; });
    }

private:
    mutable std::mutex lock_;
    mutable std::condition_variable wake_;
    bool stopped_ = false;
};

} // namespace tovr
