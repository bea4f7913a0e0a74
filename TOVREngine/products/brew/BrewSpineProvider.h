#pragma once

#include "model/SetupDiagnosis.h"
#include "model/SpineProvider.h"

#include <QList>

namespace tovr {

// The Homebrew product's step list: Command Line Tools, Homebrew and Warp first, then the
// optional stages. Its judgement of the "clt", "homebrew" and "warp" domains is shared with
// the command-line product.
class BrewSpineProvider final : public SpineProvider {
public:
    // 13 steps, or 12 on an Intel Mac, which gets no "codex" step.
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>& selector,
                                             const SystemProfile& profile,
                                             const SetupProbeBundle& probes) const override;
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;

    // The diagnosis of any domain for both products' step lists, worded with the running
    // product's shared domain copy.
    static SetupDiagnosis domainDiagnosis(const QString& domainID, const SystemProfile& profile,
                                          const SetupProbeBundle& probes);

    // The fixes of "homebrew", "clt" and "warp"; absent for every other domain.
    static std::optional<QList<SetupRemediation>>
    sharedDomainRemediations(const QString& domainID, const SystemProfile& profile,
                             const SetupProbeBundle& probes);

    // A stage of a domain judged by `domainDiagnosis`, with the provider's fixes as rows.
    static WorkflowStep step(const SpineProvider& provider, const QString& domainID,
                             DomainPlacement placement, const SystemProfile& profile,
                             const SetupProbeBundle& probes);
};

} // namespace tovr
