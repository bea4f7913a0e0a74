#include "ui/NPSCardHost.h"

#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

NPSCardHost::NPSCardHost(const ProductConfig& product, const KeyValueStoring* userDefaults) {
    if (product.nextStepPrompt)
        return;
    const auto submitted =
        userDefaults ? userDefaults->boolean(product.userDefaultsPrefix + ".nps_submitted")
                     : std::nullopt;
    showCard_ = !submitted.value_or(false);
}

void NPSCardHost::cardAppeared() {
    if (didEmitShown_)
        return;
    didEmitShown_ = true;
    trackRecommendationCardShown();
}

void NPSCardHost::cardSubmitted() {
    didSubmitThisVisit_ = true;
    showCard_ = false;
}

void NPSCardHost::leaving() const {
    if (didEmitShown_ && !didSubmitThisVisit_)
        sendUsageEvent({QStringLiteral("nps_dismissed"), {}});
}

} // namespace tovr
