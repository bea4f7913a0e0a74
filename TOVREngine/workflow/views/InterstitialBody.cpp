#include "workflow/views/InterstitialBody.h"

#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

InterstitialBody::InterstitialBody(const ScreenContext&, SetupFlowModel* model,
                                   SpineRenderPolicy::InterstitialScreen screen, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    // The label is the product's own text, shown as it stands.
    auto* button =
        makeButton(screen.buttonLabel, ButtonRole::prominent, QStringLiteral("paid-plan-continue"));
    connect(button, &QPushButton::clicked, this, &InterstitialBody::continueToVerifying);
    layout->addWidget(button);

    if (screen.disclosure) {
        auto* disclosure = makePlainLabel(*screen.disclosure, TextStyle::footnote);
        disclosure->setObjectName(QStringLiteral("interstitial-disclosure"));
        applySecondaryStyle(disclosure);
        layout->addWidget(disclosure);
    }
    layout->addStretch(1);
}

void InterstitialBody::continueToVerifying() {
    // Only from the interstitial the button was drawn on.
    if (model_ && model_->step().kind == SetupFlowModel::Step::Kind::interstitial)
        model_->setStep(SetupFlowModel::Step::verifying());
}

} // namespace tovr
