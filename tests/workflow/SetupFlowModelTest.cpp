#include "model/BasicSetupStage.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "products/brew/BrewProductConfig.h"
#include "products/claude/ClaudeProductConfig.h"
#include "products/cli/CliProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupWorkflowCopy.h"

#include <QCoreApplication>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace tovr {

void PrintTo(const SetupFlowModel::Step& step, std::ostream* os) {
    static const char* const names[] = {"readinessWarning", "stage",        "loading",
                                        "diagnosisSummary", "interstitial", "verifying",
                                        "keepGoingGate",    "outcome",      "nps"};
    *os << names[int(step.kind)];
    if (step.kind == SetupFlowModel::Step::Kind::stage)
        *os << '(' << step.domainID.toStdString() << ')';
}

void PrintTo(const OutcomeAuditSection& section, std::ostream* os) {
    *os << section.title.toStdString() << ": ";
    PrintTo(section.items, os);
}

} // namespace tovr

using namespace tovr;
using namespace tovr::test;
using Step = SetupFlowModel::Step;
using Warning = SetupFlowModel::ReadinessWarning;
using C = SetupDiagnosisClassification;
using Ended = SetupActionOutcome;

namespace {

constexpr auto P = DomainPlacement::primary;
constexpr auto O = DomainPlacement::offer;
constexpr auto X = DomainPlacement::optional;

// Lets queued results that should not come arrive, if they would.
void settle() {
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A product whose step list, verdicts and verification the test writes; the plug-ins read
// it afresh on every call, from the model's worker threads.
struct Script {
    struct Row {
        QString domain;
        DomainPlacement placement;
        C classification;
    };
    mutable std::mutex lock;
    QList<Row> rows;
    SetupVerificationResult verification{QStringLiteral("ok"), true, 0, QStringLiteral("fixed")};
    std::atomic<int> probes{0};
    std::atomic<int> verifications{0};

    void classify(const QString& domain, C classification) {
        std::lock_guard guard(lock);
        for (auto& row : rows)
            if (row.domain == domain)
                row.classification = classification;
    }
};

class ScriptedProber final : public SetupProber {
public:
    explicit ScriptedProber(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    SetupProbeBundle probe(const ShellRunner&,
                           const std::shared_ptr<FileSystemOperating>&) const override {
        ++s_->probes;
        return {};
    }
    std::shared_ptr<Script> s_;
};

class ScriptedSpine final : public SpineProvider {
public:
    explicit ScriptedSpine(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    std::optional<QList<WorkflowStep>> spine(const std::optional<QString>&, const SystemProfile&,
                                             const SetupProbeBundle&) const override {
        std::lock_guard guard(s_->lock);
        QList<WorkflowStep> steps;
        for (const auto& row : s_->rows)
            steps.append({std::make_shared<BasicSetupStage>(
                              row.domain, SetupDiagnosis{row.domain, {}, row.classification}),
                          row.placement});
        return steps;
    }
    QList<SetupRemediation> remediations(const QString&, const SystemProfile&,
                                         const SetupProbeBundle&) const override {
        return {};
    }
    std::shared_ptr<Script> s_;
};

class ScriptedVerifier final : public SetupVerifier {
public:
    explicit ScriptedVerifier(std::shared_ptr<Script> s) : s_(std::move(s)) {}
    SetupVerificationResult verify(const std::optional<SystemProfile>&, const ShellRunner&,
                                   const std::shared_ptr<FileSystemOperating>&) const override {
        ++s_->verifications;
        std::lock_guard guard(s_->lock);
        return s_->verification;
    }
    std::shared_ptr<Script> s_;
};

class FakeVolumes final : public VolumeCapacityReading {
public:
    std::optional<qint64> availableVolumeCapacity(const QString& path) const override {
        std::lock_guard guard(lock);
        paths << path;
        return bytes;
    }
    mutable std::mutex lock;
    mutable QStringList paths;
    std::optional<qint64> bytes = 500'000'000'000;
};

// Every download server answers at the given rate, or not at all.
class FakeNetwork final : public HTTPFetching {
public:
    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest&,
                                             std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::cannotFindHost);
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest&, DownloadProgress,
                                              std::shared_ptr<HTTPCancellation>) override {
        throw URLError(URLError::Code::cannotFindHost);
    }
    ByteSample sampleBytes(const HTTPRequest&, qint64 limit, double) override {
        ++samples;
        if (!bytesPerSecond)
            throw URLError(URLError::Code::cannotFindHost);
        return {limit, double(limit) / *bytesPerSecond};
    }
    std::atomic<int> samples{0};
    std::optional<double> bytesPerSecond = 50'000'000;
};

// One workflow screen's model over a fixture Mac, with recorded telemetry.
struct Flow {
    explicit Flow(FixtureMac::Kind kind = FixtureMac::Kind::developerAppleSilicon,
                  bool fixtureMode = true)
        : mac(kind), ctx(services(fixtureMode), mac.environment()) {
        ctx.profile->set(mac.profiler().profile());
    }

    AppServices services(bool fixtureMode) {
        AppServices s = mac.services();
        s.http = network;
        s.isFixtureMode = fixtureMode;
        return s;
    }

    // The scripted product: a product's copy and prefix (the command-line product's unless
    // given) with the test's rows.
    ProductConfig scripted(QList<Script::Row> rows, ProductConfig c = cliProduct()) {
        script->rows = std::move(rows);
        c.prober = std::make_shared<ScriptedProber>(script);
        c.spineProvider = std::make_shared<ScriptedSpine>(script);
        c.verifier = std::make_shared<ScriptedVerifier>(script);
        return c;
    }

    SetupFlowModel& make(ProductConfig config) {
        model = std::make_unique<SetupFlowModel>(std::move(config), ctx.context, volumes);
        return *model;
    }

    bool startAndReachSummary() {
        model->start();
        return spinUntil([&] { return model->step() == Step::diagnosisSummary(); });
    }

    SetupFlowModel::PendingInstall install(const QString& domain) {
        return {domain + "-install",
                "Install " + domain,
                {SetupRemediation::installUv()},
                false,
                domain};
    }

    bool reach(const Step& step) {
        return spinUntil([&] { return model->step() == step && !model->isRefreshing(); });
    }

    ScopedProductConfig product{cliProduct()};
    RecordedTelemetry telemetry;
    FixtureMac mac;
    std::shared_ptr<FakeNetwork> network = std::make_shared<FakeNetwork>();
    std::shared_ptr<FakeVolumes> volumes = std::make_shared<FakeVolumes>();
    std::shared_ptr<Script> script = std::make_shared<Script>();
    TestScreenContext ctx;
    std::unique_ptr<SetupFlowModel> model;
};

QString npsKey() {
    return cliProduct().userDefaultsPrefix + ".nps_submitted";
}

} // namespace

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

// The diagnosis and verification events go out once per model, however often their steps
// are reached.
TEST(SetupFlowModel, DiagnosisAndVerificationEventsOncePerModel) {
    Flow flow;
    auto& model = flow.make(
        flow.scripted({{"p1", P, C::blocked}, {"p2", P, C::fixable}, {"x1", X, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    model.setStep(Step::loading());
    ASSERT_TRUE(flow.startAndReachSummary());
    const auto diagnosis = flow.telemetry.withName("diagnosis_reached");
    ASSERT_EQ(diagnosis.size(), 1);
    EXPECT_EQ(diagnosis[0]["reason"], "blocked");
    EXPECT_EQ(diagnosis[0]["fixable_count"], 1);
    EXPECT_EQ(diagnosis[0]["blocked_count"], 1);
    EXPECT_EQ(diagnosis[0]["terminals"], (QJsonArray{"ghostty", "iterm2", "warp"}));

    for (int i = 0; i < 2; ++i) {
        model.setStep(Step::verifying());
        model.verify();
        model.verify(); // the screen's task again while one runs
        ASSERT_TRUE(flow.reach(Step::keepGoingGate()));
    }
    EXPECT_EQ(flow.script->verifications, 2);
    EXPECT_EQ(flow.telemetry.count("verify_passed"), 1);
}

TEST(SetupFlowModel, VerificationEvents) {
    auto verifyWith = [](SetupVerificationResult result) {
        Flow flow;
        flow.script->verification = std::move(result);
        auto& model = flow.make(flow.scripted({{"x1", X, C::fixable}}));
        EXPECT_TRUE(flow.startAndReachSummary());
        model.setStep(Step::verifying());
        model.verify();
        EXPECT_TRUE(spinUntil([&] { return model.step() != Step::verifying(); }));
        const auto events = flow.telemetry.events();
        EXPECT_EQ(events.size(), 2);
        return std::pair(events.last(), model.step());
    };
    const QString long300 = QString("v").repeated(300);
    auto [passed, next] = verifyWith({"  \n" + long300 + "\n", true, 0, QString("resolved")});
    EXPECT_EQ(passed.name, "verify_passed");
    EXPECT_EQ(passed.properties, (QJsonObject{{"engine_outcome", "resolved"},
                                              {"cli_version_excerpt", long300.left(200)}}));
    EXPECT_EQ(next, Step::keepGoingGate()); // no offer stage
    const QString exact = QString("w").repeated(200);
    EXPECT_EQ(verifyWith({exact, true}).first.properties["cli_version_excerpt"], exact);
    EXPECT_EQ(verifyWith({exact, true}).first.properties["engine_outcome"], "");

    auto [failed, after] = verifyWith({"no", false});
    EXPECT_EQ(failed.name, "verify_failed");
    EXPECT_EQ(failed.properties, (QJsonObject{{"engine_outcome", ""}, {"exit_code", -1}}));
    EXPECT_EQ(after, Step::outcome());
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
    settle();
    EXPECT_EQ(model.step(), Step::stage("editor"));
    EXPECT_FALSE(model.pendingInstall());

    ASSERT_TRUE(model.requestInstall(flow.install("editor")));
    model.finishStageAfterInstall(Ended::canceled);
    model.finishStageAfterInstall(Ended::success); // a second report finds nothing pending
    settle();
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
    settle();
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
    settle();
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

// The outcome answer: the product's hook once, then the score step, or the way out when
// feedback was given before.
TEST(SetupFlowModel, OutcomeAnswer) {
    Flow flow;
    auto config = flow.scripted({{"x1", X, C::ready}});
    QStringList reported;
    config.spinePolicy.onOutcomeReported = [&](const std::optional<QString>& outcome,
                                               const QString& answer) {
        reported << outcome.value_or("none") + ":" + answer;
    };
    auto& model = flow.make(config);
    ASSERT_TRUE(flow.startAndReachSummary());
    model.setStep(Step::verifying());
    model.verify();
    ASSERT_TRUE(flow.reach(Step::keepGoingGate()));
    model.setStep(Step::outcome());
    EXPECT_FALSE(model.resolveOutcome("not_resolved"));
    EXPECT_FALSE(model.resolveOutcome("not_resolved")); // a double press
    EXPECT_EQ(model.step(), Step::nps());
    EXPECT_EQ(reported, QStringList{"fixed:not_resolved"});

    Flow given;
    given.ctx.userDefaults->set(true, npsKey());
    auto& second = given.make(given.scripted({{"x1", X, C::fixable}}));
    ASSERT_TRUE(given.startAndReachSummary());
    second.setStep(Step::outcome());
    EXPECT_TRUE(second.resolveOutcome("resolved"));
    EXPECT_EQ(second.step(), Step::outcome());
    EXPECT_FALSE(second.resolveOutcome("resolved"));
    EXPECT_FALSE(given.telemetry.names().contains("nps_shown"));
}

// "nps_shown" goes out once per process, whichever model shows the card first.
TEST(SetupFlowModel, ScoreCardShownOncePerProcess) {
    const auto* unit = ::testing::UnitTest::GetInstance();
    Flow flow;
    for (int i = 0; i < 2; ++i) {
        auto& model = flow.make(flow.scripted({{"x1", X, C::fixable}}));
        ASSERT_TRUE(flow.startAndReachSummary());
        model.setStep(Step::outcome());
        EXPECT_FALSE(model.resolveOutcome("resolved"));
    }
    // Run alone, this test is the first to show the card; in a whole run another may be.
    if (unit->test_to_run_count() == 1)
        EXPECT_EQ(flow.telemetry.count("nps_shown"), 1);
    else
        EXPECT_LE(flow.telemetry.count("nps_shown"), 1);
    EXPECT_FALSE(trackRecommendationCardShown());
}

// A failed verification ends on a title that says so, in every product.
TEST(SetupFlowModel, TheOutcomeAfterAFailedVerificationIsNotTitledReady) {
    const std::pair<ProductConfig, QString> products[] = {
        {cliProduct(), "Your command line isn't ready yet"},
        {brewProduct(), "Your Mac isn't ready yet"},
        {claudeProduct(), "Your Mac isn't ready for Claude Code yet"}};
    for (const auto& [product, title] : products) {
        Flow flow;
        flow.script->verification = {"xcode-select: error: no developer tools were found", false,
                                     1};
        auto& model = flow.make(flow.scripted({{"x1", X, C::fixable}}, product));
        ASSERT_TRUE(flow.startAndReachSummary());
        model.setStep(Step::verifying());
        model.verify();
        ASSERT_TRUE(flow.reach(Step::outcome()));
        EXPECT_EQ(SetupWorkflowCopy::outcomeTitle(model), title);
    }
}

// The checklist after a passed verification: only then, and in its four sections.
TEST(SetupFlowModel, OutcomeChecklistOnlyAfterAPassedVerification) {
    Flow flow;
    flow.script->verification = {"broken", false, 1};
    auto& model = flow.make(flow.scripted({{"x1", X, C::fixable}}));
    ASSERT_TRUE(flow.startAndReachSummary());
    model.setStep(Step::verifying());
    model.verify();
    ASSERT_TRUE(flow.reach(Step::outcome()));
    const int calls = flow.mac.runner()->calls().size();
    model.buildOutcomeAudit();
    settle();
    EXPECT_TRUE(model.outcomeAudit().isEmpty());
    EXPECT_EQ(flow.mac.runner()->calls().size(), calls);
}

TEST(OutcomeChecklist, SectionsAndTheChecksThatDependOnOthers) {
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    auto& runner = *mac.runner();
    runner.answerShell("xcode-select -p 2>&1", "/Library/Developer/CommandLineTools\n");
    runner.answerShell("git --version 2>&1", "\n  git version 2.39.5 (Apple Git-154)\nmore\n");
    runner.answerShell("brew --version 2>&1", "Homebrew 4.4.2\nHomebrew/core\n");
    runner.answerShell("mise --version 2>&1", "2024.11.1 macos-arm64\n");
    runner.answerShell("uv --version 2>&1", "uv 0.5.1\n");
    runner.answerShell("mise which node 2>/dev/null", "/Users/dev/.local/share/mise/node\n");
    runner.answerShell("mise which ruby 2>/dev/null", "", 1);
    runner.answerShell("mise which cargo 2>/dev/null", "/Users/dev/.cargo/bin/cargo\n");
    runner.answerShell("/usr/libexec/java_home 2>/dev/null", "/Library/Java/Home\n");
    auto profile = mac.profiler().profile();
    const auto sections = SetupFlowModel::collectOutcomeAudit(profile, runner, mac.fs());
    EXPECT_EQ(sections,
              (QList<OutcomeAuditSection>{
                  {"Foundation",
                   {"Command Line Tools installed", "git version 2.39.5 (Apple Git-154)",
                    "Homebrew installed — version 4.4.2", "Shell configuration in place",
                    "mise installed for language version management"}},
                  {"Editors & terminal", {"Warp installed", "Zed installed", "VS Code installed"}},
                  {"AI agents",
                   {"Claude Desktop installed (paid subscription required for Claude Code)",
                    "Claude Code CLI installed (paid subscription required)",
                    "ChatGPT Desktop installed", "Codex CLI installed"}},
                  {"Languages",
                   {"Python installed (with uv)", "JavaScript installed (with mise via Node)",
                    "Rust installed (with mise via rustup)", "Java installed"}}}));

    // No Command Line Tools: no Git item though Git answers; no mise: no mise checks; an
    // unreadable Homebrew version; Warp found only as a terminal.
    FixtureMac bare(FixtureMac::Kind::newAppleSilicon);
    auto& r = *bare.runner();
    r.answerShell("git --version 2>&1", "git version 2.47.0\n");
    r.answerShell("brew --version 2>&1", "Warning: something\nHomebrew 4.4.2\n");
    r.answerShell("mise --version 2>&1", "zsh:1: command not found: mise\n", 127);
    r.answerShell("mise which node 2>/dev/null", "/somewhere/node\n");
    SystemProfile warpOnly;
    warpOnly.terminals.warp = true;
    EXPECT_EQ(SetupFlowModel::collectOutcomeAudit(warpOnly, r, bare.fs()),
              (QList<OutcomeAuditSection>{{"Foundation", {"Homebrew installed"}},
                                          {"Editors & terminal", {"Warp installed"}}}));
    const QStringList scripts = r.shellScripts();
    EXPECT_FALSE(scripts.contains("git --version 2>&1"));
    EXPECT_FALSE(scripts.contains("mise which node 2>/dev/null"));

    FixtureMac nothing(FixtureMac::Kind::newAppleSilicon);
    EXPECT_TRUE(SetupFlowModel::collectOutcomeAudit(std::nullopt, *nothing.runner(), nothing.fs())
                    .isEmpty());
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
