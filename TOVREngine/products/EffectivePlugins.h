#pragma once

#include "model/ProductConfig.h"

#include <memory>

namespace tovr {

// The plug-ins the setup workflow runs for a product: the product's own, and the Claude
// Code product's wherever the product leaves one out. Never null.
struct EffectivePlugins {
    std::shared_ptr<const SetupProber> prober;
    std::shared_ptr<const SpineProvider> spineProvider;
    std::shared_ptr<const SetupVerifier> verifier;
    std::shared_ptr<const SpineCopyProviding> spineCopy;
    std::shared_ptr<const StageCatalogProviding> stageCatalog;

    // The provider's full step list, or the Claude Code steps when it answers none.
    QList<WorkflowStep> spine(const SystemProfile& profile, const SetupProbeBundle& probes) const;
};

EffectivePlugins resolvePlugins(const ProductConfig& config);

} // namespace tovr
