#include "products/brew/BrewSpineProvider.h"

#include "model/BasicSetupStage.h"
#include "model/ProductConfig.h"
#include "model/StageCatalog.h"
#include "products/brew/HomebrewInstallState.h"

namespace tovr {

namespace {

using Classification = SetupDiagnosisClassification;

SetupDiagnosis fromState(const SharedDomainCopy::State& state, Classification classification) {
    return {state.headline, state.detail, classification};
}

} // namespace

SetupDiagnosis BrewSpineProvider::domainDiagnosis(const QString& domainID,
                                                  const SystemProfile& profile,
                                                  const SetupProbeBundle& probes) {
    const SharedDomainCopy copy = ProductConfig::current().sharedDomainCopy;
    if (domainID == u"clt")
        return copy.cltDiagnosis(profile);
    if (domainID == u"homebrew") {
        const auto status =
            homebrewStatusCopy(copy, homebrewInstallState(profile.architecture, probes));
        return {status.headline, status.detail,
                status.needsAction ? Classification::fixable : Classification::ready};
    }
    if (domainID == u"warp") {
        return profile.terminals.warp || profile.aiTooling.warpApp
                   ? fromState(copy.warpReady, Classification::ready)
                   : fromState(copy.warpFixable, Classification::fixable);
    }
    if (auto diagnosis = stageDiagnosis(domainID, profile, probes))
        return *diagnosis;
    return {domainID, QString(), Classification::unknown};
}

std::optional<QList<SetupRemediation>>
BrewSpineProvider::sharedDomainRemediations(const QString& domainID, const SystemProfile& profile,
                                            const SetupProbeBundle& probes) {
    if (domainID == u"homebrew") {
        switch (homebrewInstallState(profile.architecture, probes)) {
        case HomebrewInstallState::ready:
        case HomebrewInstallState::installedTwice:
            return QList<SetupRemediation>{};
        case HomebrewInstallState::notOnPath:
            return QList<SetupRemediation>{SetupRemediation::repairHomebrewPath()};
        case HomebrewInstallState::wrongArchitecture:
        case HomebrewInstallState::notInstalled:
            return QList<SetupRemediation>{SetupRemediation::installHomebrew()};
        }
    }
    if (domainID == u"clt" || domainID == u"warp") {
        const bool fixable =
            domainDiagnosis(domainID, profile, probes).classification == Classification::fixable;
        if (!fixable)
            return QList<SetupRemediation>{};
        return QList<SetupRemediation>{domainID == u"clt"
                                           ? SetupRemediation::installCommandLineTools()
                                           : SetupRemediation::installWarp()};
    }
    return std::nullopt;
}

QList<SetupRemediation> BrewSpineProvider::remediations(const QString& domainID,
                                                        const SystemProfile& profile,
                                                        const SetupProbeBundle& probes) const {
    if (auto shared = sharedDomainRemediations(domainID, profile, probes))
        return *shared;
    return stageRemediations(domainID, profile, probes);
}

WorkflowStep BrewSpineProvider::step(const SpineProvider& provider, const QString& domainID,
                                     DomainPlacement placement, const SystemProfile& profile,
                                     const SetupProbeBundle& probes) {
    QList<SetupAction> actions;
    for (const auto& fix : provider.remediations(domainID, profile, probes))
        actions << fix.setupAction();
    return {std::make_shared<const BasicSetupStage>(
                domainID, domainDiagnosis(domainID, profile, probes), std::move(actions)),
            placement};
}

std::optional<QList<WorkflowStep>> BrewSpineProvider::spine(const std::optional<QString>& selector,
                                                            const SystemProfile& profile,
                                                            const SetupProbeBundle& probes) const {
    if (selector)
        return std::nullopt;
    QList<WorkflowStep> steps;
    auto add = [&](const char* domainID, DomainPlacement placement) {
        steps << step(*this, QString::fromLatin1(domainID), placement, profile, probes);
    };
    for (const char* id : {"clt", "homebrew", "warp"})
        add(id, DomainPlacement::primary);
    add("ai-claude", DomainPlacement::optional);
    if (profile.architecture != Architecture::intel)
        add("codex", DomainPlacement::optional);
    for (const char* id :
         {"project", "skills", "mcp", "editor", "shell-config", "languages", "agent-docs", "git"})
        add(id, DomainPlacement::optional);
    return steps;
}

} // namespace tovr
