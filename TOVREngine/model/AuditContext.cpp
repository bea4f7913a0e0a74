#include "model/AuditContext.h"

namespace tovr {

QString toRaw(AuditEntry entry) {
    switch (entry) {
    case AuditEntry::heuristic:
        return QStringLiteral("heuristic");
    case AuditEntry::buildIntent:
        return QStringLiteral("build_intent");
    case AuditEntry::nextStepCourse:
        return QStringLiteral("next_step_course");
    case AuditEntry::nextStepBuildSoftware:
        return QStringLiteral("next_step_build_software");
    case AuditEntry::nextStepNotSure:
        return QStringLiteral("next_step_not_sure");
    }
    Q_UNREACHABLE();
    return {};
}

template <> std::optional<AuditEntry> fromRaw<AuditEntry>(QStringView raw) {
    for (const auto entry :
         {AuditEntry::heuristic, AuditEntry::buildIntent, AuditEntry::nextStepCourse,
          AuditEntry::nextStepBuildSoftware, AuditEntry::nextStepNotSure}) {
        if (raw == toRaw(entry))
            return entry;
    }
    return std::nullopt;
}

AuditEntry auditEntryForNextStep(QStringView nextStepKey) {
    if (nextStepKey == u"course")
        return AuditEntry::nextStepCourse;
    if (nextStepKey == u"build_software")
        return AuditEntry::nextStepBuildSoftware;
    return AuditEntry::nextStepNotSure;
}

namespace {

template <class T> size_t hashOptional(const std::optional<T>& value, size_t seed) {
    if (!value)
        return ::qHash(0, seed);
    return qHash(*value, ::qHash(1, seed));
}

} // namespace

size_t qHash(const TOVRAuditContext& context, size_t seed) {
    seed = qHash(context.nextStep, seed);
    seed = hashOptional(context.goal, seed);
    return hashOptional(context.thenRoute, seed);
}

size_t qHash(const AuditContext& context, size_t seed) {
    seed = qHash(context.entry, seed);
    seed = qHash(context.completionSurface, seed);
    return hashOptional(context.tovr, seed);
}

} // namespace tovr
