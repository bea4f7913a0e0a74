#include "shell/OfferScreenModel.h"

#include "model/AppNavigation.h"
#include "model/ProductConfig.h"
#include "platform/URLOpening.h"
#include "telemetry/UsageEvent.h"

namespace tovr {

namespace {

JSONValue orNull(const std::optional<QString>& value) {
    return value ? JSONValue(*value) : JSONValue::null();
}

} // namespace

OfferScreenModel::OfferScreenModel(Kind kind, QString offerID, AppNavigation* navigation,
                                   std::shared_ptr<URLOpening> urlOpener, QObject* parent)
    : QObject(parent), kind_(kind), offerID_(std::move(offerID)), navigation_(navigation),
      urlOpener_(std::move(urlOpener)) {}

std::optional<OfferSpec> OfferScreenModel::entry() const {
    const auto catalog = ProductConfig::current().offerCatalog;
    const auto it = catalog.find(offerID_);
    if (it == catalog.end())
        return std::nullopt;
    return it.value();
}

QString OfferScreenModel::title() const {
    if (const auto e = entry())
        return e->title;
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("You're all set");
    case Kind::guidedHelp:
        return QStringLiteral("Still stuck?");
    case Kind::aiCoding:
        return QStringLiteral("Build with AI?");
    }
    return {};
}

QString OfferScreenModel::explainer() const {
    if (const auto e = entry())
        return e->body;
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("Java is set up and verified.");
    case Kind::guidedHelp:
        return QStringLiteral("We can help.");
    case Kind::aiCoding:
        return QStringLiteral("We can help you set that up.");
    }
    return {};
}

bool OfferScreenModel::showsPrimary() const {
    if (kind_ == Kind::guidedHelp)
        return !showedUnavailable_;
    const auto e = entry();
    return e && e->destination.has_value();
}

QString OfferScreenModel::primaryLabel() const {
    if (const auto e = entry())
        return e->actionLabel;
    return kind_ == Kind::guidedHelp ? QStringLiteral("Get my setup plan ($2)") : QString();
}

QString OfferScreenModel::primaryIdentifier() const {
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("offer-") + offerID_ + QStringLiteral("-primary");
    case Kind::guidedHelp:
        return QStringLiteral("offer-guided_help_plan-primary");
    case Kind::aiCoding:
        return QStringLiteral("offer-ai_coding_setup-primary");
    }
    return {};
}

QString OfferScreenModel::secondLabel() const {
    return kind_ == Kind::content ? QStringLiteral("Done — back to home")
                                  : QStringLiteral("No thanks");
}

QString OfferScreenModel::secondIdentifier() const {
    switch (kind_) {
    case Kind::content:
        return QStringLiteral("offer-") + offerID_ + QStringLiteral("-dismiss");
    case Kind::guidedHelp:
        return QStringLiteral("offer-guided_help_plan-dismiss");
    case Kind::aiCoding:
        return QStringLiteral("offer-ai_coding_setup-dismiss");
    }
    return {};
}

void OfferScreenModel::emitShownIfNeeded() {
    if (didEmitShown_)
        return;
    const auto e = entry();
    if (!e)
        return;
    didEmitShown_ = true;
    const auto nextStep = navigation_ ? navigation_->selectedNextStep() : std::nullopt;
    const auto goal = navigation_ ? navigation_->selectedGoal() : std::nullopt;
    sendUsageEvent({QStringLiteral("offer_shown"),
                    {{"offer_id", JSONValue(offerID_)},
                     {"offer_surface", JSONValue(e->surface)},
                     {"eligibility_reason", JSONValue(e->eligibilityReason)},
                     {"next_step", orNull(nextStep)},
                     {"goal", orNull(goal)}}});
}

void OfferScreenModel::emitAction(const QString& action,
                                  const std::optional<QString>& result) const {
    const auto e = entry();
    if (!e)
        return;
    const auto nextStep = navigation_ ? navigation_->selectedNextStep() : std::nullopt;
    sendUsageEvent({QStringLiteral("offer_action"),
                    {{"offer_id", JSONValue(offerID_)},
                     {"offer_surface", JSONValue(e->surface)},
                     {"action", JSONValue(action)},
                     {"result", orNull(result)},
                     {"next_step", orNull(nextStep)}}});
}

void OfferScreenModel::selectPrimary() {
    // The screen is left at once; a second press before it goes acts on nothing.
    if (left_ || !showsPrimary())
        return;
    if (kind_ == Kind::guidedHelp) {
        emitAction(QStringLiteral("selected"), QStringLiteral("interest_no_fulfillment"));
        showedUnavailable_ = true;
        Q_EMIT changed();
        return;
    }
    const auto destination = entry()->destination;
    emitAction(QStringLiteral("selected"), kind_ == Kind::aiCoding
                                               ? std::optional<QString>(QStringLiteral("interest"))
                                               : std::nullopt);
    if (destination && urlOpener_)
        urlOpener_->open(*destination);
    goHome();
}

void OfferScreenModel::dismiss() {
    if (left_)
        return;
    emitAction(QStringLiteral("dismissed"), std::nullopt);
    goHome();
}

void OfferScreenModel::goHome() {
    if (std::exchange(left_, true))
        return;
    if (navigation_)
        navigation_->setPath({});
}

} // namespace tovr
