#pragma once

#include "platform/FileSystemOperating.h"
#include "telemetry/JSONValue.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <memory>

namespace tovr {

// One event as the telemetry service queues it: stamped, and waiting to be posted.
struct PendingEvent {
    QUuid sessionID;
    QString clientTimestamp;
    QString appVersion;
    QString eventName;
    JSONObject eventData;
};

// The events not yet posted, kept in one JSON file so that the next launch sends them. Holds
// no state of its own; the telemetry worker alone calls it. Failures are logged, never thrown.
class PendingEventFile {
public:
    // No file system or an empty path: nothing is loaded or kept.
    PendingEventFile(std::shared_ptr<FileSystemOperating> fs, QString path);

    // The events the file holds, oldest first. None when there is no file or it cannot be
    // read; a damaged record costs only itself.
    QList<PendingEvent> load() const;
    // Makes `events` the file's contents, creating its folder; no events remove the file.
    void save(const QList<PendingEvent>& events) const;

private:
    std::shared_ptr<FileSystemOperating> fs_;
    QString path_;
};

} // namespace tovr
