#include "workflow/views/NPSBody.h"

#include "telemetry/UsageEvent.h"
#include "ui/views/NPSFeedbackCard.h"
#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

NPSBody::NPSBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), context_(context), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);

    // Either report of the card means "Done" has nothing left to record.
    auto* card = new NPSFeedbackCard(context_, this);
    const auto resolved = [this] {
        if (model_)
            model_->setNpsResolved(true);
    };
    connect(card, &NPSFeedbackCard::submitted, this, resolved);
    connect(card, &NPSFeedbackCard::dismissed, this, resolved);
    layout->addWidget(card);

    auto* done = makeButton(tr("Done"), ButtonRole::prominent, QStringLiteral("nps-done"), this);
    markDefaultButton(done);
    connect(done, &QPushButton::clicked, this, &NPSBody::done);
    layout->addWidget(done);
    layout->addStretch(1);
}

void NPSBody::done() {
    if (model_ && !model_->npsResolved()) {
        sendUsageEvent({QStringLiteral("nps_dismissed"), {}});
        model_->setNpsResolved(true);
    }
    if (context_.navigation)
        context_.navigation->setPath({});
}

} // namespace tovr
