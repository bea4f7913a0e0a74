#include "platform/NetworkReadinessProbe.h"

#include "platform/Concurrently.h"

namespace tovr {

NetworkReadinessResult NetworkReadinessProbe::measure(const NetworkReadinessConfig& config) const {
    if (config.endpoints.isEmpty())
        return {};
    HTTPFetching& http = *http_;
    const auto samples = concurrentlyMap(config.endpoints, [&](const QUrl& url) {
        return sampleEndpoint(url, config.maxSampleBytes, http, config.probeTimeoutSeconds);
    });
    return aggregate(samples, config);
}

NetworkReadinessProbe::EndpointSample NetworkReadinessProbe::sampleEndpoint(const QUrl& url,
                                                                            qint64 maxSampleBytes,
                                                                            HTTPFetching& http,
                                                                            double timeoutSeconds) {
    // A limit below one byte would make no valid range; ask for one byte at least.
    const qint64 limit = std::max<qint64>(maxSampleBytes, 1);
    HTTPRequest request;
    request.url = url;
    request.timeoutSeconds = timeoutSeconds;
    request.headers = {{"Range", "bytes=0-" + QByteArray::number(limit - 1)},
                       {"Cache-Control", "no-cache"}};
    try {
        const ByteSample sample = http.sampleBytes(request, limit, timeoutSeconds);
        if (sample.bytes >= 1 && sample.elapsedSeconds > 0)
            return EndpointSample::throughput(double(sample.bytes) / sample.elapsedSeconds);
        return EndpointSample::responded();
    } catch (const URLError& e) {
        return isHardNetworkError(e.code()) ? EndpointSample::down() : EndpointSample::timeout();
    } catch (...) {
        return EndpointSample::timeout();
    }
}

bool NetworkReadinessProbe::isHardNetworkError(URLError::Code code) {
    switch (code) {
    case URLError::Code::notConnectedToInternet:
    case URLError::Code::cannotFindHost:
    case URLError::Code::cannotConnectToHost:
    case URLError::Code::dnsLookupFailed:
    case URLError::Code::networkConnectionLost:
    case URLError::Code::dataNotAllowed:
    case URLError::Code::internationalRoamingOff:
    case URLError::Code::resourceUnavailable:
        return true;
    default:
        return false;
    }
}

NetworkReadinessResult NetworkReadinessProbe::aggregate(const QList<EndpointSample>& samples,
                                                        const NetworkReadinessConfig& config) {
    std::optional<double> best;
    qint64 reachable = 0;
    qint64 down = 0;
    for (const auto& s : samples) {
        switch (s.kind) {
        case EndpointSample::Kind::throughput:
            if (!best || s.bytesPerSecond > *best)
                best = s.bytesPerSecond;
            ++reachable;
            break;
        case EndpointSample::Kind::responded:
            ++reachable;
            break;
        case EndpointSample::Kind::down:
            ++down;
            break;
        case EndpointSample::Kind::timeout:
            break;
        }
    }
    return config.evaluate(best, reachable, down);
}

} // namespace tovr
