#pragma once

#include "platform/ProcessRunning.h"

#include <memory>
#include <mutex>

namespace tovr {

// The cancel latch of one worker run, shared by the worker's stream and the children it
// starts one after another: a cancel before, during or between children stops the current
// one and every later one. Its lock is always taken before a child handle's lock.
class CancellableProcess {
public:
    // Stops the run; any thread, any number of times.
    void cancel();
    // Makes `handle` the current child's; cancels it at once when the run was canceled.
    void registerHandle(std::shared_ptr<ProcessCancellation> handle);
    // Read before each attempt: a canceled run starts no further child.
    bool isCanceled() const;

private:
    mutable std::mutex lock_;
    std::shared_ptr<ProcessCancellation> current_;
    bool canceled_ = false;
};

// Runs one child to completion under `latch` (none: it cannot be canceled): a cancel before
// or during the run ends it, and the run returns what it printed and the signal's number.
// Throws SystemError when the child cannot start.
ProcessResult runUnderLatch(ProcessRunning& runner, const QString& executable,
                            const QStringList& arguments, CancellableProcess* latch);

} // namespace tovr
