#include "model/OfferRoute.h"

namespace tovr {

bool OfferRoute::Audit::operator==(const Audit& other) const {
    if (!then || !other.then)
        return !then && !other.then;
    return *then == *other.then;
}

OfferRoute OfferRoute::audit(std::optional<OfferRoute> then) {
    Audit audit;
    if (then)
        audit.then = std::make_shared<const OfferRoute>(std::move(*then));
    return OfferRoute(std::move(audit));
}

std::optional<OfferRoute> OfferRoute::then() const {
    if (const auto* audit = as<Audit>(); audit && audit->then)
        return *audit->then;
    return std::nullopt;
}

size_t qHash(const OfferRoute& route, size_t seed) {
    seed = ::qHash(route.caseIndex(), seed);
    if (const auto* content = route.as<OfferRoute::Content>())
        return qHash(content->offerID, seed);
    if (const auto* audit = route.as<OfferRoute::Audit>()) {
        if (!audit->then)
            return ::qHash(0, seed);
        return qHash(*audit->then, ::qHash(1, seed));
    }
    return seed;
}

} // namespace tovr
