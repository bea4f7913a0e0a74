#pragma once

#include "platform/RawValue.h"

#include <array>

namespace tovr {

// Which check confirms a fix: a re-check on the Mac, or the install's own completion.
enum class VerifyPolicy { localVerification, installCompletion };

inline constexpr std::array allVerifyPolicies{VerifyPolicy::localVerification,
                                              VerifyPolicy::installCompletion};

QString toRaw(VerifyPolicy value);
template <> std::optional<VerifyPolicy> fromRaw<VerifyPolicy>(QStringView raw);

} // namespace tovr
