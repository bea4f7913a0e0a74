#pragma once

#include "telemetry/JSONValue.h"
#include "telemetry/TelemetryService.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace tovr::test {

class RecordingHTTP;

// Makes the process's telemetry service one that records every event it would post, for the
// life of this object.
class RecordedTelemetry {
public:
    struct Event {
        QString name;
        QJsonObject properties;
    };

    RecordedTelemetry();
    ~RecordedTelemetry();

    // Every event tracked so far, in order (waits for the service to settle first).
    QList<Event> events();
    QStringList names();
    // The events with this name.
    QList<QJsonObject> withName(const QString& name);
    int count(const QString& name) { return int(withName(name).size()); }

private:
    QTemporaryDir dir_;
    std::shared_ptr<RecordingHTTP> http_;
    std::shared_ptr<TelemetryService> service_;
    std::optional<TelemetryService::ScopedShared> scope_;
};

} // namespace tovr::test
