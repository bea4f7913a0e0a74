#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The Claude Code product, carried beside the command-line product; made once, on first use.
const ProductConfig& claudeProduct();

// Its policy; made once, on first use.
const SpineRenderPolicy& claudeSpinePolicy();

// The apps its outcome offers: Claude Desktop first, also when only the verifier saw it; the
// other apps only with a profile.
QList<SpineRenderPolicy::OpenableApp>
claudeOpenableApps(const std::optional<SystemProfile>& profile,
                   const std::optional<SetupVerificationResult>& result);

} // namespace tovr
