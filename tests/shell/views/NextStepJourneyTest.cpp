#include "support/FixtureMac.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "shell/RootModel.h"
#include "shell/views/NavigationHost.h"
#include "shell/views/TOVRRootView.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

// A product that asks what comes next and has an offer behind each answer.
ProductConfig productWithOffers() {
    ProductConfig product = ProductConfig::javaDiagnosis();
    product.nextStepPrompt = NextStepPrompt{
        "What would you like to do next?",
        "Java is working. Pick what fits you best.",
        "post_java",
        {{"course", "I'm taking a course", Outcome::ready, OfferRoute::audit()},
         {"stuck", "I'm still stuck", Outcome::still_blocked, OfferRoute::guidedHelpWTP()},
         {"ai", "I want to build with AI", Outcome::ready, OfferRoute::aiCodingInterest()},
         {"docs", "Show me the docs", Outcome::unsure, OfferRoute::content("java_docs")}}};
    product.offerCatalog.insert("java_docs",
                                {"java_docs", "post_java", "Java documentation",
                                 "The guides we recommend.", "Open the guides", std::nullopt,
                                 std::nullopt, QUrl("https://example.org/java"), "asked"});
    product.offerCatalog.insert("ai_coding_setup", {"ai_coding_setup", "post_java", "Build with AI",
                                                    "We can set up an AI coding agent for you.",
                                                    "Yes, help me", std::nullopt, std::nullopt,
                                                    QUrl("https://example.org/ai"), "asked"});
    return product;
}

} // namespace

// After a check: the next-step question, each offer it leads to, and back again.
TEST(NextStepJourney, EachAnswerLeadsToItsOfferAndBack) {
    ScopedProductConfig product(productWithOffers());
    RecordedTelemetry telemetry;
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    TestScreenContext screens(mac.services(), mac.environment()); // fixture mode: no probing
    screens.userDefaults->set(QVariant(true), consentKey());
    TOVRRootView window(screens.context);
    window.resize(720, 720);
    window.show();
    settle();
    window.navigation().setPath({Screen::nextStep()});
    ASSERT_TRUE(spinUntil([&] { return findVisible(&window, "next-step-option-stuck"); }));
    saveScreenshot(&window, "next-step");

    const auto choose = [&](const QString& key) {
        clickButton(&window, "next-step-option-" + key);
        clickButton(&window, "next-step-continue");
    };
    choose("stuck");
    EXPECT_EQ(window.navigation().path().last(), Screen::guidedHelpOffer());
    saveScreenshot(&window, "offer-guided-help");
    clickButton(&window, "offer-guided_help_plan-primary");
    EXPECT_TRUE(
        spinUntil([&] { return findVisible(&window, "offer-guided_help_plan-unavailable"); }));
    saveScreenshot(&window, "offer-guided-help-notice");
    clickButton(&window, "navigation-back");

    choose("ai");
    EXPECT_EQ(window.navigation().path().last(), Screen::aiCodingOffer());
    saveScreenshot(&window, "offer-ai-coding");
    clickButton(&window, "navigation-back");

    choose("docs");
    EXPECT_EQ(window.navigation().path().last(), Screen::contentOffer("java_docs"));
    saveScreenshot(&window, "offer-content");
    clickButton(&window, "offer-java_docs-primary");
    EXPECT_TRUE(window.navigation().path().isEmpty());
    EXPECT_EQ(screens.urlOpener->opened, QList<QUrl>{QUrl("https://example.org/java")});

    EXPECT_EQ(telemetry.count("next_step_selected"), 3);
    EXPECT_EQ(telemetry.count("offer_shown"), 2); // the guided plan has no catalogue entry
    const auto actions = telemetry.withName("offer_action");
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.first().value("offer_id").toString(), "java_docs");
    EXPECT_EQ(actions.first().value("next_step").toString(), "docs");
}

// Every destination of the root has a screen of its own.
TEST(NextStepJourney, EveryDestinationShowsItsScreen) {
    ScopedProductConfig product(productWithOffers());
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    TestScreenContext screens(mac.services(), mac.environment());
    screens.userDefaults->set(QVariant(true), consentKey());
    screens.profile->set(mac.expectedProfile());
    TOVRRootView window(screens.context);
    window.show();
    settle();
    const QList<Screen> all{
        Screen::audit({AuditEntry::heuristic, CompletionSurface::excluded(), std::nullopt}),
        Screen::contentOffer("java_docs"),
        Screen::diagnose(),
        Screen::setupWorkflow(),
        Screen::nextStep(),
        Screen::guidedHelpOffer(),
        Screen::aiCodingOffer()};
    for (const Screen& screen : all) {
        window.navigation().setPath({screen});
        QWidget* shown = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (shown = window.navigationHost()->currentScreen()); }));
        // The empty page of a destination without a screen has nothing in it.
        EXPECT_FALSE(shown->findChildren<QWidget*>().isEmpty())
            << "no screen for case " << screen.caseIndex();
    }
}
