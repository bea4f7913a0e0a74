#pragma once

#include "model/OfferRoute.h"
#include "model/Outcome.h"

#include <QList>
#include <QString>

namespace tovr {

// One answer to the next-step question; identified by its key.
struct NextStepOption {
    QString key;
    QString label;
    Outcome outcome;
    OfferRoute offer;

    const QString& id() const { return key; }
};

// The question a product may ask after a diagnosis.
struct NextStepPrompt {
    QString question;
    QString leadIn;
    QString surface; // sent with the usage event of the choice
    QList<NextStepOption> options;
};

} // namespace tovr
