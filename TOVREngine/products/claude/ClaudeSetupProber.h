#pragma once

#include "model/SetupProber.h"

namespace tovr {

// The Claude Code product's prober, and the workflow's prober for a product without one.
class ClaudeSetupProber final : public SetupProber {
public:
    SetupProbeBundle probe(const ShellRunner& shell,
                           const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace tovr
