#include "support/RecordedTelemetry.h"

#include "platform/LiveFileSystem.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <chrono>
#include <mutex>

namespace tovr::test {

// An HTTP service that accepts every post and keeps its body.
class RecordingHTTP final : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& request,
                                             std::shared_ptr<HTTPCancellation>) override {
        std::lock_guard lock(mutex_);
        bodies_.append(request.body);
        return {QByteArray(), HTTPResponse{201, {}, request.url}};
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::unsupportedURL);
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64, double) override { return {}; }

    QList<QByteArray> bodies() const {
        std::lock_guard lock(mutex_);
        return bodies_;
    }

private:
    mutable std::mutex mutex_;
    QList<QByteArray> bodies_;
};

RecordedTelemetry::RecordedTelemetry() : http_(std::make_shared<RecordingHTTP>()) {
    TelemetryService::Configuration c;
    c.endpointURL = QUrl("https://telemetry.invalid/records");
    c.anonKey = "test";
    auto http = http_;
    c.urlSessionFactory = [http] { return http; };
    c.fs = std::make_shared<LiveFileSystem>();
    c.pendingFileURL = dir_.filePath("pending-events.json");
    service_ = std::make_shared<TelemetryService>(c);
    scope_.emplace(service_);
}

RecordedTelemetry::~RecordedTelemetry() = default;

QList<RecordedTelemetry::Event> RecordedTelemetry::events() {
    service_->waitUntilIdle(std::chrono::seconds(30)); // returns once idle; long for a busy machine
    QList<Event> out;
    for (const QByteArray& body : http_->bodies()) {
        const QJsonObject o = QJsonDocument::fromJson(body).array().at(0).toObject();
        out.append({o.value("event_name").toString(), o.value("event_data").toObject()});
    }
    return out;
}

QStringList RecordedTelemetry::names() {
    QStringList out;
    for (const auto& e : events())
        out.append(e.name);
    return out;
}

QList<QJsonObject> RecordedTelemetry::withName(const QString& name) {
    QList<QJsonObject> out;
    for (const auto& e : events())
        if (e.name == name)
            out.append(e.properties);
    return out;
}

} // namespace tovr::test
