#pragma once

#include "telemetry/JSONValue.h"

#include <QString>

namespace tovr {

// One usage event as a builder makes it: a name and its properties.
struct UsageEvent {
    QString name;
    JSONObject properties;
    bool operator==(const UsageEvent&) const = default;
};

// Hands the event to the process's telemetry service and returns at once; nobody learns
// whether it was sent.
void sendUsageEvent(const UsageEvent& event);

} // namespace tovr
