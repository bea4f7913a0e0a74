#pragma once

#include "model/SetupAction.h"
#include "model/SetupDiagnosis.h"

#include <QList>
#include <QString>

namespace tovr {

// One stage of the setup workflow: a domain, its verdict and the fixes it offers.
class SetupStage {
public:
    virtual ~SetupStage() = default;
    virtual QString domainID() const = 0;
    virtual SetupDiagnosis diagnosis() const = 0;
    virtual QList<SetupAction> actions() const = 0;
};

} // namespace tovr
