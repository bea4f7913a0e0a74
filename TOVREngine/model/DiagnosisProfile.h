#pragma once

#include "model/Diagnosis.h"
#include "platform/ProbeBundle.h"

namespace tovr {

// How a product judges the Mac's Java findings. Synchronous; never fails.
class DiagnosisProfile {
public:
    virtual ~DiagnosisProfile() = default;
    virtual Diagnosis diagnose(const ProbeBundle& bundle) const = 0;
};

// The profile of the products that do not diagnose Java.
class InertDiagnosisProfile final : public DiagnosisProfile {
public:
    Diagnosis diagnose(const ProbeBundle&) const override { return Diagnosis::noErrorsFound(); }
};

} // namespace tovr
