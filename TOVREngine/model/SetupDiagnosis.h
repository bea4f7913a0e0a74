#pragma once

#include "platform/RawValue.h"

#include <QHashFunctions>
#include <QString>

namespace tovr {

enum class SetupDiagnosisClassification { ready, fixable, blocked, unknown };

QString toRaw(SetupDiagnosisClassification classification);
template <>
std::optional<SetupDiagnosisClassification> fromRaw<SetupDiagnosisClassification>(QStringView raw);

inline size_t qHash(SetupDiagnosisClassification classification, size_t seed = 0) {
    return qHash(toRaw(classification), seed);
}

// The verdict on one setup domain: the one-line headline and the sentence under it.
struct SetupDiagnosis {
    QString headline;
    QString detail;
    SetupDiagnosisClassification classification = SetupDiagnosisClassification::unknown;
    bool operator==(const SetupDiagnosis&) const = default;
};

} // namespace tovr
