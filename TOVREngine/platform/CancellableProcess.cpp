#include "platform/CancellableProcess.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

void CancellableProcess::cancel() {
    std::shared_ptr<ProcessCancellation> current;
    {
        std::lock_guard guard(lock_);
        canceled_ = true;
        current = current_;
    }
    if (current)
        current->cancel();
}

void CancellableProcess::registerHandle(std::shared_ptr<ProcessCancellation> handle) {
    std::lock_guard guard(lock_);
    current_ = handle;
    if (canceled_ && handle)
        handle->cancel(); // latch lock, then handle lock: the one order
}

bool CancellableProcess::isCanceled() const {
    std::lock_guard guard(lock_);
    return canceled_;
}

ProcessResult runUnderLatch(ProcessRunning& runner, const QString& executable,
                            const QStringList& arguments, CancellableProcess* latch) {
    if (!latch)
        return runner.run(executable, arguments);
    auto handle = std::make_shared<LiveProcessCancellation>();
    latch->registerHandle(handle);
    return runner.runCancellable(executable, arguments, std::nullopt, handle);
}

} // namespace tovr
