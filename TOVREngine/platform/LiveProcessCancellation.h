#pragma once

#include "platform/ProcessRunning.h"

#include <memory>
#include <mutex>

namespace tovr {

// A launched child as its cancellation handle sees it.
class ChildProcess {
public:
    virtual ~ChildProcess() = default;
    virtual bool isRunning() const = 0;
    // Asks the child (and what it started) to end. Safe after the child has ended.
    virtual void terminate() = 0;
};

// Guards one streamed child: a cancel that comes before the launch is remembered and ends
// the child the moment it is attached.
class LiveProcessCancellation final : public ProcessCancellation {
public:
    void cancel() override;
    // Takes the launched child; terminates it at once when the handle was canceled before.
    void attach(std::shared_ptr<ChildProcess> process);
    bool isCanceled() const;

private:
    mutable std::mutex lock_;
    std::shared_ptr<ChildProcess> process_;
    bool canceled_ = false;
};

} // namespace tovr
