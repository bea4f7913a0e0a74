#pragma once

#include <memory>

#include "model/SetupVerificationResult.h"
#include "platform/FileSystemOperating.h"
#include "platform/ShellRunner.h"
#include "platform/SystemProfile.h"

#include <optional>

namespace tovr {

// Re-checks a product's tools after the primary installs. Never fails; a failed check is
// a result that has not passed. Blocks; safe to call from any thread.
class SetupVerifier {
public:
    virtual ~SetupVerifier() = default;
    virtual SetupVerificationResult
    verify(const std::optional<SystemProfile>& profile, const ShellRunner& shell,
           const std::shared_ptr<FileSystemOperating>& fs) const = 0;
};

} // namespace tovr
