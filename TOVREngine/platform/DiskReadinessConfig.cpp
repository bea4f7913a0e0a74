#include "platform/DiskReadinessConfig.h"

#include <limits>

namespace tovr {

QString toRaw(DiskVerdict verdict) {
    switch (verdict) {
    case DiskVerdict::ok:
        return QStringLiteral("ok");
    case DiskVerdict::low:
        return QStringLiteral("low");
    case DiskVerdict::critical:
        return QStringLiteral("critical");
    case DiskVerdict::unmeasured:
        break;
    }
    return QStringLiteral("unmeasured");
}

template <> std::optional<DiskVerdict> fromRaw<DiskVerdict>(QStringView raw) {
    for (auto v :
         {DiskVerdict::ok, DiskVerdict::low, DiskVerdict::critical, DiskVerdict::unmeasured})
        if (raw == toRaw(v))
            return v;
    return std::nullopt;
}

DiskReadinessResult DiskReadinessResult::evaluate(std::optional<qint64> availableBytes,
                                                  const DiskReadinessConfig& config) {
    DiskReadinessResult result{DiskVerdict::unmeasured, availableBytes,
                               config.worstCaseInstallBytes, config.freeFloorBytes};
    if (!availableBytes)
        return result;
    // A sum past the 64-bit range saturates: nothing can have that much room.
    qint64 needed = 0;
    if (__builtin_add_overflow(config.worstCaseInstallBytes, config.freeFloorBytes, &needed))
        needed = config.freeFloorBytes > 0 ? std::numeric_limits<qint64>::max()
                                           : std::numeric_limits<qint64>::min();
    if (*availableBytes < config.criticalFreeBytes)
        result.verdict = DiskVerdict::critical;
    else if (*availableBytes < needed)
        result.verdict = DiskVerdict::low;
    else
        result.verdict = DiskVerdict::ok;
    return result;
}

} // namespace tovr
