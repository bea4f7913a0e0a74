#pragma once

#include "platform/CancellableProcess.h"
#include "platform/EventStream.h"
#include "platform/HTTPFetching.h"

#include <QStringList>

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

// Lets go of `lines` on a worker thread when they are many: the last hold on a long log frees
// tens of thousands of strings, which would keep the GUI thread for a frame or more as its
// sheet closes. The freed pages then go back to the system. A short list goes at once.
void releaseOnWorker(QStringList&& lines);

// The cancel latch for the children of one step, canceled with the task. Shared: the task
// may be canceled after the step has returned.
inline std::shared_ptr<CancellableProcess> latchFor(WorkerTask& task) {
    auto latch = std::make_shared<CancellableProcess>();
    task.onCancel([latch] { latch->cancel(); });
    return latch;
}

// The cancellation of one step's transfer, canceled with the task; shared like the latch.
inline std::shared_ptr<HTTPCancellation> transferFor(WorkerTask& task) {
    auto transfer = std::make_shared<HTTPCancellation>();
    task.onCancel([transfer] { transfer->cancel(); });
    return transfer;
}

// A worker's pause. Tests inject one that returns at once.
using Sleeper = std::function<void(std::chrono::nanoseconds, WorkerTask&)>;

// The pause of a live run: waits on the task, so a cancel ends it early.
inline void taskSleep(const Sleeper& sleeper, std::chrono::nanoseconds duration, WorkerTask& task) {
    if (sleeper)
        sleeper(duration, task);
    else
        task.sleepFor(duration);
}

// Runs `body` on a new task and returns at once the stream of what it hands its sink; the
// stream finishes when `body` returns. Dropping the stream cancels the task.
template <class T>
EventStream<T>
streamFromTask(std::function<void(const std::function<void(T)>&, WorkerTask&)> body) {
    auto [stream, continuation] = EventStream<T>::make();
    auto task = WorkerTask::make();
    continuation.onTermination([task](StreamTermination) { task->cancel(); });
    WorkerTask::launch(task, [continuation, body = std::move(body)](WorkerTask& self) {
        const std::function<void(T)> sink = [continuation](T event) {
            continuation.yield(std::move(event));
        };
        body(sink, self);
        continuation.finish();
    });
    return std::move(stream);
}

} // namespace tovr
