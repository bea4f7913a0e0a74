#pragma once

#include "model/SpineRenderPolicy.h"
#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;

// The interstitial's content: its button ("paid-plan-continue", labelled as the product
// says), which moves the model on to `verifying`, and the optional disclosure below it.
class InterstitialBody : public QWidget {
    Q_OBJECT
public:
    InterstitialBody(const ScreenContext& context, SetupFlowModel* model,
                     SpineRenderPolicy::InterstitialScreen screen, QWidget* parent = nullptr);

private:
    void continueToVerifying();

    QPointer<SetupFlowModel> model_;
};

} // namespace tovr
