#include "shell/AuditTestSupport.h"

#include "diagnosis/SimplifiedCompletionModel.h"
#include "shell/FinalAuditReportModel.h"
#include "shell/Stage1Foundations.h"
#include "shell/Stage2Terminal.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Step = StagedAuditFlowModel::Step;

namespace {

QStringList stageOutcomes(RecordedTelemetry& telemetry) {
    QStringList outcomes;
    for (const auto& e : telemetry.withName("audit_stage_outcome"))
        outcomes << e["stage_id"].toString() + "=" + e["outcome"].toString();
    return outcomes;
}

SystemProfile withoutHomebrew(SystemProfile profile) {
    profile.homebrewPrefix.reset();
    return profile;
}

} // namespace

TEST(StagedAuditFlow, GatesOnlyTheHeuristicEntryOnANewcomersMacAndSkipsStagesWithNothingToOffer) {
    struct MacCase {
        const char* name;
        std::function<std::unique_ptr<FixtureMac>()> make;
        bool likelyDeveloper;
        QStringList outcomes; // when not gated
    };
    const auto fixture = [](FixtureMac::Kind kind) {
        return [kind] { return std::make_unique<FixtureMac>(kind); };
    };
    const QList<MacCase> macs = {
        {"newAppleSilicon",
         fixture(FixtureMac::Kind::newAppleSilicon),
         false,
         {"stage_1_foundations=rendered"}},
        {"intelWithThreeJDKs",
         fixture(FixtureMac::Kind::intelWithThreeJDKs),
         true,
         {"stage_1_foundations=skipped_already_ok", "stage_2_terminal=rendered"}},
        {"developerAppleSilicon",
         fixture(FixtureMac::Kind::developerAppleSilicon),
         true,
         {"stage_1_foundations=rendered"}}, // macOS 15 is far behind
        {"broken", fixture(FixtureMac::Kind::broken), true, {"stage_1_foundations=rendered"}},
        {"developerWithoutHomebrew",
         developerWithoutHomebrew,
         true,
         {"stage_1_foundations=rendered"}},
    };
    const TOVRAuditContext course{"course", std::nullopt, std::nullopt};
    const QList<AuditContext> routes = {heuristicEntry(), entryOf(AuditEntry::buildIntent),
                                        entryOf(AuditEntry::nextStepCourse, course)};
    for (const auto& mac : macs) {
        for (const auto& route : routes) {
            SCOPED_TRACE(std::string(mac.name) + " " + toRaw(route.entry).toStdString());
            RecordedTelemetry telemetry;
            const auto fixtureMac = mac.make();
            AuditHarness audit(*fixtureMac, true, route, fixtureMac->profiler().profile());
            audit.appear();

            const bool gated = route.entry == AuditEntry::heuristic && !mac.likelyDeveloper;
            EXPECT_EQ(audit.flow->step(), gated ? Step::simplifiedCompletion : Step::stage);
            EXPECT_EQ(stageOutcomes(telemetry), gated ? QStringList{} : mac.outcomes);
            EXPECT_EQ(audit.flow->currentIndex(), int(mac.outcomes.size()) - 1);

            const auto reached = telemetry.withName("audit_reached");
            ASSERT_EQ(reached.size(), 1);
            EXPECT_EQ(reached[0]["entry"].toString(), toRaw(route.entry));
            const auto gatedEvents = telemetry.withName("audit_gated");
            if (route.entry == AuditEntry::heuristic) {
                ASSERT_EQ(gatedEvents.size(), 1);
                EXPECT_EQ(gatedEvents[0]["likely_developer"].toBool(), mac.likelyDeveloper);
            } else {
                EXPECT_TRUE(gatedEvents.isEmpty());
            }
        }
    }
}

