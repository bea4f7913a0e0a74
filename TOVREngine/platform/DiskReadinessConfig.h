#pragma once

#include "platform/RawValue.h"

#include <QString>

#include <optional>

namespace tovr {

enum class DiskVerdict { ok, low, critical, unmeasured };

QString toRaw(DiskVerdict verdict);
template <> std::optional<DiskVerdict> fromRaw<DiskVerdict>(QStringView raw);

struct DiskReadinessConfig;

// The outcome of one free-space check of the home folder's volume.
struct DiskReadinessResult {
    DiskVerdict verdict = DiskVerdict::unmeasured;
    std::optional<qint64> availableBytes; // absent when no figure was available
    qint64 worstCaseBytes = 0;
    qint64 headroomBytes = 0;

    // Low and critical free space warn; ok and unmeasured do not.
    bool needsWarning() const {
        return verdict == DiskVerdict::low || verdict == DiskVerdict::critical;
    }
    bool operator==(const DiskReadinessResult&) const = default;

    static DiskReadinessResult evaluate(std::optional<qint64> availableBytes,
                                        const DiskReadinessConfig& config);
};

// How much room a setup needs.
struct DiskReadinessConfig {
    qint64 worstCaseInstallBytes = 0;
    qint64 freeFloorBytes = 0;
    qint64 criticalFreeBytes = 0;

    DiskReadinessResult evaluate(std::optional<qint64> availableBytes) const {
        return DiskReadinessResult::evaluate(availableBytes, *this);
    }
};

} // namespace tovr
