#pragma once

#include "model/VerifyPolicy.h"

#include <QString>

namespace tovr {

// One fix shown as a row of a stage. Identified by `id`.
struct SetupAction {
    QString id;
    QString displayLabel;
    QString caption; // empty: no caption is shown
    VerifyPolicy verifyPolicy = VerifyPolicy::installCompletion;
    bool operator==(const SetupAction&) const = default;
};

} // namespace tovr
