#include "model/Outcome.h"

namespace tovr {

QString toRaw(Outcome outcome) {
    switch (outcome) {
    case Outcome::ready:
        return QStringLiteral("ready");
    case Outcome::still_blocked:
        return QStringLiteral("still_blocked");
    case Outcome::unsure:
        return QStringLiteral("unsure");
    }
    Q_UNREACHABLE();
    return {};
}

template <> std::optional<Outcome> fromRaw<Outcome>(QStringView raw) {
    for (const auto outcome : {Outcome::ready, Outcome::still_blocked, Outcome::unsure}) {
        if (raw == toRaw(outcome))
            return outcome;
    }
    return std::nullopt;
}

} // namespace tovr
