#include "workflow/views/KeepGoingButtons.h"

#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace tovr {

KeepGoingButtons::KeepGoingButtons(const ScreenContext&, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* keepGoing =
        makeButton(tr("Keep going"), ButtonRole::prominent, QStringLiteral("keep-going"));
    auto* finish =
        makeButton(tr("Finish here"), ButtonRole::bordered, QStringLiteral("finish-here"));
    finish->setMinimumHeight(keepGoing->minimumHeight());
    connect(keepGoing, &QPushButton::clicked, this, &KeepGoingButtons::keepGoing);
    connect(finish, &QPushButton::clicked, this, &KeepGoingButtons::finishHere);
    layout->addWidget(keepGoing, 0, Qt::AlignVCenter);
    layout->addWidget(finish, 0, Qt::AlignVCenter);
    layout->addStretch(1);
}

// Both answers act only while the gate they were drawn on is still shown.
bool KeepGoingButtons::onGate() const {
    return model_ && model_->step().kind == SetupFlowModel::Step::Kind::keepGoingGate;
}

void KeepGoingButtons::keepGoing() {
    if (onGate())
        model_->advance(DomainPlacement::optional, SetupFlowModel::Step::outcome());
}

void KeepGoingButtons::finishHere() {
    if (onGate())
        model_->setStep(SetupFlowModel::Step::outcome());
}

} // namespace tovr
