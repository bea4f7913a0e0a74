#include "products/claude/ClaudeSetupVerifier.h"

#include "platform/SystemProfiler.h"
#include "products/claude/ClaudeVerifier.h"

namespace tovr {

// The profile may predate the installs, so the desktop app is looked for afresh.
SetupVerificationResult
ClaudeSetupVerifier::verify(const std::optional<SystemProfile>&, const ShellRunner& shell,
                            const std::shared_ptr<FileSystemOperating>& fs) const {
    SystemProfiler profiler{shell, fs};
    const bool desktopPresent = profiler.isAppInstalled(QStringLiteral("Claude.app"));
    return ClaudeVerifier{shell}.run(desktopPresent);
}

} // namespace tovr
