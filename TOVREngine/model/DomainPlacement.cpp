#include "model/DomainPlacement.h"

namespace tovr {

QString toRaw(DomainPlacement value) {
    switch (value) {
    case DomainPlacement::primary:
        return QStringLiteral("primary");
    case DomainPlacement::offer:
        return QStringLiteral("offer");
    case DomainPlacement::optional:
        return QStringLiteral("optional");
    }
    return {};
}

template <> std::optional<DomainPlacement> fromRaw<DomainPlacement>(QStringView raw) {
    return detail::matchRaw<DomainPlacement>(raw, allDomainPlacements);
}

} // namespace tovr
