#pragma once

#include <QHashFunctions>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

namespace tovr {

// Where an answer to a prompt leads. `audit` may name a follow-up route, so the value is
// recursive; the follow-up sits behind a shared, immutable pointer and compares by content.
class OfferRoute {
public:
    struct Content {
        QString offerID;
        bool operator==(const Content&) const = default;
    };
    struct Audit {
        std::shared_ptr<const OfferRoute> then; // null when there is no follow-up
        bool operator==(const Audit& other) const;
    };
    struct GuidedHelpWTP {
        bool operator==(const GuidedHelpWTP&) const = default;
    };
    struct AICodingInterest {
        bool operator==(const AICodingInterest&) const = default;
    };

    static OfferRoute content(QString offerID) { return OfferRoute(Content{std::move(offerID)}); }
    static OfferRoute audit(std::optional<OfferRoute> then = std::nullopt);
    static OfferRoute guidedHelpWTP() { return OfferRoute(GuidedHelpWTP{}); }
    static OfferRoute aiCodingInterest() { return OfferRoute(AICodingInterest{}); }

    template <class Case> const Case* as() const { return std::get_if<Case>(&value_); }
    // The case's position, 0 to 3.
    size_t caseIndex() const { return value_.index(); }
    // The follow-up of an `audit` route; absent for every other case.
    std::optional<OfferRoute> then() const;

    bool operator==(const OfferRoute&) const = default;

private:
    using Value = std::variant<Content, Audit, GuidedHelpWTP, AICodingInterest>;
    explicit OfferRoute(Value value) : value_(std::move(value)) {}
    Value value_;
};

size_t qHash(const OfferRoute& route, size_t seed = 0);

} // namespace tovr
