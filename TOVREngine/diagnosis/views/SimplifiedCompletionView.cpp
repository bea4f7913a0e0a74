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
    // The score card (while `showsCard()`) and the build-intent card (while
    // `showsBuildIntentPrompt()`) go here, in that order, when they are in the tree.
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
