#include "ui/views/NPSFeedbackCard.h"

#include "model/ProductConfig.h"
#include "ui/views/Typography.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tovr {

NPSFeedbackCard::NPSFeedbackCard(const ScreenContext& context, QWidget* parent,
                                 std::chrono::milliseconds thanksDelay)
    : QFrame(parent) {
    setObjectName(QStringLiteral("nps-card"));
    applySurface(this, Surface::card);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    model_ = new NPSFeedbackCardModel(context.userDefaults, thanksDelay, this);

    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(14);

    addHeader(stack);
    addScores(stack);
    addReason(stack);
    addThanks(stack);

    connect(model_, &NPSFeedbackCardModel::changed, this, &NPSFeedbackCard::render);
    connect(model_, &NPSFeedbackCardModel::submitted, this, &NPSFeedbackCard::submitted);
    connect(model_, &NPSFeedbackCardModel::dismissed, this, &NPSFeedbackCard::dismissed);
    render();
}

// The heading, the Dismiss button beside it and the question.
void NPSFeedbackCard::addHeader(QVBoxLayout* stack) {
    auto* header = new QHBoxLayout;
    auto* heading =
        makeHeadingLabel(QStringLiteral("How are we doing?"), TextStyle::headline, this);
    header->addWidget(heading, 1);
    auto* dismiss = makeButton(QStringLiteral("Dismiss"), ButtonRole::borderless,
                               QStringLiteral("nps-dismiss"), this);
    applyTextStyle(dismiss, TextStyle::footnote);
    connect(dismiss, &QPushButton::clicked, model_, &NPSFeedbackCardModel::dismiss);
    header->addWidget(dismiss, 0, Qt::AlignTop);
    stack->addLayout(header);

    stack->addWidget(makePlainLabel(QStringLiteral("How likely are you to recommend ") +
                                        ProductConfig::current().displayName +
                                        QStringLiteral(" to a friend or colleague?"),
                                    TextStyle::callout, this));
}

void NPSFeedbackCard::addScores(QVBoxLayout* stack) {
    auto* scoreRow = new QHBoxLayout;
    scoreRow->setSpacing(4);
    // One choice of eleven: a screen reader hears each score as a radio button, the chosen
    // one as selected, and the ends of the scale with their words.
    scoreGroup_ = new QButtonGroup(this);
    scoreGroup_->setExclusive(true);
    for (int n = 0; n <= 10; ++n) {
        auto* cell = makeButton(QString::number(n), ButtonRole::score,
                                QStringLiteral("nps-score-%1").arg(n), this);
        cell->setFixedSize(30, 30);
        cell->setAutoExclusive(true); // the radio-button role; the group keeps one chosen
        scoreGroup_->addButton(cell, n);
        applyTextStyle(cell, TextStyle::callout);
        connect(cell, &QPushButton::toggled, this, [this, n](bool on) { scoreToggled(n, on); });
        scoreRow->addWidget(cell);
        scores_.append(cell);
    }
    scores_.first()->setAccessibleDescription(QStringLiteral("Not at all likely"));
    scores_.last()->setAccessibleDescription(QStringLiteral("Extremely likely"));
    scoreRow->addStretch();
    stack->addLayout(scoreRow);

    auto* scale = new QHBoxLayout;
    auto* low = makePlainLabel(QStringLiteral("Not at all likely"), TextStyle::caption, this);
    auto* high = makePlainLabel(QStringLiteral("Extremely likely"), TextStyle::caption, this);
    high->setAlignment(Qt::AlignRight);
    applySecondaryStyle(low);
    applySecondaryStyle(high);
    scale->addWidget(low);
    scale->addWidget(high);
    stack->addLayout(scale);
}

void NPSFeedbackCard::addReason(QVBoxLayout* stack) {
    reasonArea_ = new QWidget(this);
    auto* reasonStack = new QVBoxLayout(reasonArea_);
    reasonStack->setContentsMargins(0, 4, 0, 0);
    reasonStack->setSpacing(6);
    auto* reasonLabel =
        makePlainLabel(QStringLiteral("What's the main reason for your score? (optional)"),
                       TextStyle::caption, reasonArea_);
    applySecondaryStyle(reasonLabel);
    reasonStack->addWidget(reasonLabel);
    reason_ = new QPlainTextEdit(reasonArea_);
    reason_->setObjectName(QStringLiteral("nps-reason"));
    reason_->setAccessibleName(QStringLiteral("What's the main reason for your score?"));
    reason_->setTabChangesFocus(true);
    reason_->setMinimumHeight(60);
    reason_->setMaximumHeight(90);
    applyTextStyle(reason_, TextStyle::callout);
    connect(reason_, &QPlainTextEdit::textChanged, model_,
            [this] { model_->setReasonText(reason_->toPlainText()); });
    reasonStack->addWidget(reason_);
    auto* submit = makeButton(QStringLiteral("Submit feedback"), ButtonRole::prominent,
                              QStringLiteral("nps-submit"), reasonArea_);
    connect(submit, &QPushButton::clicked, model_, &NPSFeedbackCardModel::submit);
    reasonStack->addWidget(submit, 0, Qt::AlignRight);
    stack->addWidget(reasonArea_);
}

void NPSFeedbackCard::addThanks(QVBoxLayout* stack) {
    thanksRow_ = new QWidget(this);
    auto* thanks = new QHBoxLayout(thanksRow_);
    thanks->setContentsMargins(0, 4, 0, 0);
    thanks->setSpacing(6);
    auto* check = new QLabel(QStringLiteral("✓"), thanksRow_);
    check->setAccessibleName(QStringLiteral("Sent"));
    QFont bold = check->font();
    bold.setWeight(QFont::DemiBold);
    check->setFont(bold);
    applyTone(check, Tone::success);
    thanks->addWidget(check);
    thanks->addWidget(
        makePlainLabel(QStringLiteral("Thanks for the feedback."), TextStyle::callout, thanksRow_),
        1);
    stack->addWidget(thanksRow_);
}

void NPSFeedbackCard::scoreToggled(int score, bool checked) {
    if (checked)
        model_->selectScore(score);
    else if (std::any_of(scores_.cbegin(), scores_.cend(),
                         [](const QPushButton* cell) { return cell->isChecked(); }))
        return; // another score took its place and brings the model's choice with it
    render();
}

void NPSFeedbackCard::render() {
    if (model_->didDismiss()) {
        hide();
        return;
    }
    const auto score = model_->score();
    // Once sent, the scores are spent: none is marked and none can be chosen.
    const auto phase = model_->phase();
    const bool canScore = phase == NPSFeedbackCardModel::Phase::notYet ||
                          phase == NPSFeedbackCardModel::Phase::scored;
    scoreGroup_->setExclusive(false); // an exclusive group cannot show no score
    for (int n = 0; n < scores_.size(); ++n) {
        const QSignalBlocker blocker(scores_[n]);
        scores_[n]->setChecked(score == n);
        scores_[n]->setEnabled(canScore);
    }
    scoreGroup_->setExclusive(true);
    reasonArea_->setVisible(model_->phase() == NPSFeedbackCardModel::Phase::scored);
    thanksRow_->setVisible(model_->phase() == NPSFeedbackCardModel::Phase::thanks);
}

} // namespace tovr