TEST(StagedAuditFlow, ReportsReachedOnlyWithAFreshProfileAndAStageAgainOnlyWhenShownAgain) {
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    {
        RecordedTelemetry telemetry;
        AuditHarness waiting(mac, true, heuristicEntry(), std::nullopt);
        waiting.flow->appearTask();
        EXPECT_EQ(waiting.flow->step(), Step::waitingForProfile);
        EXPECT_TRUE(telemetry.names().isEmpty());
    }
    RecordedTelemetry telemetry;
    AuditHarness audit(mac, false, heuristicEntry(), mac.expectedProfile());
    audit.flow->appearTask();
    // The window's profile carries the screen until the fresh one is in.
    EXPECT_EQ(audit.flow->step(), Step::stage);
    EXPECT_EQ(telemetry.names(), QStringList{"audit_stage_outcome"});
    ASSERT_TRUE(waitFor([&] { return audit.flow->freshProfile().has_value(); }));
    EXPECT_EQ(telemetry.names(),
              (QStringList{"audit_stage_outcome", "audit_reached", "audit_gated"}));
    const auto reached = telemetry.withName("audit_reached")[0];
    EXPECT_EQ(reached["ai_tool_count"].toInt(), 9);
    EXPECT_EQ(reached["terminals"].toArray().size(), 3);

    // Back on screen (a pushed screen popped): the stage is shown again; nothing else.
    audit.flow->appearTask();
    EXPECT_EQ(telemetry.count("audit_stage_outcome"), 2);
    EXPECT_EQ(telemetry.count("audit_reached"), 1);
    EXPECT_EQ(telemetry.count("audit_gated"), 1);
}

TEST(StagedAuditFlow, PassesAStageWhoseOutcomeTurnsIntoASkipAfterItWasShown) {
    // The window's profile lacks Homebrew; the fresh one finds it.
    FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
    RecordedTelemetry telemetry;
    AuditHarness audit(mac, false, entryOf(AuditEntry::buildIntent),
                       withoutHomebrew(mac.expectedProfile()));
    audit.flow->appearTask();
    EXPECT_EQ(audit.flow->currentStage(), audit.flow->foundations());
    EXPECT_TRUE(audit.flow->isStageRendered());

    ASSERT_TRUE(waitFor([&] { return audit.flow->freshProfile().has_value(); }));
    EXPECT_EQ(audit.flow->currentStage(), audit.flow->terminal());
    EXPECT_EQ(stageOutcomes(telemetry),
              (QStringList{"stage_1_foundations=rendered", "stage_2_terminal=rendered"}));
}

TEST(StagedAuditFlow, AfterAnInstallTheStageWaitsForTheRefreshIgnoresItsButtonsAndAdvancesOnce) {
    auto mac = developerWithoutHomebrew();
    RecordedTelemetry telemetry;
    AuditHarness audit(*mac, false, heuristicEntry(), std::nullopt);
    audit.appear();
    auto* stage1 = audit.flow->foundations();
    ASSERT_EQ(audit.flow->currentStage(), stage1);
    EXPECT_EQ(Stage1Foundations::blocks(stage1->profile()).tool,
              Stage1Foundations::ToolBlock::homebrew);

    stage1->installHomebrew();
    EXPECT_EQ(stage1->pendingRemediation(), Remediation::installHomebrew());
    const auto applied = telemetry.withName("remediation_applied");
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied[0]["remediation_id"].toString(), "homebrew");
    EXPECT_EQ(applied[0]["method"].toString(), "homebrew");

    installHomebrewOn(*mac);
    stage1->finishRemediation(RemediationOutcome::success("Homebrew installed."));
    stage1->finishRemediation(
        RemediationOutcome::success("Homebrew installed.")); // a second report does nothing
    EXPECT_TRUE(stage1->isRefreshing());
    EXPECT_FALSE(stage1->pendingRemediation());
    // Every button of the stage is dead until the refresh is in.
    stage1->installHomebrew();
    stage1->maybeLater();
    stage1->continueOn();
    EXPECT_FALSE(stage1->pendingRemediation());
    EXPECT_EQ(audit.flow->currentIndex(), 0);

    // The fresh profile turns the Intel stage into a skip, and the install's own advance
    // is then stale: the terminal stage is shown, not passed.
    ASSERT_TRUE(waitFor([&] { return !stage1->isRefreshing(); }));
    EXPECT_EQ(audit.flow->currentStage(), audit.flow->terminal());
    EXPECT_TRUE(audit.flow->freshProfile()->hasHomebrew());
    EXPECT_EQ(Stage2Terminal::warpInstall(audit.flow->terminal()->profile()),
              Remediation::installWarpViaBrew("warp"));
    EXPECT_EQ(telemetry.count("remediation_applied"), 1);
    EXPECT_EQ(telemetry.count("audit_stage_skipped_by_user"), 0);
    EXPECT_EQ(stageOutcomes(telemetry),
              (QStringList{"stage_1_foundations=rendered", "stage_2_terminal=rendered"}));
}

