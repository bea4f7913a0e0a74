#pragma once

#include "platform/CancellableProcess.h"
#include "platform/ProcessRunning.h"

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// Runs one command in the user's login shell ("/bin/zsh -lc"), so the PATH of their
// start-up files applies and a tool installed by an earlier command is found.
struct LoginShellStep {
    std::shared_ptr<ProcessRunning> process;
    // The child's whole environment; absent: the application's own.
    std::optional<ProcessEnvironment> environment = {};
    QString shell = QStringLiteral("/bin/zsh");

    // Blocks until the command ends, handing each output line to `onLine` as it comes. The
    // child registers with `latch`, so cancelling the run ends it. Returns the exit code,
    // or -1 when the child reported none or could not start (after the line
    // "Failed to start: " and the reason).
    qint32 run(const QString& command, CancellableProcess& latch,
               const std::function<void(const QString&)>& onLine) const;
};

} // namespace tovr
