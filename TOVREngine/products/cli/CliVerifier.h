#pragma once

#include "model/SetupVerifier.h"

namespace tovr {

// Re-checks the command line after the primary installs: an active developer folder, then
// a working git, each in a login shell.
class CliVerifier final : public SetupVerifier {
public:
    SetupVerificationResult verify(const std::optional<SystemProfile>& profile,
                                   const ShellRunner& shell,
                                   const std::shared_ptr<FileSystemOperating>& fs) const override;
};

} // namespace tovr
