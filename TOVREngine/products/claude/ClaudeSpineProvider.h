#pragma once

#include "model/SetupDiagnosis.h"
#include "model/SpineProvider.h"

#include <QStringList>

namespace tovr {

// The Claude Code product's step list, and the workflow's step list for a product that
// has none or answers none.
class ClaudeSpineProvider final : public SpineProvider {
public:
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>& selector,
                                             const SystemProfile& profile,
                                             const SetupProbeBundle& probes) const override;
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;

    // Five primary tools, ChatGPT (not on Intel Macs), three offers and five optional
    // stages: 14 steps, 13 on an Intel Mac.
    static QList<WorkflowStep> spine(const SystemProfile& profile, const SetupProbeBundle& probes);
    // "clt", "homebrew", "claude-cli", "warp" and "claude-desktop".
    static QList<WorkflowStep> primarySteps(const SystemProfile& profile,
                                            const SetupProbeBundle& probes);
    // Absent for a domain the product does not have.
    static std::optional<SetupDiagnosis> diagnosis(const QString& domainID,
                                                   const SystemProfile& profile,
                                                   const SetupProbeBundle& probes);
    static SetupDiagnosis cliStatus(const SystemProfile& profile, const SetupProbeBundle& probes);
    static SetupDiagnosis desktopStatus(const SystemProfile& profile);

    // Every place a `claude` was found, on PATH or installed, each once, sorted.
    static QStringList knownClaudeLocations(const SetupProbeBundle& probes);
};

// The render policy's hook for a stage shown as blocked: reports how many `claude`
// installs conflict when that stage is the CLI's. Returns at once.
void claudeConflictEvent(const QString& domainID, const SetupProbeBundle& probes);

} // namespace tovr
