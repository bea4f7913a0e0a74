#include "services/FixTask.h"

#include "platform/ChildProcessRegistry.h"
#include "platform/LiveProcessCancellation.h"

#include <atomic>

namespace tovr {

namespace {

// The registry stops what it tracks through ChildProcess; for a worker thread that means
// cancelling the run's latch.
class FixTaskHandle final : public ChildProcess {
public:
    explicit FixTaskHandle(std::shared_ptr<CancellableProcess> latch) : latch_(std::move(latch)) {}
    bool isRunning() const override { return running_.load(); }
    void terminate() override { latch_->cancel(); }
    void markEnded() { running_.store(false); }

private:
    std::shared_ptr<CancellableProcess> latch_;
    std::atomic<bool> running_{true};
};

} // namespace

void startFixTask(std::shared_ptr<CancellableProcess> latch, std::function<void()> body) {
    auto handle = std::make_shared<FixTaskHandle>(std::move(latch));
    ChildProcessRegistry::shared().start(handle, [handle, body = std::move(body)] {
        body();
        handle->markEnded();
    });
}

} // namespace tovr
