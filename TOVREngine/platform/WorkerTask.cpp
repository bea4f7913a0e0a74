#include "platform/WorkerTask.h"

#include "platform/ChildProcessRegistry.h"
#include "platform/LiveProcessCancellation.h"

namespace tovr {

namespace {

// How the registry sees a task: terminating it cancels it, so shutdown ends the work
// before it joins the thread.
class TaskHandle final : public ChildProcess {
public:
    explicit TaskHandle(std::weak_ptr<WorkerTask> task) : task_(std::move(task)) {}
    bool isRunning() const override { return !task_.expired(); }
    void terminate() override {
        if (auto task = task_.lock())
            task->cancel();
    }

private:
    std::weak_ptr<WorkerTask> task_;
};

} // namespace

void WorkerTask::launch(const std::shared_ptr<WorkerTask>& task, Body body) {
    ChildProcessRegistry::shared().start(std::make_shared<TaskHandle>(task),
                                         [task, body = std::move(body)] { body(*task); });
}

void WorkerTask::cancel() {
    std::vector<std::function<void()>> actions;
    {
        std::lock_guard guard(lock_);
        if (canceled_)
            return;
        canceled_ = true;
        actions.swap(actions_);
    }
    wake_.notify_all();
    for (auto& action : actions)
        action();
}

bool WorkerTask::isCanceled() const {
    std::lock_guard guard(lock_);
    return canceled_;
}

void WorkerTask::onCancel(std::function<void()> action) {
    {
        std::lock_guard guard(lock_);
        if (!canceled_) {
            actions_.push_back(std::move(action));
            return;
        }
    }
    action();
}

bool WorkerTask::sleepFor(std::chrono::nanoseconds duration) {
    std::unique_lock guard(lock_);
    return !wake_.wait_for(guard, duration, [this] { return canceled_; });
}

} // namespace tovr
