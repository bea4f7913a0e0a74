#include "telemetry/TelemetryService.h"

#include "model/ProductConfig.h"
#include "platform/Logging.h"
#include "platform/SessionID.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tovr {

namespace {

// The process's instance and the one tests put in its place.
struct SharedSlot {
    std::mutex lock;
    std::shared_ptr<TelemetryService> instance;
    std::shared_ptr<TelemetryService> override;
    bool shutDown = false;

    SharedSlot() {
        // Made before the slot, so still there when the slot's destructor stops the worker.
        lcTelemetry();
    }
    ~SharedSlot() { TelemetryService::shutdownShared(); }
};

SharedSlot& sharedSlot() {
    static SharedSlot slot;
    return slot;
}

} // namespace

// The shared instance

std::shared_ptr<TelemetryService> TelemetryService::shared() {
    auto& slot = sharedSlot();
    std::lock_guard guard(slot.lock);
    if (slot.override)
        return slot.override;
    if (slot.shutDown)
        return nullptr;
    if (!slot.instance) {
        slot.instance = std::make_shared<TelemetryService>(Configuration::live());
        if (QCoreApplication::instance())
            qAddPostRoutine(&TelemetryService::shutdownShared);
    }
    return slot.instance;
}

void TelemetryService::shutdownShared() {
    std::shared_ptr<TelemetryService> instance;
    {
        auto& slot = sharedSlot();
        std::lock_guard guard(slot.lock);
        slot.shutDown = true;
        instance = std::move(slot.instance);
    }
    // Joins here, outside the lock, unless a caller still holds the instance.
    instance.reset();
}

TelemetryService::ScopedShared::ScopedShared(std::shared_ptr<TelemetryService> service) {
    auto& slot = sharedSlot();
    std::lock_guard guard(slot.lock);
    previous_ = std::exchange(slot.override, std::move(service));
}

TelemetryService::ScopedShared::~ScopedShared() {
    std::shared_ptr<TelemetryService> replaced;
    {
        auto& slot = sharedSlot();
        std::lock_guard guard(slot.lock);
        replaced = std::exchange(slot.override, std::move(previous_));
    }
}

// Life cycle and the worker

TelemetryService::TelemetryService(Configuration configuration)
    : configuration_(std::move(configuration)),
      pendingFile_(configuration_.fs, configuration_.pendingFileURL) {
    worker_ = std::thread([this] { run(); });
    post([this] { start(); });
}

TelemetryService::~TelemetryService() {
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        jobs_.clear();
        if (inFlight_)
            inFlight_->cancel();
    }
    stop_.requestStop();
    wake_.notify_all();
    idle_.notify_all();
    worker_.join();
}

void TelemetryService::post(std::function<void()> job) {
    {
        std::lock_guard guard(lock_);
        if (stopping_)
            return;
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void TelemetryService::run() {
    std::deque<std::function<void()>> batch;
    for (;;) {
        {
            std::unique_lock lock(lock_);
            busy_ = false;
            if (jobs_.empty())
                idle_.notify_all();
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_)
                return;
            // Everything queued at once: one lock round for many tracked events.
            batch.swap(jobs_);
            busy_ = true;
        }
        while (!batch.empty() && !stop_.stopRequested()) {
            auto job = std::move(batch.front());
            batch.pop_front();
            job();
        }
        batch.clear();
    }
}

bool TelemetryService::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(lock_);
    return idle_.wait_for(lock, timeout, [this] { return stopping_ || (jobs_.empty() && !busy_); });
}

// Operations on the worker

void TelemetryService::start() {
    sessionID_ = configuration_.kvStore ? SessionID{configuration_.kvStore,
                                                    ProductConfig::current().userDefaultsPrefix}
                                              .current()
                                        : QUuid::createUuid();
    // No endpoint, nothing to post through.
    if (configuration_.urlSessionFactory && configuration_.endpointURL.isValid())
        urlSession_ = configuration_.urlSessionFactory();
    loadPending();
}

