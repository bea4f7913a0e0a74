#include "shell/views/NextStepView.h"

#include "shell/NextStepModel.h"
#include "ui/views/ChoiceList.h"
#include "ui/views/ScreenScaffold.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

NextStepView::NextStepView(const ScreenContext& context, NextStepPrompt prompt, QWidget* parent)
    : QWidget(parent) {
    model_ = new NextStepModel(prompt, context.navigation, this);
    auto* scaffold = new ScreenScaffold({prompt.question, TextStyle::largeTitle, prompt.leadIn,
                                         std::nullopt, std::nullopt, std::nullopt},
                                        context.urlOpener, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    QList<ChoiceList::Choice> choices;
    for (const auto& option : prompt.options)
        choices.append(
            {option.key, option.label, QStringLiteral("next-step-option-") + option.key});
    options_ = new ChoiceList(choices, 6, content);
    connect(options_, &ChoiceList::chosen, model_, &NextStepModel::select);
    stack->addWidget(options_);
    continue_ = makeButton(QStringLiteral("Show next step"), ButtonRole::prominent,
                           QStringLiteral("next-step-continue"), content);
    markDefaultButton(continue_);
    connect(continue_, &QPushButton::clicked, model_, &NextStepModel::continueWithSelection);
    stack->addSpacing(8);
    stack->addWidget(continue_, 0, Qt::AlignLeft);
    scaffold->setContent(content);

    connect(model_, &NextStepModel::changed, this, &NextStepView::render);
    render();
}

void NextStepView::render() {
    options_->setSelectedKey(model_->selectedKey());
    continue_->setEnabled(model_->canContinue());
}

} // namespace tovr
