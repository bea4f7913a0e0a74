#include "platform/NetworkReadinessConfig.h"

#include <cmath>
#include <limits>

namespace tovr {

QString toRaw(NetworkVerdict verdict) {
    switch (verdict) {
    case NetworkVerdict::ok:
        return QStringLiteral("ok");
    case NetworkVerdict::slow:
        return QStringLiteral("slow");
    case NetworkVerdict::unreachable:
        return QStringLiteral("unreachable");
    case NetworkVerdict::unmeasured:
        break;
    }
    return QStringLiteral("unmeasured");
}

template <> std::optional<NetworkVerdict> fromRaw<NetworkVerdict>(QStringView raw) {
    for (auto v : {NetworkVerdict::ok, NetworkVerdict::slow, NetworkVerdict::unreachable,
                   NetworkVerdict::unmeasured})
        if (raw == toRaw(v))
            return v;
    return std::nullopt;
}

NetworkReadinessResult NetworkReadinessConfig::evaluate(std::optional<double> bestBytesPerSecond,
                                                        qint64 reachableCount,
                                                        qint64 downCount) const {
    const qint64 total = endpoints.size();
    if (total == 0)
        return {};
    if (bestBytesPerSecond && *bestBytesPerSecond > 0) {
        // std::round rounds halves away from zero; an estimate past the range saturates.
        const double seconds = std::round(double(estimatedPayloadBytes) / *bestBytesPerSecond);
        const qint64 estimate =
            seconds >= 9.2e18 ? std::numeric_limits<qint64>::max() : static_cast<qint64>(seconds);
        return {estimate > slowThresholdSeconds ? NetworkVerdict::slow : NetworkVerdict::ok,
                *bestBytesPerSecond * 8.0 / 1e6, estimate, reachableCount, total};
    }
    const bool allDown = reachableCount == 0 && downCount == total;
    return {allDown ? NetworkVerdict::unreachable : NetworkVerdict::unmeasured, std::nullopt,
            std::nullopt, reachableCount, total};
}

} // namespace tovr
