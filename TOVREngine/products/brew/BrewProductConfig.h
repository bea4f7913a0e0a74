#pragma once

#include "model/ProductConfig.h"

namespace tovr {

// The Homebrew product, carried beside the command-line product; made once, on first use.
const ProductConfig& brewProduct();

// The Homebrew product's policy; the command-line product's starts from it.
const SpineRenderPolicy& brewSpinePolicy();

// Outcome hooks shared by the Homebrew and command-line products: the AI apps the outcome
// screen offers to open, and the user's answer to the outcome question.
QList<SpineRenderPolicy::OpenableApp>
brewOpenableApps(const std::optional<SystemProfile>& profile,
                 const std::optional<SetupVerificationResult>& result);
void brewOutcomeReported(const std::optional<QString>& engineOutcome, const QString& answer);

} // namespace tovr
