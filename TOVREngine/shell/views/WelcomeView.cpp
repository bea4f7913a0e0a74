#include "shell/views/WelcomeView.h"

#include "model/ProductConfig.h"
#include "shell/GoalPromptModel.h"
#include "shell/WelcomeModel.h"
#include "shell/views/GoalPromptView.h"
#include "ui/views/ScreenScaffold.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

WelcomeView::WelcomeView(const ScreenContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    const ProductConfig product = ProductConfig::current();
    auto* scaffold = new ScreenScaffold({product.copy.welcomeHeadline.value_or(product.displayName),
                                         TextStyle::largeTitle, product.copy.welcomeExplainer,
                                         std::nullopt, std::nullopt, std::nullopt},
                                        context_.urlOpener, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);

    if (product.goalPrompt) {
        auto* model = new GoalPromptModel(
            *product.goalPrompt,
            [navigation = context_.navigation](const QString& key) {
                if (navigation)
                    WelcomeModel::answerGoal(*navigation, key);
            },
            this);
        scaffold->setContent(new GoalPromptView(model));
        return;
    }
    auto* content = new QWidget;
    auto* row = new QVBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    auto* button = makeButton(product.copy.primaryCTA, ButtonRole::prominent,
                              QStringLiteral("welcome-diagnose-button"), content);
    connect(button, &QPushButton::clicked, this, [this] {
        if (context_.navigation)
            WelcomeModel::start(*context_.navigation);
    });
    row->addWidget(button, 0, Qt::AlignLeft);
    scaffold->setContent(content);
}

} // namespace tovr
