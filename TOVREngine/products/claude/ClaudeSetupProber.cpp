#include "products/claude/ClaudeSetupProber.h"

#include "products/claude/ClaudeProbes.h"

namespace tovr {

SetupProbeBundle ClaudeSetupProber::probe(const ShellRunner& shell,
                                          const std::shared_ptr<FileSystemOperating>& fs) const {
    return ClaudeProbes{shell, fs}.run();
}

} // namespace tovr
