#pragma once

#include "platform/FileSystemOperating.h"
#include "platform/HTTPFetching.h"
#include "platform/KeyValueStoring.h"
#include "telemetry/JSONValue.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

namespace tovr {

// Stamps, queues, persists and posts anonymous usage events, one request at a time, oldest
// first. All of its state belongs to one worker thread of its own; `track` only hands the
// event over and returns. Destroying the service cancels a request in flight and joins the
// worker; events not yet sent or persisted by then are lost.
class TelemetryService {
public:
    using Pause = std::function<void(std::chrono::milliseconds, std::stop_token)>;

    // Everything the service reads from outside, fixed at creation.
    struct Configuration {
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
        // The wait between attempts; must return early once the token asks to stop.
        Pause pause = interruptiblePause;

        // The configuration of the shipped application, read from the build, the environment
        // and the running product. Telemetry is off when the build names no backend.
        static Configuration live();

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
        static QString defaultPendingFile(FileSystemOperating& fs,
                                          const QString& appSupportDirName);
        static void interruptiblePause(std::chrono::milliseconds duration, std::stop_token stop);
    };

    explicit TelemetryService(Configuration configuration);
    ~TelemetryService();
    TelemetryService(const TelemetryService&) = delete;
    TelemetryService& operator=(const TelemetryService&) = delete;

    // The process's instance; null once the process has shut it down.
    static std::shared_ptr<TelemetryService> shared();
    // Stops and joins the process's instance; later calls of `shared` give null. Runs by
    // itself when the Qt application object goes away, or at the latest at exit.
    static void shutdownShared();

    // Makes `service` the process's instance for the life of this object (tests).
    class ScopedShared {
    public:
        explicit ScopedShared(std::shared_ptr<TelemetryService> service);
        ~ScopedShared();
        ScopedShared(const ScopedShared&) = delete;
        ScopedShared& operator=(const ScopedShared&) = delete;

    private:
        std::shared_ptr<TelemetryService> previous_;
    };

    // Records one event; returns at once and never fails. Ignored when disabled, and dropped
    // with a log line when a property cannot be written as JSON.
    void track(const QString& name, const JSONObject& properties);

    // Blocks until nothing is queued or running on the worker, or the timeout passes;
    // true when idle.
    bool waitUntilIdle(std::chrono::milliseconds timeout);

    const Configuration& configuration() const { return configuration_; }

private:
    // The queued form of one event.
    struct Event {
        QUuid sessionID;
        QString clientTimestamp;
        QString appVersion;
        QString eventName;
        JSONObject eventData;
    };

    // Worker-side operations; each runs on the worker thread only.
    void start();
    void flush();
    void flushNext();
    bool send(const Event& event, int attempt);
    bool retryAfterBackoff(const Event& event, int attempt);
    void loadPending();
    void persistPending();
    QByteArray encodePayload(const Event& event) const;

    void post(std::function<void()> job);
    void run();

    const Configuration configuration_;

    // Owned by the worker thread.
    QUuid sessionID_;
    QString pendingFile_;
    std::shared_ptr<HTTPFetching> urlSession_;
    QList<Event> pending_;
    bool isFlushing_ = false;

    std::mutex lock_; // guards the fields below
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::shared_ptr<HTTPCancellation> inFlight_;

    std::stop_source stop_;
    std::thread worker_;
};

} // namespace tovr
