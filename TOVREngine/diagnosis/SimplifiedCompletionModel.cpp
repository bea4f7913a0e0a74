#include "diagnosis/SimplifiedCompletionModel.h"

#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

SimplifiedCompletionModel::SimplifiedCompletionModel(
    CompletionSurface surface, std::function<void()> onSeeRecommendations,
    std::function<void()> onDone, std::shared_ptr<const KeyValueStoring> userDefaults,
    QObject* parent)
    : QObject(parent), surface_(surface), onSeeRecommendations_(std::move(onSeeRecommendations)),
      onDone_(std::move(onDone)), card_(ProductConfig::current(), userDefaults.get()) {}

void SimplifiedCompletionModel::cardSubmitted() {
    if (!card_.showsCard())
        return;
    card_.cardSubmitted();
    Q_EMIT changed();
}

void SimplifiedCompletionModel::buildIntentPromptAppeared() {
    const auto prompt = surface_.promptSurface();
    if (!prompt || didEmitBuildIntentShown_)
        return;
    didEmitBuildIntentShown_ = true;
    trackBuildIntentPromptShown(*prompt);
}

void SimplifiedCompletionModel::optIn() {
    const auto prompt = surface_.promptSurface();
    if (!prompt)
        return;
    trackBuildIntentOptedIn(*prompt);
    if (onSeeRecommendations_)
        onSeeRecommendations_();
}

void SimplifiedCompletionModel::finish() {
    card_.leaving();
    if (onDone_)
        onDone_();
}

} // namespace tovr
