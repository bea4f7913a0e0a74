#include "shell/views/NextStepView.h"

#include "shell/NextStepModel.h"
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
    auto* options = new QVBoxLayout;
    options->setSpacing(6);
    for (const auto& option : prompt.options) {
        auto* row = makeButton(option.label, ButtonRole::borderless,
                               QStringLiteral("next-step-option-") + option.key, content);
        row->setCheckable(true);
        row->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const QString key = option.key;
        connect(row, &QPushButton::clicked, this, [this, key] { model_->select(key); });
        rows_.append({option.key, row});
        labels_.insert(row, option.label);
        options->addWidget(row);
    }
    stack->addLayout(options);
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
    const auto selected = model_->selectedKey();
    for (const auto& [key, row] : rows_) {
        const bool chosen = selected && *selected == key;
        row->setChecked(chosen);
        row->setText((chosen ? QStringLiteral("◉  ") : QStringLiteral("○  ")) + labels_.value(row));
    }
    continue_->setEnabled(model_->canContinue());
}

} // namespace tovr
