#include "support/FakeDesktop.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"

#include "model/AppNavigation.h"
#include "products/cli/CliProductConfig.h"
#include "shell/NextStepModel.h"
#include "shell/OfferScreenModel.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

NextStepPrompt prompt() {
    return {"What next?",
            "Pick one.",
            "after_java",
            {{"course", "A course", Outcome::ready, OfferRoute::audit()},
             {"Course", "Case differs", Outcome::unsure,
              OfferRoute::audit(OfferRoute::guidedHelpWTP())},
             {"docs", "Docs", Outcome::still_blocked, OfferRoute::content("docs_offer")},
             {"docs", "Same key", Outcome::ready, OfferRoute::aiCodingInterest()}}};
}

} // namespace

TEST(NextStepModel, TheChosenAnswerIsStoredSentAndPushedOnce) {
    RecordedTelemetry telemetry;
    AppNavigation navigation;
    navigation.setPath({Screen::nextStep()});
    NextStepModel model(prompt(), &navigation);
    model.continueWithSelection(); // nothing chosen
    EXPECT_EQ(navigation.path().size(), 1);

    model.select("course");
    model.continueWithSelection();
    ASSERT_EQ(navigation.path().size(), 2);
    EXPECT_EQ(navigation.path().last(),
              Screen::audit({AuditEntry::nextStepCourse, CompletionSurface::excluded(),
                             TOVRAuditContext{"course", std::nullopt, std::nullopt}}));
    EXPECT_EQ(navigation.selectedNextStep(), QString("course"));

    // A key differing only in case is "not sure"; the follow-on route travels with the audit;
    // the goal chosen earlier is carried.
    navigation.setSelectedGoal("learn");
    model.select("Course");
    model.continueWithSelection();
    EXPECT_EQ(
        navigation.path().last(),
        Screen::audit({AuditEntry::nextStepNotSure, CompletionSurface::excluded(),
                       TOVRAuditContext{"Course", QString("learn"), OfferRoute::guidedHelpWTP()}}));

    // Two options with one key: the first in list order wins.
    model.select("docs");
    model.continueWithSelection();
    EXPECT_EQ(navigation.path().last(), Screen::contentOffer("docs_offer"));

    const auto sent = telemetry.withName("next_step_selected");
    ASSERT_EQ(sent.size(), 3);
    EXPECT_TRUE(sent[0].value("goal").isNull());
    EXPECT_EQ(sent[0].value("outcome").toString(), "ready");
    EXPECT_EQ(sent[1].value("goal").toString(), "learn");
    EXPECT_EQ(sent[2].value("outcome").toString(), "still_blocked");
    EXPECT_EQ(sent[2].value("surface").toString(), "after_java");
}

TEST(OfferScreenModel, WithoutACatalogueEntryNothingIsSentAndDismissStillGoesHome) {
    RecordedTelemetry telemetry;
    ScopedProductConfig product(cliProduct()); // an empty catalogue
    AppNavigation navigation;
    navigation.setPath({Screen::nextStep(), Screen::contentOffer("x")});
    OfferScreenModel model(OfferScreenModel::Kind::content, "x", &navigation, nullptr);
    EXPECT_EQ(model.title(), "You're all set");
    EXPECT_FALSE(model.showsPrimary());
    EXPECT_EQ(model.secondIdentifier(), "offer-x-dismiss");
    model.emitShownIfNeeded();
    model.dismiss();
    EXPECT_TRUE(navigation.path().isEmpty());
    EXPECT_TRUE(telemetry.names().isEmpty());
}

TEST(OfferScreenModel, OfferEventsCarryTheChoicesAndTheGuidedPlanOnlyRecordsInterest) {
    RecordedTelemetry telemetry;
    ProductConfig config = cliProduct();
    config.offerCatalog.insert("guided_help_plan",
                               {"guided_help_plan", "next_step", "Need a hand?", "Body",
                                "Plan ($2)", std::nullopt, std::nullopt, std::nullopt, "stuck"});
    config.offerCatalog.insert("ai_coding_setup", {"ai_coding_setup", "next_step", "AI?", "Body",
                                                   "Yes please", std::nullopt, std::nullopt,
                                                   QUrl("https://example.org/ai"), "curious"});
    ScopedProductConfig product(config);
    AppNavigation navigation;
    navigation.setPath({Screen::nextStep(), Screen::guidedHelpOffer()});
    navigation.setSelectedNextStep("stuck");
    auto opener = std::make_shared<FakeURLOpener>();

    OfferScreenModel guided(OfferScreenModel::Kind::guidedHelp, "guided_help_plan", &navigation,
                            opener);
    guided.emitShownIfNeeded();
    guided.emitShownIfNeeded();
    guided.selectPrimary();
    EXPECT_TRUE(guided.showedUnavailable());
    EXPECT_FALSE(guided.showsPrimary());
    EXPECT_EQ(navigation.path().size(), 2); // the screen stays, with its notice
    guided.goHome();
    EXPECT_TRUE(navigation.path().isEmpty());

    OfferScreenModel ai(OfferScreenModel::Kind::aiCoding, "ai_coding_setup", &navigation, opener);
    ai.selectPrimary();
    ai.selectPrimary(); // the screen is already left
    EXPECT_EQ(opener->opened, QList<QUrl>{QUrl("https://example.org/ai")});

    const auto shown = telemetry.withName("offer_shown");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].value("next_step").toString(), "stuck");
    EXPECT_TRUE(shown[0].value("goal").isNull());
    const auto actions = telemetry.withName("offer_action");
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0].value("result").toString(), "interest_no_fulfillment");
    EXPECT_EQ(actions[1].value("result").toString(), "interest");
    EXPECT_EQ(actions[1].value("offer_id").toString(), "ai_coding_setup");
}
