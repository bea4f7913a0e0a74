#include "model/OfferRoute.h"
#include "model/Outcome.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace tovr;

TEST(Outcome, RawValuesMatchExactly) {
    for (const auto outcome : {Outcome::ready, Outcome::still_blocked, Outcome::unsure})
        EXPECT_EQ(fromRaw<Outcome>(toRaw(outcome)), outcome);
    EXPECT_EQ(fromRaw<Outcome>(u"still_blocked"), Outcome::still_blocked);
    for (const auto* miss : {"Ready", "blocked", "ready ", "", "stillBlocked", "UNSURE"})
        EXPECT_EQ(fromRaw<Outcome>(QString::fromUtf8(miss)), std::nullopt) << miss;
}

TEST(OfferRoute, ShallowEquality) {
    EXPECT_EQ(OfferRoute::content("a"), OfferRoute::content("a"));
    EXPECT_NE(OfferRoute::content("a"), OfferRoute::content("b"));
    EXPECT_EQ(OfferRoute::guidedHelpWTP(), OfferRoute::guidedHelpWTP());
    for (const auto& offerID : {QString(), QString("guided_help_plan")}) {
        EXPECT_NE(OfferRoute::content(offerID), OfferRoute::guidedHelpWTP());
        EXPECT_NE(OfferRoute::content(offerID), OfferRoute::aiCodingInterest());
    }
    EXPECT_NE(OfferRoute::guidedHelpWTP(), OfferRoute::aiCodingInterest());
    EXPECT_EQ(OfferRoute::audit(), OfferRoute::audit());
    EXPECT_NE(OfferRoute::audit(), OfferRoute::audit(OfferRoute::guidedHelpWTP()));
    EXPECT_NE(OfferRoute::audit(OfferRoute::guidedHelpWTP()), OfferRoute::audit());
}

TEST(OfferRoute, NestedRoutesCompareAndHashByContent) {
    const auto nested = [](const QString& offerID) {
        return OfferRoute::audit(OfferRoute::audit(OfferRoute::content(offerID)));
    };
    const OfferRoute a = nested("course_pack");
    const OfferRoute b = nested("course_pack");
    EXPECT_EQ(a, b);
    EXPECT_EQ(qHash(a), qHash(b));
    EXPECT_EQ(qHash(a, 42), qHash(b, 42));
    EXPECT_NE(a, nested("other_pack"));
    EXPECT_NE(a, OfferRoute::audit(OfferRoute::audit()));
    EXPECT_NE(OfferRoute::audit(OfferRoute::audit()), a);

    EXPECT_EQ(a.then(), OfferRoute::audit(OfferRoute::content("course_pack")));
    EXPECT_EQ(a.then()->then(), OfferRoute::content("course_pack"));
    EXPECT_EQ(OfferRoute::content("x").then(), std::nullopt);

    // Copies share the follow-up but stay equal to a freshly built route.
    const OfferRoute copy = a;
    EXPECT_EQ(copy, b);

    QSet<OfferRoute> routes{a, b, nested("other_pack"), OfferRoute::audit(),
                            OfferRoute::guidedHelpWTP()};
    EXPECT_EQ(routes.size(), 4);
}
