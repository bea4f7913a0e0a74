#pragma once

#include "model/SpineRenderPolicy.h"
#include "workflow/ScreenContext.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;

// The bodies the closing frames of the setup workflow embed. Each renders the model in
// place and calls its actions; a body whose action ends the workflow empties the
// navigation path itself.

// The interstitial's content and its button, which moves the model on to `verifying`.
class InterstitialBody : public QWidget {
    Q_OBJECT
public:
    InterstitialBody(const ScreenContext& context, SetupFlowModel* model,
                     SpineRenderPolicy::InterstitialScreen screen, QWidget* parent = nullptr);

private:
    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
};

// The progress indicator and wording while the tools are checked again.
class VerifyingBody : public QWidget {
    Q_OBJECT
public:
    VerifyingBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);

private:
    QPointer<SetupFlowModel> model_;
};

// "Keep going" ("keep-going") and "Finish here" ("finish-here").
class KeepGoingButtons : public QWidget {
    Q_OBJECT
public:
    KeepGoingButtons(const ScreenContext& context, SetupFlowModel* model,
                     QWidget* parent = nullptr);

private:
    QPointer<SetupFlowModel> model_;
};

// The outcome checklist, the verifier's output, the apps to open and the two answers.
class OutcomeBody : public QWidget {
    Q_OBJECT
public:
    OutcomeBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);
    // The frame calls it when the verification result or the profile changes.
    void setVerification(bool passed, QList<SpineRenderPolicy::OpenableApp> apps);

private:
    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
};

// The recommendation-score card and "Done" ("nps-done").
class NPSBody : public QWidget {
    Q_OBJECT
public:
    NPSBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);

private:
    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
};

} // namespace tovr
