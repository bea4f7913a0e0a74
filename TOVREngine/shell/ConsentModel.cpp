#include "shell/ConsentModel.h"

#include "platform/KeyValueStoring.h"
#include "shell/RootModel.h"
#include "telemetry/UsageEvent.h"

namespace tovr::ConsentModel {

void accept(KeyValueStoring& userDefaults, const std::function<void()>& onContinue) {
    userDefaults.set(QVariant(true), consentKey());
    if (onContinue)
        onContinue();
    sendUsageEvent({QStringLiteral("consent_given"), {}});
}

} // namespace tovr::ConsentModel
