#include "shell/views/OfferScreenView.h"

#include "ui/views/ScreenScaffold.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

OfferScreenView::OfferScreenView(const ScreenContext& context, OfferScreenModel::Kind kind,
                                 QString offerID, QWidget* parent)
    : QWidget(parent) {
    model_ =
        new OfferScreenModel(kind, std::move(offerID), context.navigation, context.urlOpener, this);
    scaffold_ = new ScreenScaffold({model_->title(), TextStyle::largeTitle, model_->explainer(),
                                    std::nullopt, std::nullopt, std::nullopt},
                                   context.urlOpener, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold_);

    auto* content = new QWidget;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(12);
    primary_ = makeButton(model_->primaryLabel(), ButtonRole::prominent,
                          model_->primaryIdentifier(), content);
    connect(primary_, &QPushButton::clicked, model_, &OfferScreenModel::selectPrimary);
    stack->addWidget(primary_, 0, Qt::AlignLeft);
    second_ = makeButton(model_->secondLabel(), ButtonRole::bordered, model_->secondIdentifier(),
                         content);
    connect(second_, &QPushButton::clicked, model_, &OfferScreenModel::dismiss);
    stack->addWidget(second_, 0, Qt::AlignLeft);

    auto* notice = makePlainLabel(
        QStringLiteral("Thanks — this isn't available yet. We're seeing how many people want it. "
                       "You haven't been charged, and we didn't collect any personal details."),
        TextStyle::callout, content);
    notice->setObjectName("offer-guided_help_plan-unavailable");
    notice->setContentsMargins(10, 10, 10, 10);
    applySurface(notice, Surface::notice);
    notice_ = notice;
    stack->addWidget(notice_);
    home_ = makeButton(QStringLiteral("Done — back to home"), ButtonRole::prominent, QString(),
                       content);
    connect(home_, &QPushButton::clicked, model_, &OfferScreenModel::goHome);
    stack->addWidget(home_, 0, Qt::AlignLeft);
    scaffold_->setContent(content);

    connect(model_, &OfferScreenModel::changed, this, &OfferScreenView::render);
    render();
}

void OfferScreenView::startTask() {
    model_->emitShownIfNeeded();
}

void OfferScreenView::render() {
    scaffold_->setTitle(model_->title());
    scaffold_->setExplainer(model_->explainer());
    const bool unavailable = model_->showedUnavailable();
    primary_->setVisible(model_->showsPrimary());
    primary_->setText(model_->primaryLabel());
    second_->setVisible(!unavailable);
    notice_->setVisible(unavailable);
    home_->setVisible(unavailable);
}

OfferScreenView* makeContentOfferView(const ScreenContext& context, const QString& offerID) {
    return new OfferScreenView(context, OfferScreenModel::Kind::content, offerID);
}

OfferScreenView* makeGuidedHelpOfferView(const ScreenContext& context) {
    return new OfferScreenView(context, OfferScreenModel::Kind::guidedHelp,
                               QStringLiteral("guided_help_plan"));
}

OfferScreenView* makeAICodingInterestView(const ScreenContext& context) {
    return new OfferScreenView(context, OfferScreenModel::Kind::aiCoding,
                               QStringLiteral("ai_coding_setup"));
}

} // namespace tovr
