#pragma once

#include "platform/DiskReadinessConfig.h"
#include "platform/NetworkReadinessConfig.h"

#include <QString>

#include <optional>

namespace tovr {

// The wording of one readiness warning screen.
struct ReadinessScreenCopy {
    QString windowTitle;
    QString headline;
    QString body;
    QString continueLabel;
    QString stopLabel;

    bool operator==(const ReadinessScreenCopy&) const = default;

    // For a slow or unreachable connection; without an estimate the body says 10 minutes.
    static ReadinessScreenCopy network(NetworkVerdict verdict,
                                       std::optional<qint64> estimatedInstallSeconds);
    static ReadinessScreenCopy network(const NetworkReadinessResult& result) {
        return network(result.verdict, result.estimatedInstallSeconds);
    }
    // For low or critical free space.
    static ReadinessScreenCopy disk(DiskVerdict verdict, std::optional<qint64> availableBytes,
                                    qint64 worstCaseBytes);
    static ReadinessScreenCopy disk(const DiskReadinessResult& result) {
        return disk(result.verdict, result.availableBytes, result.worstCaseBytes);
    }
};

} // namespace tovr
