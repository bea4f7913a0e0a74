#include "products/EffectivePlugins.h"

#include "model/ClaudeStageCatalog.h"
#include "products/claude/ClaudeSetupProber.h"
#include "products/claude/ClaudeSetupVerifier.h"
#include "products/claude/ClaudeSpineCopyProvider.h"
#include "products/claude/ClaudeSpineProvider.h"

namespace tovr {

namespace {

template <class Plugin, class Fallback>
std::shared_ptr<const Plugin> orFallback(const std::shared_ptr<const Plugin>& plugin) {
    // Stateless, so one of each serves every product and thread.
    static const std::shared_ptr<const Plugin> fallback = std::make_shared<const Fallback>();
    return plugin ? plugin : fallback;
}

} // namespace

EffectivePlugins resolvePlugins(const ProductConfig& config) {
    return {
        orFallback<SetupProber, ClaudeSetupProber>(config.prober),
        orFallback<SpineProvider, ClaudeSpineProvider>(config.spineProvider),
        orFallback<SetupVerifier, ClaudeSetupVerifier>(config.verifier),
        orFallback<SpineCopyProviding, ClaudeSpineCopyProvider>(config.spineCopy),
        orFallback<StageCatalogProviding, ClaudeStageCatalog>(config.stageCatalog),
    };
}

QList<WorkflowStep> EffectivePlugins::spine(const SystemProfile& profile,
                                            const SetupProbeBundle& probes) const {
    if (auto steps = spineProvider->spine(std::nullopt, profile, probes))
        return *steps;
    return ClaudeSpineProvider::spine(profile, probes);
}

} // namespace tovr
