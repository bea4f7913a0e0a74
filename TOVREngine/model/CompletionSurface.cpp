#include "model/CompletionSurface.h"

namespace tovr {

QString toRaw(BuildIntentSurface surface) {
    switch (surface) {
    case BuildIntentSurface::postFix:
        return QStringLiteral("post_fix");
    case BuildIntentSurface::modernHomeSet:
        return QStringLiteral("modern_home_set");
    case BuildIntentSurface::noErrorsFound:
        return QStringLiteral("no_errors_found");
    }
    Q_UNREACHABLE();
    return {};
}

template <> std::optional<BuildIntentSurface> fromRaw<BuildIntentSurface>(QStringView raw) {
    for (const auto surface : {BuildIntentSurface::postFix, BuildIntentSurface::modernHomeSet,
                               BuildIntentSurface::noErrorsFound}) {
        if (raw == toRaw(surface))
            return surface;
    }
    return std::nullopt;
}

} // namespace tovr
