#include "ui/views/BuildIntentPromptView.h"

#include "ui/views/Typography.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

BuildIntentPromptView::BuildIntentPromptView(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("completion-build-intent-prompt"));
    applySurface(this, Surface::card);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(8);
    stack->addWidget(makeHeadingLabel(QStringLiteral("Want to build software on this Mac?"),
                                      TextStyle::headline, this));
    auto* line = makePlainLabel(QStringLiteral("Whether starting out or setting up a new Mac, "
                                               "we'll check if you have everything you need."),
                                TextStyle::subheadline, this);
    applySecondaryStyle(line);
    stack->addWidget(line);
    auto* button = makeButton(QStringLiteral("See recommendations →"), ButtonRole::bordered,
                              QStringLiteral("completion-build-intent-optin"), this);
    connect(button, &QPushButton::clicked, this, &BuildIntentPromptView::seeRecommendations);
    stack->addWidget(button, 0, Qt::AlignLeft);
}

} // namespace tovr
