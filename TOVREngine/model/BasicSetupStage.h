#pragma once

#include "model/SetupStage.h"

namespace tovr {

// A stage that returns what it was made with.
class BasicSetupStage final : public SetupStage {
public:
    BasicSetupStage(QString domainID, SetupDiagnosis diagnosis, QList<SetupAction> actions = {})
        : domainID_(std::move(domainID)), diagnosis_(std::move(diagnosis)),
          actions_(std::move(actions)) {}

    QString domainID() const override { return domainID_; }
    SetupDiagnosis diagnosis() const override { return diagnosis_; }
    QList<SetupAction> actions() const override { return actions_; }

    bool operator==(const BasicSetupStage& other) const {
        return domainID_ == other.domainID_ && diagnosis_ == other.diagnosis_ &&
               actions_ == other.actions_;
    }

private:
    QString domainID_;
    SetupDiagnosis diagnosis_;
    QList<SetupAction> actions_;
};

} // namespace tovr
