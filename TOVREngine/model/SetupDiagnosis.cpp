#include "model/SetupDiagnosis.h"

#include <array>

namespace tovr {

QString toRaw(SetupDiagnosisClassification classification) {
    switch (classification) {
    case SetupDiagnosisClassification::ready:
        return QStringLiteral("ready");
    case SetupDiagnosisClassification::fixable:
        return QStringLiteral("fixable");
    case SetupDiagnosisClassification::blocked:
        return QStringLiteral("blocked");
    case SetupDiagnosisClassification::unknown:
        return QStringLiteral("unknown");
    }
    return {};
}

template <>
std::optional<SetupDiagnosisClassification> fromRaw<SetupDiagnosisClassification>(QStringView raw) {
    using C = SetupDiagnosisClassification;
    static constexpr std::array cases{C::ready, C::fixable, C::blocked, C::unknown};
    return detail::matchRaw<C>(raw, cases);
}

} // namespace tovr
