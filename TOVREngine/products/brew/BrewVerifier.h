#pragma once

#include "model/SetupVerifier.h"

namespace tovr {

// Re-checks Homebrew after the primary installs: `brew --version` in a login shell.
class BrewVerifier final : public SetupVerifier {
public:
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const ShellRunner& shell,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace tovr
