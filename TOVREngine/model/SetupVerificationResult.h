#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace tovr {

// What a verifier reports after the primary installs.
struct SetupVerificationResult {
    SetupVerificationResult() = default;
    // Given only the output and the verdict, the rest is absent or empty.
    SetupVerificationResult(QString rawOutput, bool passed, std::optional<qint32> exitCode = {},
                            std::optional<QString> engineOutcome = {},
                            QStringList verifiedItems = {}, QMap<QString, QString> details = {})
        : rawOutput(std::move(rawOutput)), passed(passed), exitCode(exitCode),
          engineOutcome(std::move(engineOutcome)), verifiedItems(std::move(verifiedItems)),
          details(std::move(details)) {}

    QString rawOutput;
    bool passed = false;
    std::optional<qint32> exitCode;
    std::optional<QString> engineOutcome; // a short outcome code for telemetry
    QStringList verifiedItems;
    QMap<QString, QString> details;
    bool operator==(const SetupVerificationResult&) const = default;
};

} // namespace tovr
