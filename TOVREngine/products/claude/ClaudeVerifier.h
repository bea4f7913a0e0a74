#pragma once

#include "model/SetupVerificationResult.h"
#include "platform/ShellRunner.h"

#include <optional>

namespace tovr {

// Checks that the Claude Code CLI runs: `claude --version` in a login shell.
struct ClaudeVerifier {
    ShellRunner shell;

    // Never fails: a shell that cannot start counts as exit code -1 with no output.
    SetupVerificationResult run(bool desktopPresent) const;

    // Passed when the command exited 0 and printed something. `details` always say
    // whether Claude Desktop is present.
    static SetupVerificationResult makeResult(const QString& output, qint32 exitCode,
                                              bool desktopPresent);
    // The first word of the output when it starts with a digit, as "2.0.14 (Claude Code)"
    // does; absent for anything else, a leading warning included.
    static std::optional<QString> parseVersion(const QString& output);
};

} // namespace tovr
