#include "model/SetupWorkflow.h"

namespace tovr {

std::optional<DomainPlacement> SetupWorkflow::placement(const QString& domainID) const {
    for (const auto& step : steps)
        if (step.stage->domainID() == domainID)
            return step.placement;
    return std::nullopt;
}

QStringList SetupWorkflow::domainIDs(DomainPlacement placement) const {
    QStringList ids;
    for (const auto& step : steps)
        if (step.placement == placement)
            ids << step.stage->domainID();
    return ids;
}

QStringList SetupWorkflow::primaryDomainIDs() const {
    return domainIDs(DomainPlacement::primary);
}

QStringList SetupWorkflow::offerDomainIDs() const {
    return domainIDs(DomainPlacement::offer);
}

QStringList SetupWorkflow::optionalDomainIDs() const {
    return domainIDs(DomainPlacement::optional);
}

std::optional<QString> SetupWorkflow::firstDomainID() const {
    if (steps.isEmpty())
        return std::nullopt;
    return steps.first().stage->domainID();
}

std::optional<QString> SetupWorkflow::domainIDAfter(const QString& domainID) const {
    for (qsizetype i = 0; i < steps.size(); ++i)
        if (steps[i].stage->domainID() == domainID)
            return i + 1 < steps.size() ? std::optional(steps[i + 1].stage->domainID())
                                        : std::nullopt;
    return std::nullopt;
}

std::optional<QString>
SetupWorkflow::nextPendingDomainID(DomainPlacement placement,
                                   const std::optional<QString>& after) const {
    QList<const SetupStage*> kept;
    for (const auto& step : steps)
        if (step.placement == placement)
            kept << step.stage.get();

    qsizetype start = 0;
    if (after) {
        start = -1;
        for (qsizetype i = 0; i < kept.size(); ++i)
            if (kept[i]->domainID() == *after) {
                start = i + 1;
                break;
            }
        if (start < 0)
            return std::nullopt;
    }
    for (qsizetype i = start; i < kept.size(); ++i)
        if (kept[i]->diagnosis().classification != SetupDiagnosisClassification::ready)
            return kept[i]->domainID();
    return std::nullopt;
}

} // namespace tovr
