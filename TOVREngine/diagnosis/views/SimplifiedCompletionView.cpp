#include "diagnosis/views/SimplifiedCompletionView.h"

#include "workflow/views/ScreenScaffold.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

SimplifiedCompletionView::SimplifiedCompletionView(const ScreenContext& context,
                                                   SimplifiedCompletionModel* model,
                                                   QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* scaffold = new ScreenScaffold({QStringLiteral("Java is working"), TextStyle::largeTitle,
                                         QStringLiteral("You're all set."), std::nullopt,
                                         std::nullopt, std::nullopt},
                                        context.urlOpener, this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scaffold);

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(16);
    // The score card and the build-intent card go here, in that order, once they are in the
    // tree: the score card while `showsCard()` (`cardAppeared()` when it comes on screen, its
    // `submitted` to `cardSubmitted()`); the build-intent card while
    // `showsBuildIntentPrompt()` (`buildIntentPromptAppeared()`, its button to `optIn()`).
    auto* done = makeButton(QString::fromUtf8("Done — back to home"), ButtonRole::prominent,
                            QString(), content);
    stack->addSpacing(8);
    stack->addWidget(done, 0, Qt::AlignLeft);
    scaffold->setContent(content);
    connect(done, &QPushButton::clicked, this, [this] {
        if (model_)
            model_->finish();
    });
}

} // namespace tovr
