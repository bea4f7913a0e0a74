#pragma once

#include "platform/CancellableProcess.h"
#include "platform/HTTPFetching.h"
#include "platform/WorkerTask.h"

#include <memory>

namespace tovr {

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

} // namespace tovr