TEST(StagedAuditFlow, SwitchesNeitherGateNorStageWhileADialogIsOpen) {
    // The window's profile is a developer's; the fresh one, arriving under the dialog, is not.
    FixtureMac newcomer(FixtureMac::Kind::newAppleSilicon);
    FixtureMac developer(FixtureMac::Kind::intelWithThreeJDKs);
    AuditHarness audit(newcomer, false, heuristicEntry(), developer.expectedProfile());
    audit.flow->appearTask();
    auto* stage2 = audit.flow->terminal();
    ASSERT_EQ(audit.flow->currentStage(), stage2);
    stage2->installWarp();
    ASSERT_EQ(stage2->pendingRemediation(), Remediation::installWarpViaBrew("warp"));

    ASSERT_TRUE(waitFor([&] { return audit.flow->freshProfile().has_value(); }));
    EXPECT_EQ(audit.flow->step(), Step::stage);
    EXPECT_EQ(audit.flow->currentStage(), stage2);
    EXPECT_EQ(stage2->profile(), developer.expectedProfile());

    stage2->finishRemediation(RemediationOutcome::canceled());
    EXPECT_EQ(audit.flow->step(), Step::simplifiedCompletion);
}

TEST(StagedAuditFlow, StageButtonsSendTheirEventsAndMoveOnAsEachSays) {
    auto mac = developerWithoutHomebrew();
    RecordedTelemetry telemetry;
    const auto profile = mac->profiler().profile();
    AuditHarness audit(*mac, true, entryOf(AuditEntry::buildIntent), profile);
    audit.flow->appearTask();
    auto* stage1 = audit.flow->foundations();
    const auto urls = ProductConfig::current().urls;

    stage1->openCommandLineToolsArticle();
    stage1->openMacOSUpgradeGuide();
    stage1->installHomebrew();
    stage1->finishRemediation(RemediationOutcome::canceled()); // the stage stays
    EXPECT_EQ(audit.flow->currentIndex(), 0);
    stage1->continueOn(); // sends nothing
    EXPECT_EQ(audit.flow->currentIndex(), 1);
    stage1->continueOn(); // no longer on screen
    EXPECT_EQ(audit.flow->currentIndex(), 1);
    EXPECT_EQ(audit.screen.urlOpener->opened,
              (QList<QUrl>{urls.commandLineTools, urls.macosUpgrade}));
    const auto outbound = telemetry.withName("audit_outbound_clicked");
    ASSERT_EQ(outbound.size(), 2);
    EXPECT_EQ(outbound[0]["tool"].toString(), "Xcode CLT install guide");
    EXPECT_EQ(outbound[0]["url"].toString(), urls.commandLineTools.toString());
    EXPECT_EQ(outbound[1]["tool"].toString(), "macOS upgrade guide");
    EXPECT_EQ(telemetry.count("audit_stage_skipped_by_user"), 0);

    auto* stage2 = audit.flow->terminal();
    stage2->installWarp(); // no Homebrew here: it comes first
    EXPECT_EQ(stage2->pendingRemediation(), Remediation::installHomebrewThenWarp("warp"));
    stage2->finishRemediation(RemediationOutcome::failure("Install failed (exit code 1)."));
    EXPECT_EQ(audit.flow->step(), Step::finalReport);
    EXPECT_EQ(telemetry.withName("remediation_applied")[1]["remediation_id"].toString(),
              "homebrew+warp:warp");

    // "Maybe later" in both stages, and "Learn more" ending stage 2.
    AuditHarness again(*mac, true, entryOf(AuditEntry::buildIntent), profile);
    again.flow->appearTask();
    again.flow->foundations()->maybeLater();
    again.flow->terminal()->learnMore();
    EXPECT_EQ(again.flow->step(), Step::finalReport);
    EXPECT_EQ(again.screen.urlOpener->opened, QList<QUrl>{urls.warpAffiliate});
    EXPECT_EQ(telemetry.withName("audit_outbound_clicked").last()["tool"].toString(), "Warp");
    AuditHarness third(*mac, true, entryOf(AuditEntry::buildIntent), profile);
    third.flow->appearTask();
    third.flow->foundations()->maybeLater();
    third.flow->terminal()->maybeLater();
    QStringList skipped;
    for (const auto& e : telemetry.withName("audit_stage_skipped_by_user"))
        skipped << e["stage_id"].toString();
    EXPECT_EQ(skipped,
              (QStringList{"stage_1_foundations", "stage_1_foundations", "stage_2_terminal"}));
}

