#include "products/cli/CliSpineProvider.h"

#include "model/BasicSetupStage.h"
#include "model/StageCatalog.h"
#include "products/brew/BrewSpineProvider.h"

namespace tovr {

QList<SetupRemediation> CliSpineProvider::remediations(const QString& domainID,
                                                       const SystemProfile& profile,
                                                       const SetupProbeBundle& probes) const {
    if (auto shared = BrewSpineProvider::sharedDomainRemediations(domainID, profile, probes))
        return *shared;
    return stageRemediations(domainID, profile, probes);
}

std::optional<QList<WorkflowStep>> CliSpineProvider::spine(const std::optional<QString>& selector,
                                                           const SystemProfile& profile,
                                                           const SetupProbeBundle& probes) const {
    if (selector)
        return std::nullopt;
    QList<WorkflowStep> steps;
    auto add = [&](const QString& domainID, DomainPlacement placement) {
        QList<SetupAction> actions;
        for (const auto& fix : remediations(domainID, profile, probes))
            actions << fix.setupAction();
        steps << WorkflowStep{
            std::make_shared<const BasicSetupStage>(
                domainID, BrewSpineProvider::domainDiagnosis(domainID, profile, probes), actions),
            placement};
    };
    for (const char* id : {"clt", "shell-config", "homebrew", "warp"})
        add(QString::fromLatin1(id), DomainPlacement::primary);
    add(QStringLiteral("ai-claude"), DomainPlacement::optional);
    if (profile.architecture != Architecture::intel)
        add(QStringLiteral("codex"), DomainPlacement::optional);
    for (const char* id : {"project", "skills", "mcp", "editor", "languages", "agent-docs", "git"})
        add(QString::fromLatin1(id), DomainPlacement::optional);
    return steps;
}

} // namespace tovr
