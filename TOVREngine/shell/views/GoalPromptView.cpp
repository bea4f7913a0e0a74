#include "shell/views/GoalPromptView.h"

#include "model/ProductConfig.h"
#include "shell/GoalPromptModel.h"
#include "ui/views/ChoiceList.h"
#include "ui/views/Typography.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tovr {

GoalPromptView::GoalPromptView(GoalPromptModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    if (model->parent() == nullptr)
        model->setParent(this);
    const auto& prompt = model->prompt();
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(8);
    stack->addWidget(makeHeadingLabel(prompt.question, TextStyle::headline, this));
    auto* subcopy = makePlainLabel(prompt.subcopy, TextStyle::subheadline, this);
    applySecondaryStyle(subcopy);
    stack->addWidget(subcopy);

    QList<ChoiceList::Choice> choices;
    for (const auto& option : prompt.options)
        choices.append({option.key, option.label, QStringLiteral("goal-option-") + option.key});
    options_ = new ChoiceList(choices, 6, this);
    connect(options_, &ChoiceList::chosen, this, [this](const QString& key) {
        if (model_)
            model_->select(key);
    });
    options_->layout()->setContentsMargins(0, 4, 0, 0);
    stack->addWidget(options_);

    detailBox_ = new QWidget(this);
    auto* detail = new QVBoxLayout(detailBox_);
    detail->setContentsMargins(0, 2, 0, 0);
    detail->setSpacing(4);
    detailPrompt_ = makePlainLabel({}, TextStyle::caption, detailBox_);
    applySecondaryStyle(detailPrompt_);
    detail->addWidget(detailPrompt_);
    detailField_ = new QLineEdit(detailBox_);
    applyPlaceholderStyle(detailField_);
    detailField_->setObjectName("goal-detail-field");
    detailField_->setMaximumWidth(360);
    connect(detailField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (model_)
            model_->setDetail(text);
    });
    detail->addWidget(detailField_);
    stack->addWidget(detailBox_);

    continue_ = makeButton(ProductConfig::current().copy.primaryCTA, ButtonRole::prominent,
                           QStringLiteral("goal-continue"), this);
    markDefaultButton(continue_);
    connect(continue_, &QPushButton::clicked, this, [this] {
        if (model_)
            model_->submit();
    });
    stack->addSpacing(8);
    stack->addWidget(continue_, 0, Qt::AlignLeft);

    auto* footnote = makePlainLabel(
        QStringLiteral("Nothing changes on your Mac until you review and approve it."),
        TextStyle::footnote, this);
    applySecondaryStyle(footnote);
    stack->addWidget(footnote);

    connect(model, &GoalPromptModel::changed, this, &GoalPromptView::render);
    render();
}

void GoalPromptView::render() {
    if (!model_)
        return;
    options_->setSelectedKey(model_->selectedKey());
    const auto option = model_->selectedOption();
    const bool asks = option && option->detailPrompt;
    detailBox_->setVisible(asks);
    if (asks) {
        detailPrompt_->setText(*option->detailPrompt);
        detailField_->setPlaceholderText(*option->detailPrompt);
        detailField_->setAccessibleName(*option->detailPrompt);
    }
    if (detailField_->text() != model_->detail()) {
        const QSignalBlocker block(detailField_);
        const int cursor = std::min<int>(detailField_->cursorPosition(), model_->detail().size());
        detailField_->setText(model_->detail());
        detailField_->setCursorPosition(cursor);
    }
    continue_->setEnabled(model_->canContinue());
}

} // namespace tovr
