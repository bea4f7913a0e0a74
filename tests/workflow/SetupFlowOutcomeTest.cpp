#include "workflow/SetupFlowTestSupport.h"

using namespace tovr;
using namespace tovr::test;
using namespace tovr::test::setupflow;

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
    ASSERT_TRUE(settleWorkers());
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
