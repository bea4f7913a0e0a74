#include "workflow/SetupFlowTestSupport.h"

using namespace tovr;
using namespace tovr::test;
using namespace tovr::test::setupflow;

// The command-line product on a new Mac, live: the summary, the readiness checks, an
// install that the re-probe finds done, the rest skipped, verification, the keep-going gate,
// the optional stages, the checklist and the score step.
TEST(SetupFlowJourney, CommandLineProductOnANewMac) {
    Flow flow(FixtureMac::Kind::newAppleSilicon, /*fixtureMode=*/false);
    auto& model = flow.make(cliProduct());
    ASSERT_TRUE(flow.startAndReachSummary());
    EXPECT_EQ(model.profile()->architecture, Architecture::appleSilicon);
    const auto diagnosis = flow.telemetry.withName("diagnosis_reached");
    ASSERT_EQ(diagnosis.size(), 1);
    EXPECT_EQ(diagnosis[0]["reason"], "fixable");
    EXPECT_EQ(diagnosis[0]["fixable_count"], 4);
    EXPECT_EQ(diagnosis[0]["blocked_count"], 0);
    EXPECT_EQ(diagnosis[0]["terminal_count"], 0);

    model.checkReadiness();
    EXPECT_EQ(model.step(), Step::loading());
    ASSERT_TRUE(flow.reach(Step::stage("clt")));
    EXPECT_EQ(flow.volumes->paths, QStringList{"/Users/dev"});

    // The Command Line Tools install succeeds; the re-probe sees them and moves on.
    model.stageAppeared("clt");
    ASSERT_TRUE(model.requestInstall(flow.install("clt")));
    flow.mac.runner()->answerOutput("/usr/bin/xcode-select", {"-p"},
                                    "/Library/Developer/CommandLineTools\n");
    flow.mac.fs()->createFolder("/Library/Developer/CommandLineTools/usr/bin");
    flow.mac.commandLineToolsWork();
    model.finishStageAfterInstall(Ended::success);
    EXPECT_FALSE(model.pendingInstall());
    ASSERT_TRUE(flow.reach(Step::stage("shell-config")));
    EXPECT_EQ(model.profile()->xcodeCommandLineToolsPath, "/Library/Developer/CommandLineTools");

    model.recordOfferDismissed("shell-config");
    model.recordOfferDismissed("homebrew");
    ASSERT_EQ(model.step(), Step::stage("warp"));
    model.stageAppeared("warp");
    model.recordOfferDismissed("warp");
    ASSERT_EQ(model.step(), Step::verifying());

    model.verify();
    ASSERT_TRUE(flow.reach(Step::keepGoingGate())); // the product has no offer stages
    model.advance(DomainPlacement::optional, Step::outcome());
    EXPECT_EQ(model.step(), Step::stage("ai-claude"));
    QStringList visited;
    while (model.step().kind == Step::Kind::stage) {
        visited << model.step().domainID;
        model.recordOfferDismissed(model.step().domainID);
    }
    EXPECT_EQ(visited, (QStringList{"ai-claude", "codex", "project", "skills", "mcp", "editor",
                                    "languages", "git"}));
    ASSERT_EQ(model.step(), Step::outcome());

    model.buildOutcomeAudit();
    ASSERT_TRUE(spinUntil([&] { return !model.outcomeAudit().isEmpty(); }));
    EXPECT_EQ(
        model.outcomeAudit()[0],
        (OutcomeAuditSection{
            "Foundation", {"Command Line Tools installed", "git version 2.39.5 (Apple Git-154)"}}));

    EXPECT_FALSE(model.resolveOutcome("resolved"));
    EXPECT_EQ(model.step(), Step::nps());
    EXPECT_LE(flow.telemetry.count("nps_shown"), 1);
    QStringList names = flow.telemetry.names();
    names.removeAll("nps_shown");
    EXPECT_EQ(names,
              (QStringList{"diagnosis_reached", "network_check", "disk_space_check", "offer_shown",
                           "offer_action", "verify_passed", "outcome_reported"}));
    const auto offer = flow.telemetry.withName("offer_action")[0];
    EXPECT_EQ(offer["offer_id"], "warp");
    EXPECT_EQ(offer["offer_surface"], "post_homebrew");
    EXPECT_EQ(offer["action"], "dismissed");
    EXPECT_TRUE(offer["result"].isNull());
    EXPECT_TRUE(offer.contains("next_step") && offer["next_step"].isNull());
}

