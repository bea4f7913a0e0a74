#include "model/Screen.h"

#include "model/NextStepPrompt.h"

namespace tovr {

Screen Screen::forNextStep(const NextStepOption& option,
                           const std::optional<QString>& selectedGoal) {
    const OfferRoute& route = option.offer;
    if (const auto* content = route.as<OfferRoute::Content>())
        return contentOffer(content->offerID);
    if (route.as<OfferRoute::GuidedHelpWTP>())
        return guidedHelpOffer();
    if (route.as<OfferRoute::AICodingInterest>())
        return aiCodingOffer();
    return audit(AuditContext{auditEntryForNextStep(option.key), CompletionSurface::excluded(),
                              TOVRAuditContext{option.key, selectedGoal, route.then()}});
}

size_t qHash(const Screen& screen, size_t seed) {
    seed = ::qHash(screen.caseIndex(), seed);
    if (const auto* audit = screen.as<Screen::Audit>())
        return qHash(audit->context, seed);
    if (const auto* offer = screen.as<Screen::ContentOffer>())
        return qHash(offer->offerID, seed);
    return seed;
}

} // namespace tovr
