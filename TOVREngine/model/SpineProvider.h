#pragma once

#include "model/SetupProbeBundle.h"
#include "model/SetupRemediation.h"
#include "model/SetupWorkflow.h"
#include "platform/SystemProfile.h"

#include <QList>
#include <QString>

#include <optional>

namespace tovr {

// Builds a product's step list and says which fixes each of its stages offers.
class SpineProvider {
public:
    virtual ~SpineProvider() = default;
    // The product's full step list when no selector is given. Every product answers
    // absent for a selector; the workflow then falls back to the Claude Code steps.
    virtual std::optional<QList<WorkflowStep>> spine(const std::optional<QString>& selector,
                                                     const SystemProfile& profile,
                                                     const SetupProbeBundle& probes) const = 0;
    // The fixes offered for a domain, in display order.
    virtual QList<SetupRemediation> remediations(const QString& domainID,
                                                 const SystemProfile& profile,
                                                 const SetupProbeBundle& probes) const = 0;
};

} // namespace tovr
