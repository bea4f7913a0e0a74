#pragma once

#include "platform/HTTPFetching.h"
#include "telemetry/JSONValue.h"
#include "telemetry/PendingEventFile.h"
#include "telemetry/TelemetryConfiguration.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tovr {

// Stamps, queues, persists and posts anonymous usage events, one request at a time, oldest
// first. All of its state belongs to one worker thread of its own; `track` only hands the
// event over and returns. Destroying the service cancels a request in flight and joins the
// worker; events not yet sent or persisted by then are lost.
class TelemetryService {
public:
    // Everything the service reads from outside, fixed at creation.
    using Configuration = TelemetryConfiguration;
    using Pause = TelemetryConfiguration::Pause;

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
    // Worker-side operations; each runs on the worker thread only.
    void start();
    void flush();
    void flushNext();
    bool send(const PendingEvent& event, int attempt);
    bool retryAfterBackoff(const PendingEvent& event, int attempt);
    void loadPending();
    QByteArray encodePayload(const PendingEvent& event) const;

    void post(std::function<void()> job);
    void run();

    const Configuration configuration_;
    const PendingEventFile pendingFile_;

    // Owned by the worker thread.
    QUuid sessionID_;
    std::shared_ptr<HTTPFetching> urlSession_;
    QList<PendingEvent> pending_;
    bool isFlushing_ = false;

    std::mutex lock_; // guards the fields below
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::shared_ptr<HTTPCancellation> inFlight_;

    StopFlag stop_;
    std::thread worker_;
};

} // namespace tovr