// Primary, offer and optional stages by placement, ready stages passed over, the
// interstitial, and the offer events once per domain.
TEST(SetupFlowModel, WalksTheStagesByPlacement) {
    Flow flow;
    auto config = flow.scripted({{"p1", P, C::fixable},
                                 {"p2", P, C::ready},
                                 {"p3", P, C::blocked},
                                 {"o1", O, C::fixable},
                                 {"o2", O, C::ready},
                                 {"x1", X, C::unknown},
                                 {"x2", X, C::fixable}});
    config.spinePolicy.postPrimaryInterstitial = SpineRenderPolicy::InterstitialScreen{};
    config.spinePolicy.offers.insert("o1", {"offer-o1", "surface", "why"});
    QStringList blocked;
    config.spinePolicy.onStageBlocked = [&](const QString& d, const SetupProbeBundle&) {
        blocked << d;
    };
    auto& model = flow.make(config);
    ASSERT_TRUE(flow.startAndReachSummary());
    model.checkReadiness(); // fixture mode: no checks
    EXPECT_EQ(model.step(), Step::stage("p1"));

    model.advanceFromStage("p1");
    model.advanceFromStage("p1"); // the second press finds another stage on screen
    EXPECT_EQ(model.step(), Step::stage("p3"));
    model.stageAppeared("p3");
    model.stageAppeared("p3");
    EXPECT_EQ(blocked, QStringList{"p3"});
    model.advanceFromStage("p3");
    EXPECT_EQ(model.step(), Step::interstitial());
    model.setStep(Step::verifying());
    model.verify();
    ASSERT_TRUE(flow.reach(Step::stage("o1")));

    model.stageAppeared("o1");
    model.stageAppeared("o1");
    model.recordOfferSelected("o1");
    model.recordOfferDismissed("o1"); // acted on already: no second event, still leaves
    EXPECT_EQ(model.step(), Step::keepGoingGate());
    const auto shown = flow.telemetry.withName("offer_shown");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], (QJsonObject{{"offer_id", "offer-o1"},
                                     {"offer_surface", "surface"},
                                     {"eligibility_reason", "why"},
                                     {"next_step", QJsonValue()},
                                     {"goal", QJsonValue()}}));
    const auto acted = flow.telemetry.withName("offer_action");
    ASSERT_EQ(acted.size(), 1);
    EXPECT_EQ(acted[0]["action"], "selected");

    model.advance(DomainPlacement::optional, Step::outcome());
    EXPECT_EQ(model.step(), Step::stage("x1"));
    model.advanceFromStage("x1");
    EXPECT_EQ(model.step(), Step::stage("x2"));
    model.advanceFromStage("x2");
    EXPECT_EQ(model.step(), Step::outcome());

    // A stage that comes on screen ready is passed at once, and its offer is not shown.
    Flow again;
    auto readyFirst = again.scripted({{"p1", P, C::ready}, {"p2", P, C::fixable}});
    readyFirst.spinePolicy.offers.insert("p1", {"offer-p1", "surface", "why"});
    auto& second = again.make(readyFirst);
    ASSERT_TRUE(again.startAndReachSummary());
    second.setStep(Step::stage("p1"));
    second.stageAppeared("p1");
    EXPECT_EQ(second.step(), Step::stage("p2"));
    EXPECT_EQ(again.telemetry.count("offer_shown"), 0);
}

