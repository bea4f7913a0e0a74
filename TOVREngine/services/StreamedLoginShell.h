#pragma once

#include "platform/CancellableProcess.h"
#include "platform/ProcessRunning.h"

#include <functional>

namespace tovr {

// Runs `command` with "/bin/zsh -lc" in the application's environment and hands every line
// of its combined output to `onLine` as it comes. Returns the exit code: -1 when the shell
// could not start (after the line "Failed to start: " and the reason), when it reported no
// code, or when `latch` was canceled before the start. Registering with `latch` lets the
// caller's cancel terminate the shell. Blocks; never throws.
qint32 runStreamedLoginShell(ProcessRunning& process, const QString& command,
                             const std::function<void(const QString&)>& onLine,
                             CancellableProcess* latch = nullptr);

} // namespace tovr
