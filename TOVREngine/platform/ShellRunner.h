#pragma once

#include "platform/CancellableProcess.h"
#include "platform/EventStream.h"
#include "platform/ProcessRunning.h"
#include "platform/StreamEvent.h"
#include "platform/ToolLocations.h"

#include <memory>

namespace tovr {

// Runs the user's tools, as a rule "/bin/zsh" with "-lc" and a script, and reports one
// `output` per line of combined output, then `completed`. It adds no shell, flag or
// variable itself, and never yields `canceled`.
struct ShellRunner {
    std::shared_ptr<ProcessRunning> process;
    // Where the tools keep their files as this shell has it; null: the usual places.
    std::shared_ptr<ToolLocationsSource> locations = nullptr;

    // Blocks while the login shell is first asked: never on the GUI thread.
    ToolLocations toolLocations() const { return toolLocationsOf(locations); }

    // A child that cannot start gives "Failed to start <path>: <message>" and exit code -1.
    // Dropping the stream terminates the child.
    EventStream<StreamEvent>
    stream(const QString& executable, const QStringList& arguments,
           const std::optional<ProcessEnvironment>& environment = {}) const;

    // Runs `command` with "/bin/zsh -lc" to completion, so the login shell's PATH applies.
    // Throws SystemError when the shell cannot start. Cancelling `latch` ends the shell.
    ProcessResult runInLoginShell(const QString& command,
                                  CancellableProcess* latch = nullptr) const;

    // The executables named `tool` that the login shell finds, in PATH order (`which -a`);
    // empty when there are none or the shell cannot start.
    QStringList pathEntries(const QString& tool) const;
};

} // namespace tovr
