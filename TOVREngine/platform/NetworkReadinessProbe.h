#pragma once

#include "platform/HTTPFetching.h"
#include "platform/NetworkReadinessConfig.h"

#include <memory>

namespace tovr {

// Samples every configured download server at once with one small ranged GET and judges
// whether the connection is good enough for the setup's downloads.
class NetworkReadinessProbe {
public:
    // One endpoint's answer.
    struct EndpointSample {
        enum class Kind { throughput, responded, down, timeout };
        Kind kind = Kind::timeout;
        double bytesPerSecond = 0; // throughput only

        static EndpointSample throughput(double rate) { return {Kind::throughput, rate}; }
        static EndpointSample responded() { return {Kind::responded, 0}; }
        static EndpointSample down() { return {Kind::down, 0}; }
        static EndpointSample timeout() { return {Kind::timeout, 0}; }
        bool operator==(const EndpointSample& other) const {
            return kind == other.kind &&
                   (kind != Kind::throughput || bytesPerSecond == other.bytesPerSecond);
        }
    };

    explicit NetworkReadinessProbe(std::shared_ptr<HTTPFetching> http) : http_(std::move(http)) {}

    // Blocks until the slowest endpoint's sample ends; never fails.
    NetworkReadinessResult measure(const NetworkReadinessConfig& config) const;

    // Never fails: every error becomes a sample.
    static EndpointSample sampleEndpoint(const QUrl& url, qint64 maxSampleBytes, HTTPFetching& http,
                                         double timeoutSeconds);
    // The failures that say the server is out of reach, as opposed to merely slow.
    static bool isHardNetworkError(URLError::Code code);
    static NetworkReadinessResult aggregate(const QList<EndpointSample>& samples,
                                            const NetworkReadinessConfig& config);

private:
    std::shared_ptr<HTTPFetching> http_;
};

} // namespace tovr
