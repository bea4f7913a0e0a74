#include "diagnosis/views/SimplifiedCompletionView.h"

#include "ui/views/BuildIntentPromptView.h"
#include "ui/views/NPSFeedbackCard.h"

#include "ui/views/ScreenScaffold.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

SimplifiedCompletionView::SimplifiedCompletionView(const ScreenContext& context,
                                                   SimplifiedCompletionModel* model,
                                                   QWidget* parent)
    : QWidget(parent), model_(model) {
    QVBoxLayout* stack = nullptr;
    fillWithScaffold(this,
                     {QStringLiteral("Java is working"), TextStyle::largeTitle,
                      QStringLiteral("You're all set."), std::nullopt, std::nullopt, std::nullopt},
                     context.urlOpener, &stack, 16);
    QWidget* content = stack->parentWidget();
    // The page is built when it comes on screen: the cards are shown then.
    addScoreCard(model_, context, content, stack);
    if (model_->showsBuildIntentPrompt()) {
        auto* prompt = new BuildIntentPromptView(content);
        stack->addWidget(prompt);
        connect(prompt, &BuildIntentPromptView::seeRecommendations, this, [this] {
            if (model_)
                model_->optIn();
        });
        model_->buildIntentPromptAppeared();
    }
    auto* done = makeButton(QString::fromUtf8("Done — back to home"), ButtonRole::prominent,
                            QString(), content);
    stack->addSpacing(8);
    stack->addWidget(done, 0, Qt::AlignLeft);
    connect(done, &QPushButton::clicked, this, [this] {
        if (model_)
            model_->finish();
    });
}

} // namespace tovr
