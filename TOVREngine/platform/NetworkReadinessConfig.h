#pragma once

#include "platform/RawValue.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tovr {

enum class NetworkVerdict { ok, slow, unreachable, unmeasured };

QString toRaw(NetworkVerdict verdict);
template <> std::optional<NetworkVerdict> fromRaw<NetworkVerdict>(QStringView raw);

// The outcome of one network readiness check.
struct NetworkReadinessResult {
    NetworkVerdict verdict = NetworkVerdict::unmeasured;
    std::optional<double> downMbps;                // best rate, megabits per second
    std::optional<qint64> estimatedInstallSeconds; // present exactly when downMbps is
    qint64 endpointsReachable = 0;
    qint64 endpointsTotal = 0;

    // Slow and unreachable connections warn; ok and unmeasured do not.
    bool needsWarning() const {
        return verdict == NetworkVerdict::slow || verdict == NetworkVerdict::unreachable;
    }
    bool operator==(const NetworkReadinessResult&) const = default;
};

// Which servers to sample and when a connection counts as slow.
struct NetworkReadinessConfig {
    QList<QUrl> endpoints;
    qint64 estimatedPayloadBytes = 0;
    qint64 slowThresholdSeconds = 0;
    qint64 maxSampleBytes = 0;
    double probeTimeoutSeconds = 0;

    // The verdict for the best rate (bytes per second, absent when none was measured), the
    // endpoints that answered and those that failed with a hard network error.
    NetworkReadinessResult evaluate(std::optional<double> bestBytesPerSecond, qint64 reachableCount,
                                    qint64 downCount) const;
};

} // namespace tovr
