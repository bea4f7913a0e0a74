#include "shell/AuditTestSupport.h"

#include "shell/FinalAuditReportModel.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Mark = FinalAuditReportModel::Mark;
using Row = FinalAuditReportModel::Row;

TEST(FinalAuditReport, ListsTheMacAsItNowIsAndKeepsTheGivenProfileInFixtureMode) {
    SystemProfile bare;
    EXPECT_EQ(FinalAuditReportModel::checklist(bare),
              (QList<Row>{{Mark::missing, "Xcode Command Line Tools missing"},
                          {Mark::missing, "Homebrew missing"},
                          {Mark::recommended, QString::fromUtf8("Try Warp — we recommend it")}}));

    auto mac = developerWithoutHomebrew();
    const auto before = mac->profiler().profile();
    installHomebrewOn(*mac);
    for (const bool fixtureMode : {false, true}) {
        auto services = mac->services();
        services.isFixtureMode = fixtureMode;
        TestScreenContext screen(services, mac->environment());
        FinalAuditReportModel report(screen.context, before, {});
        report.appearTask();
        // Fixture mode profiles nothing, so there is nothing to wait for.
        if (!fixtureMode) {
            EXPECT_TRUE(waitFor([&] { return report.rows()[1].mark == Mark::installed; }));
        }
        EXPECT_EQ(report.rows()[0], (Row{Mark::installed, "Xcode Command Line Tools installed"}));
        EXPECT_EQ(report.rows()[1].label, fixtureMode ? "Homebrew missing" : "Homebrew installed");
    }
}

TEST(FinalAuditReport, OffersTheScoreCardOnlyWhenAllowedAndSendsDismissedOnlyWhenSeenNotSubmitted) {
    RecordedTelemetry telemetry;
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    TestScreenContext screen(mac.services(), mac.environment());
    int done = 0;
    const auto report = [&] {
        return std::make_unique<FinalAuditReportModel>(screen.context, mac.expectedProfile(),
                                                       [&] { ++done; });
    };

    auto seen = report();
    ASSERT_TRUE(seen->showsCard());
    seen->cardAppeared();
    seen->cardAppeared();
    auto seenElsewhere = report(); // "nps_shown" goes out once per process, at most
    seenElsewhere->cardAppeared();
    EXPECT_LE(telemetry.count("nps_shown"), 1);
    seen->finish();
    seenElsewhere->finish();
    EXPECT_EQ(telemetry.count("nps_dismissed"), 2);

    auto submitted = report();
    submitted->cardAppeared();
    submitted->cardSubmitted();
    EXPECT_FALSE(submitted->showsCard());
    submitted->finish();
    EXPECT_EQ(telemetry.count("nps_dismissed"), 2);
    EXPECT_EQ(done, 3);

    screen.userDefaults->set(QVariant(true),
                             ProductConfig::current().userDefaultsPrefix + ".nps_submitted");
    EXPECT_FALSE(report()->showsCard());
    screen.userDefaults->set(std::nullopt,
                             ProductConfig::current().userDefaultsPrefix + ".nps_submitted");
    auto withNextStep = ProductConfig::current();
    withNextStep.nextStepPrompt = NextStepPrompt{"What next?", "", "tovr", {}};
    ScopedProductConfig product(withNextStep);
    auto neverShown = report();
    EXPECT_FALSE(neverShown->showsCard());
    neverShown->finish();
    EXPECT_EQ(telemetry.count("nps_dismissed"), 2);
}
