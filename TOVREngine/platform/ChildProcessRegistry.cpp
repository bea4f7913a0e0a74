#include "platform/ChildProcessRegistry.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

ChildProcessRegistry& ChildProcessRegistry::shared() {
    static ChildProcessRegistry registry;
    return registry;
}

ChildProcessRegistry::~ChildProcessRegistry() {
    shutdown();
}

void ChildProcessRegistry::joinFinishedLocked(std::list<Entry>& finished) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (*it->done) {
            auto next = std::next(it);
            finished.splice(finished.end(), entries_, it);
            it = next;
        } else {
            ++it;
        }
    }
}

void ChildProcessRegistry::start(std::shared_ptr<ChildProcess> child, std::function<void()> body) {
    std::list<Entry> finished;
    {
        std::lock_guard guard(mutex_);
        joinFinishedLocked(finished);
        ++started_;
        auto done = std::make_shared<bool>(false);
        entries_.push_back(Entry{std::move(child), done, {}});
        auto& entry = entries_.back();
        entry.thread = std::thread([this, done, body = std::move(body)] {
            body();
            std::lock_guard guard(mutex_);
            *done = true;
        });
    }
    for (auto& e : finished)
        e.thread.join(); // each has set `done` as its last act
}

void ChildProcessRegistry::shutdown() {
    // A worker being joined may still start a child (terminated at once by its canceled
    // latch); its reader thread joins the list afterwards, so repeat until nothing is left.
    for (;;) {
        std::list<Entry> all;
        {
            std::lock_guard guard(mutex_);
            all.swap(entries_);
        }
        if (all.empty())
            return;
        for (auto& e : all)
            if (e.child)
                e.child->terminate();
        for (auto& e : all)
            if (e.thread.joinable())
                e.thread.join();
    }
}

std::size_t ChildProcessRegistry::liveCount() {
    std::list<Entry> finished;
    std::size_t n;
    {
        std::lock_guard guard(mutex_);
        joinFinishedLocked(finished);
        n = entries_.size();
    }
    for (auto& e : finished)
        e.thread.join();
    return n;
}

std::size_t ChildProcessRegistry::startedCount() {
    std::lock_guard guard(mutex_);
    return started_;
}

} // namespace tovr
