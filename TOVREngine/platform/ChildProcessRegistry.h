#pragma once

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace tovr {

class ChildProcess;

// Owns the reader threads of streamed children. A thread that has ended is joined on the
// next start; shutdown() terminates every child still running and joins every thread, so
// nothing outlives the application.
class ChildProcessRegistry {
public:
    static ChildProcessRegistry& shared();
    ~ChildProcessRegistry();

    // Runs `body` on a new thread that watches `child`.
    void start(std::shared_ptr<ChildProcess> child, std::function<void()> body);
    // Terminates every tracked child and joins every thread. Later starts still work.
    void shutdown();
    // Threads not yet joined (for tests).
    std::size_t liveCount();
    // Threads started so far (for tests).
    std::size_t startedCount();

private:
    struct Entry {
        std::shared_ptr<ChildProcess> child;
        std::shared_ptr<bool> done; // guarded by mutex_
        std::thread thread;
    };
    void joinFinishedLocked(std::list<Entry>& finished);

    std::mutex mutex_;
    std::list<Entry> entries_;
    std::size_t started_ = 0; // guarded by mutex_
};

} // namespace tovr
