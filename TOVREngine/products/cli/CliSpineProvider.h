#pragma once

#include "model/SpineProvider.h"

namespace tovr {

// The command-line product's steps: four primary domains, then the optional ones.
class CliSpineProvider final : public SpineProvider {
public:
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>& selector,
                                             const SystemProfile& profile,
                                             const SetupProbeBundle& probes) const override;
    QList<SetupRemediation> remediations(const QString& domainID, const SystemProfile& profile,
                                         const SetupProbeBundle& probes) const override;
};

} // namespace tovr