TEST(SetupFlowModel, WithAllPrimaryStagesReadyGoesStraightToVerification) {
    Flow flow;
    auto& model = flow.make(flow.scripted({{"p1", P, C::ready}, {"x1", X, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    EXPECT_EQ(flow.telemetry.withName("diagnosis_reached")[0]["reason"], "ready");
    model.checkReadiness();
    EXPECT_EQ(model.step(), Step::verifying());
    EXPECT_FALSE(flow.telemetry.names().contains("network_check"));
}

// How the end of an install moves the flow: success and a failure in an advance-on-failure
// domain re-probe and move on; any other failure and a cancel keep the stage and re-probe
// nothing.
TEST(SetupFlowModel, InstallOutcomes) {
    Flow flow;
    auto& model = flow.make(flow.scripted({{"p1", P, C::fixable},
                                           {"languages", X, C::fixable},
                                           {"editor", X, C::fixable},
                                           {"git", X, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    const int probes = flow.script->probes;

    model.setStep(Step::stage("editor"));
    ASSERT_TRUE(model.requestInstall(flow.install("editor")));
    model.finishStageAfterInstall(Ended::failure);
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(model.step(), Step::stage("editor"));
    EXPECT_FALSE(model.pendingInstall());

    ASSERT_TRUE(model.requestInstall(flow.install("editor")));
    model.finishStageAfterInstall(Ended::canceled);
    model.finishStageAfterInstall(Ended::success); // a second report finds nothing pending
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(model.step(), Step::stage("editor"));
    EXPECT_EQ(flow.script->probes, probes);

    model.setStep(Step::stage("languages"));
    ASSERT_TRUE(model.requestInstall(flow.install("languages")));
    model.finishStageAfterInstall(Ended::failure);
    EXPECT_TRUE(model.isRefreshing());
    EXPECT_FALSE(model.requestInstall(flow.install("languages"))); // the stage waits
    ASSERT_TRUE(flow.reach(Step::stage("editor")));
    EXPECT_EQ(flow.script->probes, probes + 1);

    // Success: the fresh verdicts decide, so a stage the install fixed is passed over.
    ASSERT_TRUE(model.requestInstall(flow.install("editor")));
    flow.script->classify("git", C::ready);
    model.finishStageAfterInstall(Ended::success);
    ASSERT_TRUE(flow.reach(Step::outcome()));
    EXPECT_EQ(flow.telemetry.names(), QStringList{"diagnosis_reached"});
}

// Each stage action acts only on the stage on screen and once; the end of an install acts on
// the stage it was started on.
TEST(SetupFlowModel, ActionsActOnTheStepTheyWereOfferedOn) {
    Flow flow;
    auto config =
        flow.scripted({{"p1", P, C::fixable}, {"p2", P, C::fixable}, {"p3", P, C::fixable}});
    config.spinePolicy.offers.insert("p2", {"offer-p2", "surface", "why"});
    auto& model = flow.make(config);
    ASSERT_TRUE(flow.startAndReachSummary());
    model.checkReadiness();
    ASSERT_EQ(model.step(), Step::stage("p1"));

    EXPECT_FALSE(model.requestInstall(flow.install("p2")));
    ASSERT_TRUE(model.requestInstall(flow.install("p1")));
    EXPECT_FALSE(model.requestInstall(flow.install("p1"))); // one sheet at a time

    // The step moved while the sheet ran: its end re-probes, and does not leave a stage the
    // install never ran on.
    model.setStep(Step::stage("p2"));
    flow.script->classify("p1", C::ready);
    model.finishStageAfterInstall(Ended::success);
    EXPECT_FALSE(model.isRefreshing()); // the stage on screen is not the one re-probed
    ASSERT_TRUE(spinUntil(
        [&] { return model.workflowStep("p1")->stage->diagnosis().classification == C::ready; }));
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(model.step(), Step::stage("p2"));

    model.recordOfferSelected("p1"); // not on screen
    model.recordOfferSelected("p2");
    model.recordOfferSelected("p2");
    EXPECT_EQ(flow.telemetry.count("offer_action"), 1);
    model.recordOfferDismissed("p2");
    model.recordOfferDismissed("p2");
    EXPECT_EQ(model.step(), Step::stage("p3"));
    EXPECT_EQ(flow.telemetry.count("offer_action"), 1);
}

TEST(SetupFlowModel, FixtureModeWithoutAProfileStaysLoading) {
    Flow flow(FixtureMac::Kind::newAppleSilicon);
    flow.ctx.profile->set(std::nullopt);
    auto& model = flow.make(cliProduct());
    int changes = 0;
    QObject::connect(&model, &SetupFlowModel::changed, [&] { ++changes; });
    const auto calls = flow.mac.runner()->calls().size();
    model.start();
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(model.step(), Step::loading());
    EXPECT_FALSE(model.profile() || model.probes() || model.workflow());
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(flow.telemetry.names().isEmpty());
    EXPECT_EQ(flow.mac.runner()->calls().size(), calls); // nothing was probed

    // With the window's profile the same model gets going, without profiling the Mac.
    flow.ctx.profile->set(flow.mac.expectedProfile());
    ASSERT_TRUE(flow.startAndReachSummary());
    EXPECT_EQ(model.profile(), flow.mac.expectedProfile());
    EXPECT_EQ(flow.mac.runner()->callCount("/usr/bin/uname"), 1); // the Flow's own profile
}

// The pre-flight: network, then disk; one screen per warning; "continue" and "stop" answer
// only the warning on screen.
TEST(SetupFlowReadiness, WarningsInTurn) {
    Flow flow(FixtureMac::Kind::developerAppleSilicon, /*fixtureMode=*/false);
    flow.network->bytesPerSecond = 100'000; // 1.5 GB would take hours
    flow.volumes->bytes = 5'000'000'000;    // under 15 + 10 GB
    auto& model = flow.make(flow.scripted({{"p1", P, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    model.checkReadiness();
    model.checkReadiness(); // a double press runs one check
    ASSERT_TRUE(spinUntil([&] { return model.step().kind == Step::Kind::readinessWarning; }));
    const Warning network = *model.step().warning;
    ASSERT_TRUE(network.asNetwork());
    EXPECT_EQ(network.asNetwork()->verdict, NetworkVerdict::slow);
    ASSERT_EQ(model.pendingReadiness().size(), 1);
    const Warning disk = model.pendingReadiness()[0];
    EXPECT_EQ(disk.asDisk()->verdict, DiskVerdict::low);

    EXPECT_FALSE(model.recordReadinessAction(disk, "continue")); // not on screen
    EXPECT_TRUE(model.recordReadinessAction(network, "continue"));
    EXPECT_FALSE(model.recordReadinessAction(network, "continue")); // a double press
    EXPECT_EQ(model.step(), Step::readinessWarning(disk));
    EXPECT_TRUE(model.recordReadinessAction(disk, "continue"));
    EXPECT_EQ(model.step(), Step::stage("p1"));

    EXPECT_EQ(flow.telemetry.names(),
              (QStringList{"diagnosis_reached", "network_check", "disk_space_check",
                           "network_warning_action", "disk_warning_action"}));
    EXPECT_EQ(flow.telemetry.withName("network_warning_action")[0],
              (QJsonObject{{"action", "continue"}, {"verdict", "slow"}}));
    const auto diskCheck = flow.telemetry.withName("disk_space_check")[0];
    EXPECT_EQ(diskCheck["verdict"], "low");
    EXPECT_EQ(diskCheck["available_gb"], 5);
}

TEST(SetupFlowReadiness, StopLeavesAndOnlyConfiguredChecksRun) {
    Flow flow(FixtureMac::Kind::developerAppleSilicon, /*fixtureMode=*/false);
    flow.network->bytesPerSecond.reset(); // every server out of reach
    flow.volumes->bytes = 2'000'000'000;  // critical
    auto& model = flow.make(flow.scripted({{"p1", P, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    model.checkReadiness();
    ASSERT_TRUE(spinUntil([&] { return model.step().kind == Step::Kind::readinessWarning; }));
    const Warning network = *model.step().warning;
    EXPECT_EQ(network.asNetwork()->verdict, NetworkVerdict::unreachable);
    EXPECT_TRUE(model.recordReadinessAction(network, "stop"));
    EXPECT_TRUE(model.pendingReadiness().isEmpty());
    EXPECT_FALSE(model.recordReadinessAction(network, "stop"));
    EXPECT_EQ(flow.telemetry.withName("network_warning_action")[0]["action"], "stop");
    EXPECT_EQ(flow.telemetry.count("network_warning_action"), 1);

    // Only the disk check configured, and the disk's room unknown: no network event, no
    // warning.
    Flow diskOnly(FixtureMac::Kind::developerAppleSilicon, /*fixtureMode=*/false);
    diskOnly.volumes->bytes.reset();
    auto config = diskOnly.scripted({{"p1", P, C::fixable}});
    config.spinePolicy.networkReadiness.reset();
    auto& second = diskOnly.make(config);
    ASSERT_TRUE(diskOnly.startAndReachSummary());
    second.checkReadiness();
    ASSERT_TRUE(diskOnly.reach(Step::stage("p1")));
    EXPECT_EQ(diskOnly.telemetry.names(), (QStringList{"diagnosis_reached", "disk_space_check"}));
    EXPECT_EQ(diskOnly.telemetry.withName("disk_space_check")[0]["verdict"], "unmeasured");
    EXPECT_EQ(diskOnly.network->samples, 0);
}

// A model that goes away while its probe runs gets nothing delivered, and nothing breaks.
TEST(SetupFlowModel, AModelGoneMidProbeIsLeftAlone) {
    Flow flow(FixtureMac::Kind::developerAppleSilicon, /*fixtureMode=*/false);
    FakeProcessRunner::Answer slow;
    slow.result = {0, "arm64\n", {}};
    slow.delay = std::chrono::milliseconds(200);
    flow.mac.runner()->answer("/usr/bin/uname", {"-m"}, slow);
    auto& model = flow.make(flow.scripted({{"p1", P, C::fixable}}));
    bool changed = false;
    QObject::connect(&model, &SetupFlowModel::changed, [&] { changed = true; });
    model.start();
    flow.model.reset();
    // Whatever the workers sent back is queued once they have ended.
    ASSERT_TRUE(spinUntil(noWorkerRunning));
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(changed);
    EXPECT_TRUE(flow.telemetry.names().isEmpty());
}
