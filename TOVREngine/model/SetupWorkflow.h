#pragma once

#include "model/DomainPlacement.h"
#include "model/SetupStage.h"

#include <QList>
#include <QStringList>

#include <memory>
#include <optional>

namespace tovr {

// One stage of a product's step list and where it sits in the flow.
struct WorkflowStep {
    std::shared_ptr<const SetupStage> stage;
    DomainPlacement placement = DomainPlacement::primary;
};

// A product's ordered step list; stages are visited in list order within each placement.
// Domain ids compare as exact texts.
struct SetupWorkflow {
    QList<WorkflowStep> steps;

    // The placement of the first step with that domain; absent when no step has it.
    std::optional<DomainPlacement> placement(const QString& domainID) const;
    QStringList primaryDomainIDs() const;
    QStringList offerDomainIDs() const;
    QStringList optionalDomainIDs() const;
    std::optional<QString> firstDomainID() const;
    // The domain of the step right after the first step with that domain, whatever its
    // placement; absent when the domain is missing or last.
    std::optional<QString> domainIDAfter(const QString& domainID) const;
    // The first step of `placement` after `after` (or from the start) whose diagnosis is
    // not ready. `after` is searched only among the steps of that placement; when it is
    // not there, the result is absent.
    std::optional<QString> nextPendingDomainID(DomainPlacement placement,
                                               const std::optional<QString>& after = {}) const;

private:
    QStringList domainIDs(DomainPlacement placement) const;
};

} // namespace tovr
