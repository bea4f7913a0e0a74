#include "ui/NPSFeedbackCardModel.h"

#include "model/ProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QTimer>

namespace tovr {

NPSFeedbackCardModel::NPSFeedbackCardModel(std::shared_ptr<KeyValueStoring> userDefaults,
                                           std::chrono::milliseconds thanksDelay, QObject* parent)
    : QObject(parent), userDefaults_(std::move(userDefaults)), thanksDelay_(thanksDelay) {}

void NPSFeedbackCardModel::selectScore(int score) {
    if (didDismiss_ || score < 0 || score > 10)
        return;
    if (phase_ == Phase::submitting || phase_ == Phase::thanks)
        return;
    phase_ = Phase::scored;
    score_ = score;
    Q_EMIT changed();
}

void NPSFeedbackCardModel::submit() {
    if (didDismiss_ || phase_ != Phase::scored)
        return;
    phase_ = Phase::submitting;
    sendUsageEvent(npsSubmittedEvent(score_, reasonText_));
    if (userDefaults_)
        userDefaults_->set(true, ProductConfig::current().userDefaultsPrefix +
                                     QStringLiteral(".nps_submitted"));
    Q_EMIT changed();
    // The model is the timer's context: a card that is gone says nothing to its host.
    QTimer::singleShot(thanksDelay_, this, [this] {
        phase_ = Phase::thanks;
        Q_EMIT changed();
        Q_EMIT submitted();
    });
}

void NPSFeedbackCardModel::dismiss() {
    if (didDismiss_)
        return;
    sendUsageEvent({QStringLiteral("nps_dismissed"), {}});
    didDismiss_ = true;
    Q_EMIT changed();
    Q_EMIT dismissed();
}

} // namespace tovr
