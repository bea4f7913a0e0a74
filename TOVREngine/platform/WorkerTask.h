#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace tovr {

// One unstructured task: a job on a thread of its own that its owner can cancel. The thread
// is owned by ChildProcessRegistry, which cancels and joins it at shutdown. Everything the
// body touches it owns (copies, shared pointers), so it never outlives what it uses.
//
// Cancelling ends every blocking wait the body registered: children through their latch,
// transfers through their HTTPCancellation, pauses through sleepFor().
class WorkerTask {
public:
    using Body = std::function<void(WorkerTask&)>;

    static std::shared_ptr<WorkerTask> make() { return std::make_shared<WorkerTask>(); }

    // Runs `body` on a new thread. Call once.
    static void launch(const std::shared_ptr<WorkerTask>& task, Body body);

    // Any thread, any number of times; the cancel actions run on the first call only.
    void cancel();
    bool isCanceled() const;
    // Runs `action` when the task is canceled, at once when it already is.
    void onCancel(std::function<void()> action);
    // Waits for `duration`; returns early, with false, when the task is canceled.
    bool sleepFor(std::chrono::nanoseconds duration);

private:
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool canceled_ = false;
    std::vector<std::function<void()>> actions_;
};

} // namespace tovr