void TelemetryService::track(const QString& name, const JSONObject& properties) {
    if (configuration_.disabled)
        return;
    // A property JSON cannot express would fail every post and every write of the queue,
    // holding back the events behind it: it never enters the queue.
    for (const auto& value : properties) {
        if (!value.isEncodable()) {
            qCWarning(lcTelemetry).noquote()
                << QStringLiteral("Telemetry: dropping event that cannot be encoded: ") + name;
            return;
        }
    }
    const QDateTime now = configuration_.now ? configuration_.now() : QDateTime();
    post([this, name, properties, now] {
        pending_.append(PendingEvent{sessionID_, now.toUTC().toString(Qt::ISODateWithMs),
                                     configuration_.appVersion, name, properties});
        flush();
    });
}

void TelemetryService::flush() {
    if (isFlushing_ || !configuration_.endpointURL.isValid() || !urlSession_)
        return;
    isFlushing_ = true;
    flushNext();
}

// One send per job, so that events tracked meanwhile join the queue between sends.
void TelemetryService::flushNext() {
    if (pending_.isEmpty()) {
        isFlushing_ = false;
        return;
    }
    const bool finished = send(pending_.first(), 0);
    if (finished)
        pending_.removeFirst();
    pendingFile_.save(pending_);
    if (!finished || stop_.stopRequested()) {
        isFlushing_ = false;
        return;
    }
    post([this] { flushNext(); });
}

QByteArray TelemetryService::encodePayload(const PendingEvent& event) const {
    QJsonObject payload;
    payload.insert(QStringLiteral("session_id"),
                   event.sessionID.toString(QUuid::WithoutBraces).toLower());
    payload.insert(QStringLiteral("client_timestamp"), event.clientTimestamp);
    payload.insert(QStringLiteral("app_version"), event.appVersion);
    payload.insert(QStringLiteral("app_id"), configuration_.appID);
    payload.insert(QStringLiteral("run_context"), configuration_.runContext);
    payload.insert(QStringLiteral("event_name"), event.eventName);
    payload.insert(QStringLiteral("event_data"), toJsonObject(event.eventData));
    return QJsonDocument(QJsonArray{payload}).toJson(QJsonDocument::Compact);
}

bool TelemetryService::send(const PendingEvent& event, int attempt) {
    QByteArray body;
    try {
        body = encodePayload(event);
    } catch (const EncodingError&) {
        qCWarning(lcTelemetry).noquote()
            << QStringLiteral("Telemetry: dropping event that cannot be encoded: ") +
                   event.eventName;
        return true;
    }
    HTTPRequest request;
    request.url = configuration_.endpointURL;
    request.method = "POST";
    request.headers = {{"Content-Type", "application/json"},
                       {"Authorization", "Bearer " + configuration_.anonKey.toUtf8()}};
    request.body = std::move(body);
    request.timeoutSeconds = configuration_.requestTimeoutSeconds;

    auto cancellation = std::make_shared<HTTPCancellation>();
    {
        std::lock_guard guard(lock_);
        if (stopping_)
            return false;
        inFlight_ = cancellation;
    }
    std::optional<int> status;
    try {
        status = urlSession_->data(request, cancellation).second.statusCode;
    } catch (...) {
        // A transport failure of any kind is retried like a time-out.
    }
    {
        std::lock_guard guard(lock_);
        inFlight_.reset();
    }
    if (status && *status >= 200 && *status <= 299)
        return true;
    if (status && *status >= 400 && *status <= 499) {
        qCWarning(lcTelemetry).noquote()
            << QStringLiteral("Telemetry: dropping event after ") + QString::number(*status) +
                   QStringLiteral(" (likely event_name or schema mismatch)");
        return true;
    }
    return retryAfterBackoff(event, attempt);
}

bool TelemetryService::retryAfterBackoff(const PendingEvent& event, int attempt) {
    if (attempt > 1 || stop_.stopRequested())
        return false;
    // 0.5 s after the first attempt, 1 s after the second.
    const auto pause = std::chrono::milliseconds(250) * (1 << (attempt + 1));
    if (configuration_.pause)
        configuration_.pause(pause, stop_);
    if (stop_.stopRequested())
        return false;
    return send(event, attempt + 1);
}

void TelemetryService::loadPending() {
    const QList<PendingEvent> loaded = pendingFile_.load();
    if (loaded.isEmpty())
        return;
    pending_ = loaded + pending_;
    flush();
}

} // namespace tovr
