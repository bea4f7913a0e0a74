#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"
#include "platform/StopFlag.h"

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>

namespace tovr {

// Everything the telemetry service reads from outside, fixed at its creation: the backend,
// the app's identity, the switches of the environment, and the services it works through.
struct TelemetryConfiguration {
    using Pause = std::function<void(std::chrono::milliseconds, const StopFlag&)>;

    QUrl endpointURL; // empty: nothing is ever posted
    QString anonKey;  // sent only as a bearer credential
    QString appVersion;
    QString appID;
    QString runContext = QStringLiteral("release");
    bool disabled = false;
    // Makes the HTTP service the posts go through; called once, on any thread.
    std::function<std::shared_ptr<HTTPFetching>()> urlSessionFactory;
    std::shared_ptr<KeyValueStoring> kvStore;
    std::shared_ptr<FileSystemOperating> fs;
    QString pendingFileURL; // the pending file's path

    // How long one post may wait for its answer.
    double requestTimeoutSeconds = 15;
    // The clock that stamps events; called on the tracking thread.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    // The wait between attempts; must return early once a stop is asked for.
    Pause pause = interruptiblePause;

    // The configuration of the shipped application, read from the build, the environment
    // and the running product. Telemetry is off when the build names no backend.
    static TelemetryConfiguration live();

    // The HTTP service of the live configuration: one of its own, so no cookie or cache
    // is shared with the rest of the application. The two headers go on each request.
    static std::shared_ptr<HTTPFetching> defaultURLSession();

    // The posting backend named by the build (see CMake's TOVR_TELEMETRY_HOST and
    // TOVR_TELEMETRY_TOKEN); empty when the build names none.
    static QUrl builtInEndpointURL();
    static QString builtInAnonKey();
    // "<short version> (<build>)" of this build.
    static QString bundleAppVersion();
    // True exactly when TOVR_TELEMETRY_DISABLED is "1".
    static bool disabledByEnvironment();
    // TOVR_RUN_CONTEXT when set (even empty), else "release".
    static QString runContextFromEnvironment();
    // "<Application Support>/<appSupportDirName>/pending-events.json", under the
    // temporary folder when Application Support cannot be resolved or created.
    static QString defaultPendingFile(FileSystemOperating& fs, const QString& appSupportDirName);
    static void interruptiblePause(std::chrono::milliseconds duration, const StopFlag& stop);
};

} // namespace tovr
