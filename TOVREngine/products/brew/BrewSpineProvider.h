#pragma once

#include "model/SetupDiagnosis.h"
#include "model/SetupProbeBundle.h"
#include "model/SetupRemediation.h"
#include "platform/SystemProfile.h"

#include <QList>

namespace tovr {

// The Homebrew product's step list. Its judgement of the "clt", "homebrew" and "warp"
// domains is shared with the command-line product.
class BrewSpineProvider {
public:
    // The diagnosis of any domain for both products' step lists, worded with the running
    // product's shared domain copy.
    static SetupDiagnosis domainDiagnosis(const QString& domainID, const SystemProfile& profile,
                                          const SetupProbeBundle& probes);

    // The fixes of "homebrew", "clt" and "warp"; absent for every other domain.
    static std::optional<QList<SetupRemediation>>
    sharedDomainRemediations(const QString& domainID, const SystemProfile& profile,
                             const SetupProbeBundle& probes);
};

} // namespace tovr
