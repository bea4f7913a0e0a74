#pragma once

#include "platform/ProcessRunning.h"

#include <QString>

namespace tovr {

struct LoginShellResult {
    bool ok = false; // exit code 0 and some output
    QString output;  // standard output, trimmed
    bool operator==(const LoginShellResult&) const = default;
};

// Runs `command` with "/bin/zsh -lc", so the login shell's PATH applies, and waits for it.
// Standard error is ignored. A shell that cannot start gives (false, ""). Blocks; keep it
// off the GUI thread. Safe to call concurrently.
LoginShellResult runLoginShell(ProcessRunning& runner, const QString& command);

} // namespace tovr
