#include "telemetry/TelemetryConfiguration.h"

#include "model/ProductConfig.h"
#include "platform/AppServices.h"
#include "platform/LiveHTTPFetcher.h"

#include <QDir>

#include <exception>

namespace tovr {

namespace {

const QString kPendingFileName = QStringLiteral("pending-events.json");
const QString kRecordsPath = QStringLiteral("/api/database/records/usage_events");

} // namespace

TelemetryConfiguration TelemetryConfiguration::live() {
    const ProductConfig product = ProductConfig::current();
    const AppServices services = AppServices::live();
    TelemetryConfiguration configuration;
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

std::shared_ptr<HTTPFetching> TelemetryConfiguration::defaultURLSession() {
    return std::make_shared<LiveHTTPFetcher>();
}

QUrl TelemetryConfiguration::builtInEndpointURL() {
    const QString host = QStringLiteral(TOVR_TELEMETRY_HOST).trimmed();
    if (host.isEmpty())
        return {};
    QUrl url(QStringLiteral("https://") + host + kRecordsPath, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty() ? url : QUrl();
}

QString TelemetryConfiguration::builtInAnonKey() {
    return QStringLiteral(TOVR_TELEMETRY_TOKEN).trimmed();
}

QString TelemetryConfiguration::bundleAppVersion() {
    QString shortVersion = QStringLiteral(TOVR_VERSION);
    QString build = QStringLiteral(TOVR_BUILD_NUMBER);
    if (shortVersion.isEmpty())
        shortVersion = QStringLiteral("0.0");
    if (build.isEmpty())
        build = QStringLiteral("0");
    return shortVersion + QStringLiteral(" (") + build + QLatin1Char(')');
}

bool TelemetryConfiguration::disabledByEnvironment() {
    return qgetenv("TOVR_TELEMETRY_DISABLED") == "1";
}

QString TelemetryConfiguration::runContextFromEnvironment() {
    if (!qEnvironmentVariableIsSet("TOVR_RUN_CONTEXT"))
        return QStringLiteral("release");
    return qEnvironmentVariable("TOVR_RUN_CONTEXT");
}

QString TelemetryConfiguration::defaultPendingFile(FileSystemOperating& fs,
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

void TelemetryConfiguration::interruptiblePause(std::chrono::milliseconds duration,
                                                const StopFlag& stop) {
    stop.waitFor(duration);
}

} // namespace tovr
