#pragma once

#include "platform/RawValue.h"

#include "model/CompletionSurface.h"
#include "model/OfferRoute.h"

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>

namespace tovr {

// How the system audit was reached.
enum class AuditEntry {
    heuristic,
    buildIntent,
    nextStepCourse,
    nextStepBuildSoftware,
    nextStepNotSure,
};

QString toRaw(AuditEntry entry);
template <> std::optional<AuditEntry> fromRaw<AuditEntry>(QStringView raw);

inline size_t qHash(AuditEntry entry, size_t seed = 0) {
    return qHash(toRaw(entry), seed);
}

// The entry of an audit opened from the next-step prompt: "course" and "build_software"
// have their own; every other key counts as not sure.
AuditEntry auditEntryForNextStep(QStringView nextStepKey);

// The choices made on the next-step prompt that led to the audit.
struct TOVRAuditContext {
    QString nextStep;
    std::optional<QString> goal;
    std::optional<OfferRoute> thenRoute; // shown after the audit
    bool operator==(const TOVRAuditContext&) const = default;
};

size_t qHash(const TOVRAuditContext& context, size_t seed = 0);

// Why the system audit was opened and what ends it.
struct AuditContext {
    AuditEntry entry = AuditEntry::heuristic;
    CompletionSurface completionSurface = CompletionSurface::excluded();
    std::optional<TOVRAuditContext> tovr; // present when reached from the next-step prompt
    bool operator==(const AuditContext&) const = default;
};

size_t qHash(const AuditContext& context, size_t seed = 0);

} // namespace tovr
