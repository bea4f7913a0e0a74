#pragma once

#include "model/DiagnosisProfile.h"

namespace tovr {

// The Java product's judgement: is a modern JDK installed, and does JAVA_HOME name it?
class JavaProfile final : public DiagnosisProfile {
public:
    Diagnosis diagnose(const ProbeBundle& bundle) const override;
};

} // namespace tovr
