#pragma once

#include "model/SetupRemediation.h"

#include <QList>
#include <QPointer>
#include <QString>

namespace tovr {

class SetupFlowModel;
struct SetupSelections;

// What every part of a stage body works on: the workflow's model, the workflow screen's
// selections and the stage's domain. The selections outlive every stage body.
struct StageScope {
    QPointer<SetupFlowModel> model;
    SetupSelections* selections = nullptr;
    QString domainID;

    // The stage is on screen, not being re-probed, and no install is pending.
    bool canAct() const;
    // Presents the install sheet for this stage; false when the model refused it.
    bool requestInstall(QString id, QString title, QList<SetupRemediation> fixes,
                        bool continuesPastFailure) const;
};

} // namespace tovr
