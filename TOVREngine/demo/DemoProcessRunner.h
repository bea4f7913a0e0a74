#pragma once

#include "demo/DemoShell.h"
#include "platform/ProcessRunning.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace tovr {

// The demo Mac's ProcessRunning: every command is answered by DemoShell, nothing runs on
// the host. A streamed install prints its lines over a few seconds on a thread that
// ChildProcessRegistry owns, and changes the Mac only when it completes; cancelling it, or
// dropping its stream, ends it at once with nothing installed.
class DemoProcessRunner final : public ProcessRunning {
public:
    struct Pace {
        // The wait before each paced line of an install (tests use zero).
        std::chrono::milliseconds lineDelay{300};
        // How long every command takes; a Mac answers the profile's queries in a few ms.
        std::chrono::milliseconds commandDelay{0};
    };

    explicit DemoProcessRunner(std::shared_ptr<SandboxFileSystem> fs, Pace pace);

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment = {}) override;
    EventStream<ProcessStreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment,
           std::shared_ptr<LiveProcessCancellation> cancellation) override;

private:
    // Applies a completed command's changes, one command at a time.
    static void apply(const DemoReply& reply, std::mutex& lock);

    DemoShell shell_;
    Pace pace_;
    // Shared with the stream threads, which may outlive the runner.
    std::shared_ptr<std::mutex> effectsLock_ = std::make_shared<std::mutex>();
};

} // namespace tovr
