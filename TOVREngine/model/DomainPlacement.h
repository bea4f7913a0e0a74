#pragma once

#include "platform/RawValue.h"

#include <array>

namespace tovr {

// Where a stage sits: primary stages precede verification, offers follow a passed verification,
// optional stages follow the keep-going gate.
enum class DomainPlacement { primary, offer, optional };

inline constexpr std::array allDomainPlacements{DomainPlacement::primary, DomainPlacement::offer,
                                                DomainPlacement::optional};

QString toRaw(DomainPlacement value);
template <> std::optional<DomainPlacement> fromRaw<DomainPlacement>(QStringView raw);

} // namespace tovr
