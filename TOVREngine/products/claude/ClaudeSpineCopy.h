#pragma once

#include "model/SetupDiagnosis.h"

#include <QString>

#include <optional>

namespace tovr {

// The Claude Code product's stage screens and status lines.
struct ClaudeSpineCopy {
    struct DomainScreen {
        QString windowTitle;
        QString headline;
        QString body;
        std::optional<QString> footer;
        bool operator==(const DomainScreen&) const = default;
    };

    // Absent for a domain the product has no screen for.
    static std::optional<DomainScreen> screen(const QString& domainID);
    // "<name>: <state>"; a domain without a name of its own is named by its id.
    static QString statusText(const QString& domainID, SetupDiagnosisClassification classification);
};

} // namespace tovr