TEST(StagedAuditFlow, RoutesOnFromTheReportAndTheShortCompletion) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    const auto routeAfter = [&](std::optional<OfferRoute> then) {
        AuditHarness audit(mac, true,
                           entryOf(AuditEntry::nextStepBuildSoftware,
                                   TOVRAuditContext{"build_software", "school", then}),
                           mac.expectedProfile());
        audit.screen.navigation->setPath({Screen::nextStep()});
        audit.flow->followThenRoute();
        return audit.screen.navigation->path();
    };
    EXPECT_EQ(routeAfter(std::nullopt), QList<Screen>{});
    EXPECT_EQ(routeAfter(OfferRoute::audit(OfferRoute::guidedHelpWTP())), QList<Screen>{});
    EXPECT_EQ(routeAfter(OfferRoute::content("course-1")),
              (QList<Screen>{Screen::nextStep(), Screen::contentOffer("course-1")}));
    EXPECT_EQ(routeAfter(OfferRoute::guidedHelpWTP()),
              (QList<Screen>{Screen::nextStep(), Screen::guidedHelpOffer()}));
    EXPECT_EQ(routeAfter(OfferRoute::aiCodingInterest()),
              (QList<Screen>{Screen::nextStep(), Screen::aiCodingOffer()}));
}

// The Java route's journey on a likely developer without Homebrew, with real profiling
// through the fixture: the diagnosis continues to the audit, Homebrew is installed, the
// terminal offer is put off and the report shows the Mac as it now is.
TEST(StagedAuditFlowJourney, InstallsHomebrewThenShowsTheTerminalOfferAndTheReport) {
    auto mac = developerWithoutHomebrew();
    RecordedTelemetry telemetry;
    AuditHarness audit(*mac, false, heuristicEntry(), mac->profiler().profile());
    audit.screen.navigation->setPath({Screen::diagnose(), Screen::audit(heuristicEntry())});
    audit.appear();
    ASSERT_EQ(audit.flow->currentStage(), audit.flow->foundations());

    audit.flow->foundations()->installHomebrew();
    installHomebrewOn(*mac);
    audit.flow->foundations()->finishRemediation(
        RemediationOutcome::success("Homebrew installed."));
    ASSERT_TRUE(waitFor([&] { return audit.flow->currentStage() == audit.flow->terminal(); }));
    audit.flow->terminal()->maybeLater();
    ASSERT_EQ(audit.flow->step(), Step::finalReport);

    auto* report = audit.flow->finalReport();
    report->appearTask();
    EXPECT_EQ(report->rows()[1].label, "Homebrew installed");
    report->finish();
    EXPECT_TRUE(audit.screen.navigation->path().isEmpty());
    EXPECT_EQ(telemetry.names(), (QStringList{"audit_stage_outcome", "audit_reached", "audit_gated",
                                              "remediation_applied", "audit_stage_outcome",
                                              "audit_stage_skipped_by_user"}));
}

// The gate's other road: a newcomer's Mac gets the short completion, whose opt-in opens the
// full audit, which never gates.
TEST(StagedAuditFlowJourney, GatedNewcomerOptsIntoTheFullAudit) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    RecordedTelemetry telemetry;
    AuditHarness audit(mac, false, heuristicEntry(BuildIntentSurface::noErrorsFound), std::nullopt);
    audit.screen.navigation->setPath({Screen::diagnose(), Screen::audit(heuristicEntry())});
    audit.appear();
    ASSERT_EQ(audit.flow->step(), Step::simplifiedCompletion);
    auto* completion = audit.flow->simplifiedCompletion();
    EXPECT_TRUE(completion->showsBuildIntentPrompt());
    completion->buildIntentPromptAppeared();
    completion->optIn();
    const auto path = audit.screen.navigation->path();
    ASSERT_EQ(path.size(), 3);
    const auto* pushed = path.last().as<Screen::Audit>();
    ASSERT_TRUE(pushed);
    EXPECT_EQ(pushed->context, entryOf(AuditEntry::buildIntent));
    EXPECT_EQ(telemetry.withName("build_intent_opted_in")[0]["surface"].toString(),
              "no_errors_found");

    StagedAuditFlowModel full(audit.screen.context, pushed->context);
    full.appearTask();
    ASSERT_TRUE(waitFor([&] { return full.freshProfile().has_value(); }));
    EXPECT_EQ(full.step(), Step::stage);
    EXPECT_EQ(telemetry.withName("audit_reached").last()["entry"].toString(), "build_intent");
    EXPECT_EQ(telemetry.count("audit_gated"), 1);
}
