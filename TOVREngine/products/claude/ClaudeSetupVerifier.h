#pragma once

#include "model/SetupVerifier.h"

namespace tovr {

// The Claude Code product's verifier, and the workflow's verifier for a product without
// one: the CLI must run; Claude Desktop is reported when present.
class ClaudeSetupVerifier final : public SetupVerifier {
public:
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const ShellRunner& shell,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace tovr
