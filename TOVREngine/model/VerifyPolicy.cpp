#include "model/VerifyPolicy.h"

namespace tovr {

QString toRaw(VerifyPolicy value) {
    switch (value) {
    case VerifyPolicy::localVerification:
        return QStringLiteral("localVerification");
    case VerifyPolicy::installCompletion:
        return QStringLiteral("installCompletion");
    }
    return {};
}

template <> std::optional<VerifyPolicy> fromRaw<VerifyPolicy>(QStringView raw) {
    return detail::matchRaw<VerifyPolicy>(raw, allVerifyPolicies);
}

} // namespace tovr
