#include "telemetry/UsageEvent.h"

#include "telemetry/TelemetryService.h"

namespace tovr {

void sendUsageEvent(const UsageEvent& event) {
    if (auto service = TelemetryService::shared())
        service->track(event.name, event.properties);
}

} // namespace tovr
