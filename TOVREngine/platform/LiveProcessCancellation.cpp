#include "platform/LiveProcessCancellation.h"

namespace tovr {

void LiveProcessCancellation::cancel() {
    std::lock_guard guard(lock_);
    canceled_ = true;
    if (process_ && process_->isRunning())
        process_->terminate();
}

void LiveProcessCancellation::attach(std::shared_ptr<ChildProcess> process) {
    std::lock_guard guard(lock_);
    if (canceled_ && process)
        process->terminate();
    process_ = std::move(process);
}

bool LiveProcessCancellation::isCanceled() const {
    std::lock_guard guard(lock_);
    return canceled_;
}

} // namespace tovr
