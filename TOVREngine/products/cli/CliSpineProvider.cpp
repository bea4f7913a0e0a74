#include "products/cli/CliSpineProvider.h"

#include "products/brew/BrewSpineProvider.h"

namespace tovr {

QList<SetupRemediation> CliSpineProvider::remediations(const QString& domainID,
                                                       const SystemProfile& profile,
                                                       const SetupProbeBundle& probes) const {
    return BrewSpineProvider().remediations(domainID, profile, probes);
}

std::optional<QList<WorkflowStep>> CliSpineProvider::spine(const std::optional<QString>& selector,
                                                           const SystemProfile& profile,
                                                           const SetupProbeBundle& probes) const {
    if (selector)
        return std::nullopt;
    QList<WorkflowStep> steps;
    auto add = [&](const char* domainID, DomainPlacement placement) {
        steps << BrewSpineProvider::step(*this, QString::fromLatin1(domainID), placement, profile,
                                         probes);
    };
    for (const char* id : {"clt", "shell-config", "homebrew", "warp"})
        add(id, DomainPlacement::primary);
    add("ai-claude", DomainPlacement::optional);
    if (profile.architecture != Architecture::intel)
        add("codex", DomainPlacement::optional);
    for (const char* id : {"project", "skills", "mcp", "editor", "languages", "agent-docs", "git"})
        add(id, DomainPlacement::optional);
    return steps;
}

} // namespace tovr
