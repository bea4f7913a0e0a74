#include "telemetry/TelemetryService.h"

#include "model/ProductConfig.h"
#include "platform/AppServices.h"
#include "platform/LiveHTTPFetcher.h"
#include "platform/Logging.h"
#include "platform/SessionID.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <exception>

namespace tovr {

namespace {

const QString kPendingFileName = QStringLiteral("pending-events.json");
const QString kRecordsPath = QStringLiteral("/api/database/records/usage_events");

QString describe(const std::exception& error) {
    if (auto* e = dynamic_cast<const Error*>(&error))
        return e->description();
    return QString::fromLocal8Bit(error.what());
}

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

// Configuration

TelemetryService::Configuration TelemetryService::Configuration::live() {
    const ProductConfig product = ProductConfig::current();
    const AppServices services = AppServices::live();
    Configuration configuration;
    configuration.endpointURL = builtInEndpointURL();
    configuration.anonKey = builtInAnonKey();
    configuration.appVersion = bundleAppVersion();
    configuration.appID = product.appID;
    configuration.runContext = runContextFromEnvironment();
    // Without a backend and its token nothing could be posted, so nothing is recorded.
    configuration.disabled = disabledByEnvironment() || configuration.endpointURL.isEmpty() ||
                             configuration.anonKey.isEmpty();
    if (configuration.endpointURL.isEmpty() || configuration.anonKey.isEmpty())
        configuration.endpointURL = QUrl();
    configuration.urlSessionFactory = [] { return defaultURLSession(); };
    configuration.kvStore = services.store;
    configuration.fs = services.fs;
    configuration.pendingFileURL = defaultPendingFile(*services.fs, product.appSupportDirName);
    return configuration;
}

std::shared_ptr<HTTPFetching> TelemetryService::Configuration::defaultURLSession() {
    return std::make_shared<LiveHTTPFetcher>();
}

QUrl TelemetryService::Configuration::builtInEndpointURL() {
    const QString host = QStringLiteral(TOVR_TELEMETRY_HOST).trimmed();
    if (host.isEmpty())
        return {};
    QUrl url(QStringLiteral("https://") + host + kRecordsPath, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

QString TelemetryService::Configuration::builtInAnonKey() {
    return QStringLiteral(TOVR_TELEMETRY_TOKEN).trimmed();
}

QString TelemetryService::Configuration::bundleAppVersion() {
    QString shortVersion = QStringLiteral(TOVR_VERSION);
    QString build = QStringLiteral(TOVR_BUILD_NUMBER);
    if (shortVersion.isEmpty())
        shortVersion = QStringLiteral("0.0");
    if (build.isEmpty())
        build = QStringLiteral("0");
    return shortVersion + QStringLiteral(" (") + build + QLatin1Char(')');
}

bool TelemetryService::Configuration::disabledByEnvironment() {
    return qgetenv("TOVR_TELEMETRY_DISABLED") == "1";
}

QString TelemetryService::Configuration::runContextFromEnvironment() {
    if (!qEnvironmentVariableIsSet("TOVR_RUN_CONTEXT"))
        return QStringLiteral("release");
    return qEnvironmentVariable("TOVR_RUN_CONTEXT");
}

QString TelemetryService::Configuration::defaultPendingFile(FileSystemOperating& fs,
                                                            const QString& appSupportDirName) {
    QString base;
    try {
        base = fs.applicationSupportDirectory(true);
    } catch (const std::exception&) {
        base = fs.temporaryDirectory();
    }
    return QDir::cleanPath(base + QLatin1Char('/') + appSupportDirName + QLatin1Char('/') +
                           kPendingFileName);
}

void TelemetryService::Configuration::interruptiblePause(std::chrono::milliseconds duration,
                                                         std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any cv;
    std::unique_lock lock(mutex);
    cv.wait_for(lock, stop, duration, [] { return false; });
}

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
    : configuration_(std::move(configuration)) {
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
    stop_.request_stop();
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
        while (!batch.empty() && !stop_.stop_requested()) {
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
    pendingFile_ = configuration_.pendingFileURL;
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
        pending_.append(Event{sessionID_, now.toUTC().toString(Qt::ISODateWithMs),
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
    persistPending();
    if (!finished || stop_.stop_requested()) {
        isFlushing_ = false;
        return;
    }
    post([this] { flushNext(); });
}

QByteArray TelemetryService::encodePayload(const Event& event) const {
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

bool TelemetryService::send(const Event& event, int attempt) {
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

bool TelemetryService::retryAfterBackoff(const Event& event, int attempt) {
    if (attempt > 1 || stop_.stop_requested())
        return false;
    // 0.5 s after the first attempt, 1 s after the second.
    const auto pause = std::chrono::milliseconds(250) * (1 << (attempt + 1));
    if (configuration_.pause)
        configuration_.pause(pause, stop_.get_token());
    if (stop_.stop_requested())
        return false;
    return send(event, attempt + 1);
}

namespace {

QJsonObject eventToJson(const QUuid& sessionID, const QString& clientTimestamp,
                        const QString& appVersion, const QString& eventName,
                        const JSONObject& eventData) {
    QJsonObject object;
    object.insert(QStringLiteral("sessionID"), SessionID::text(sessionID));
    object.insert(QStringLiteral("clientTimestamp"), clientTimestamp);
    object.insert(QStringLiteral("appVersion"), appVersion);
    object.insert(QStringLiteral("eventName"), eventName);
    object.insert(QStringLiteral("eventData"), toJsonObject(eventData));
    return object;
}

QString requiredString(const QJsonObject& object, const QString& key, qsizetype index) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        throw DecodingError(
            QStringLiteral("Pending event %1 has no text \"%2\"").arg(index).arg(key));
    return value.toString();
}

} // namespace

void TelemetryService::loadPending() {
    const QString logPrefix = QStringLiteral("Telemetry: couldn't load pending events: ");
    QJsonArray array;
    try {
        if (!configuration_.fs || pendingFile_.isEmpty() ||
            !configuration_.fs->fileExists(pendingFile_))
            return;
        const QByteArray data = configuration_.fs->readData(pendingFile_);
        QJsonParseError parseError{};
        const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
        if (parseError.error != QJsonParseError::NoError)
            throw DecodingError(parseError.errorString());
        if (!document.isArray())
            throw DecodingError(QStringLiteral("The pending events are not a JSON array"));
        array = document.array();
    } catch (const std::exception& error) {
        qCWarning(lcTelemetry).noquote() << logPrefix + describe(error);
        return;
    }
    // One damaged record costs only itself: the others are sent, and the next persist
    // writes them back.
    QList<Event> loaded;
    for (qsizetype i = 0; i < array.size(); ++i) {
        try {
            if (!array.at(i).isObject())
                throw DecodingError(QStringLiteral("Pending event %1 is not an object").arg(i));
            const QJsonObject object = array.at(i).toObject();
            const auto sessionID =
                SessionID::parse(requiredString(object, QStringLiteral("sessionID"), i));
            if (!sessionID)
                throw DecodingError(
                    QStringLiteral("Pending event %1 has no valid \"sessionID\"").arg(i));
            if (!object.value(QStringLiteral("eventData")).isObject())
                throw DecodingError(
                    QStringLiteral("Pending event %1 has no object \"eventData\"").arg(i));
            loaded.append(
                Event{*sessionID, requiredString(object, QStringLiteral("clientTimestamp"), i),
                      requiredString(object, QStringLiteral("appVersion"), i),
                      requiredString(object, QStringLiteral("eventName"), i),
                      jsonObjectFromJson(object.value(QStringLiteral("eventData")).toObject())});
        } catch (const std::exception& error) {
            qCWarning(lcTelemetry).noquote() << logPrefix + describe(error);
        }
    }
    if (loaded.isEmpty())
        return;
    pending_ = loaded + pending_;
    flush();
}

void TelemetryService::persistPending() {
    if (!configuration_.fs || pendingFile_.isEmpty())
        return;
    auto& fs = *configuration_.fs;
    try {
        fs.createDirectory(QFileInfo(pendingFile_).path(), true);
        if (pending_.isEmpty()) {
            try {
                if (fs.fileExists(pendingFile_))
                    fs.removeItem(pendingFile_);
            } catch (const std::exception&) {
                // The next launch loads the old file again; its events go out twice at worst.
            }
            return;
        }
        QJsonArray array;
        for (const auto& event : pending_)
            array.append(eventToJson(event.sessionID, event.clientTimestamp, event.appVersion,
                                     event.eventName, event.eventData));
        fs.writeData(QJsonDocument(array).toJson(QJsonDocument::Compact), pendingFile_);
    } catch (const std::exception& error) {
        qCWarning(lcTelemetry).noquote()
            << QStringLiteral("Telemetry: couldn't persist pending events: ") + describe(error);
    }
}

} // namespace tovr
