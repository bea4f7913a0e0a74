#include "support/FixtureMac.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"
#include "workflow/SetupFlowTestSupport.h"

#include "model/BasicSetupStage.h"
#include "products/cli/CliProductConfig.h"
#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/views/SetupEndBodies.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Step = SetupFlowModel::Step;
using C = SetupDiagnosisClassification;

namespace {

using Row = setupflow::Script::Row;

class EndBodies : public ::testing::Test {
protected:
    EndBodies() { screens_.profile->set(mac_.profiler().profile()); }

    // A model that has verified and now shows `step`.
    SetupFlowModel& modelAt(const Step& step, SetupVerificationResult result,
                            QList<Row> rows = {}) {
        auto script = std::make_shared<setupflow::Script>();
        script->rows = std::move(rows);
        script->verification = std::move(result);
        ProductConfig config = cliProduct();
        config.prober = std::make_shared<setupflow::ScriptedProber>(script);
        config.spineProvider = std::make_shared<setupflow::ScriptedSpine>(script);
        config.verifier = std::make_shared<setupflow::ScriptedVerifier>(script);
        model_ = std::make_unique<SetupFlowModel>(config, screens_.context);
        model_->start();
        EXPECT_TRUE(spinUntil([&] { return model_->step() == Step::diagnosisSummary(); }));
        model_->setStep(Step::verifying());
        model_->verify();
        EXPECT_TRUE(spinUntil([&] { return model_->verifyResult().has_value(); }));
        settle();
        model_->setStep(step);
        return *model_;
    }

    template <class W> std::unique_ptr<W> shown(std::unique_ptr<W> widget) {
        widget->resize(640, 480);
        widget->show();
        settle();
        return widget;
    }

    QString npsKey() const { return cliProduct().userDefaultsPrefix + ".nps_submitted"; }

    ScopedProductConfig product_{cliProduct()};
    RecordedTelemetry telemetry_;
    FixtureMac mac_{FixtureMac::Kind::developerAppleSilicon};
    TestScreenContext screens_{mac_.services(), mac_.environment()};
    std::unique_ptr<SetupFlowModel> model_;
};

} // namespace

TEST_F(EndBodies, InterstitialAndGateButtonsMoveTheStep) {
    auto& model = modelAt(Step::interstitial(), {"ok", true},
                          {{"x1", DomainPlacement::optional, C::ready},
                           {"x2", DomainPlacement::optional, C::fixable}});
    auto interstitial = shown(std::make_unique<InterstitialBody>(
        screens_.context, &model,
        SpineRenderPolicy::InterstitialScreen{"W", "H", "B", "Got it", QString("Billed monthly."),
                                              ""}));
    EXPECT_EQ(findVisible<QLabel>(interstitial.get(), "interstitial-disclosure")->text(),
              "Billed monthly.");
    saveScreenshot(interstitial.get(), "workflow-interstitial-body");
    clickButton(interstitial.get(), "paid-plan-continue");
    EXPECT_EQ(model.step(), Step::verifying());

    model.setStep(Step::keepGoingGate());
    auto gate = shown(std::make_unique<KeepGoingButtons>(screens_.context, &model));
    clickButton(gate.get(), "keep-going");
    EXPECT_EQ(model.step(), Step::stage("x2"));
    clickButton(gate.get(), "finish-here"); // drawn for a gate no longer shown
    EXPECT_EQ(model.step(), Step::stage("x2"));
    model.setStep(Step::keepGoingGate());
    clickButton(gate.get(), "finish-here");
    EXPECT_EQ(model.step(), Step::outcome());
}

TEST_F(EndBodies, OutcomeShowsTheChecklistOrTheVerifiersOwnOutput) {
    auto& model = modelAt(Step::outcome(), {"ok", true});
    auto body = shown(std::make_unique<OutcomeBody>(screens_.context, &model));
    body->setVerification(true, {});
    auto* checklist = findVisible(body.get(), "outcome-checklist");
    ASSERT_NE(checklist, nullptr);
    EXPECT_EQ(findVisible(body.get(), "Foundation"), nullptr);
    model.buildOutcomeAudit();
    ASSERT_TRUE(spinUntil([&] { return findVisible(body.get(), "Foundation") != nullptr; }));
    EXPECT_EQ(findVisible(body.get(), "outcome-verify-output"), nullptr);
    saveScreenshot(body.get(), "workflow-outcome-passed-body");

    const QString output = "\nxcode-select: error: no developer tools\n\n";
    auto& failed = modelAt(Step::outcome(), {output, false, 1});
    auto second = shown(std::make_unique<OutcomeBody>(screens_.context, &failed));
    second->setVerification(false, {{"Open Zed", "Zed.app"}});
    saveScreenshot(second.get(), "workflow-outcome-failed-body");
    EXPECT_EQ(findVisible(second.get(), "outcome-checklist"), nullptr);
    auto* shownOutput = findVisible<QLabel>(second.get(), "outcome-verify-output");
    ASSERT_NE(shownOutput, nullptr);
    EXPECT_EQ(shownOutput->text(), output);
    EXPECT_EQ(shownOutput->textFormat(), Qt::PlainText);

    auto& blank = modelAt(Step::outcome(), {" \n\t\n", false, 1});
    auto third = shown(std::make_unique<OutcomeBody>(screens_.context, &blank));
    third->setVerification(false, {});
    EXPECT_EQ(findVisible(third.get(), "outcome-verify-output"), nullptr);
}

TEST_F(EndBodies, AppsOpenFromTheFirstApplicationsFolderThatHoldsThem) {
    auto fs = mac_.fs();
    fs->createFolder("/Applications/Zed.app"); // and in ~/Applications
    fs->moveItem("/Applications/Visual Studio Code.app",
                 "/Users/dev/Applications/Visual Studio Code.app");
    fs->removeItem("/Applications/ChatGPT.app");
    auto& model = modelAt(Step::outcome(), {"ok", true});
    auto body = shown(std::make_unique<OutcomeBody>(screens_.context, &model));
    EXPECT_EQ(findVisible(body.get(), "show-example-projects"), nullptr);
    body->setVerification(true, {{"Open Zed", "Zed.app"},
                                 {"Open VS Code", "Visual Studio Code.app"},
                                 {"Open ChatGPT", "ChatGPT.app"}});

    clickButton(body.get(), "open-Zed");
    clickButton(body.get(), "open-Visual Studio Code");
    clickButton(body.get(), "open-ChatGPT"); // in neither folder: nothing at all
    EXPECT_EQ(screens_.urlOpener->opened,
              (QList<QUrl>{QUrl::fromLocalFile("/Applications/Zed.app"),
                           QUrl::fromLocalFile("/Users/dev/Applications/Visual Studio Code.app")}));
    const auto opened = telemetry_.withName("app_opened");
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[1].value("app").toString(), "Visual Studio Code");

    // A folder made while the screen is up shows the button on the next change.
    fs->createFolder("/Users/dev/Documents/AI-Coding-Project");
    Q_EMIT model.changed();
    clickButton(body.get(), "show-example-projects");
    EXPECT_EQ(screens_.fileRevealer->reveals,
              QList<QStringList>{{"/Users/dev/Documents/AI-Coding-Project"}});
    // Both folders: one reveal that selects them together.
    fs->createFolder("/Users/dev/Documents/AI-Simple-Project");
    Q_EMIT model.changed();
    clickButton(body.get(), "show-example-projects");
    EXPECT_EQ(screens_.fileRevealer->reveals.last(),
              (QStringList{"/Users/dev/Documents/AI-Simple-Project",
                           "/Users/dev/Documents/AI-Coding-Project"}));
}

// A second press, on either answer, reports nothing more.
TEST_F(EndBodies, OneAnswerPerOutcomeScreen) {
    auto& model = modelAt(Step::outcome(), {"ok", false});
    auto body = shown(std::make_unique<OutcomeBody>(screens_.context, &model));
    screens_.navigation->setPath({Screen::setupWorkflow()});
    auto* resolved = findVisible<QPushButton>(body.get(), "outcome-resolved");
    ASSERT_NE(resolved, nullptr);
    resolved->click();
    resolved->click();
    auto* blocked = findVisible<QPushButton>(body.get(), "outcome-blocked");
    blocked->click();
    const auto reported = telemetry_.withName("outcome_reported");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].value("self_report").toString(), "resolved");
    EXPECT_EQ(model.step(), Step::nps());
    EXPECT_EQ(screens_.navigation->path().size(), 1);

    // Feedback given before: the answer leaves the workflow.
    screens_.userDefaults->set(QVariant(true), npsKey());
    auto& again = modelAt(Step::outcome(), {"ok", false});
    auto second = shown(std::make_unique<OutcomeBody>(screens_.context, &again));
    clickButton(second.get(), "outcome-blocked");
    EXPECT_TRUE(screens_.navigation->path().isEmpty());
    EXPECT_EQ(telemetry_.count("outcome_reported"), 2);
}

TEST_F(EndBodies, DoneLeavesAndRecordsADismissalOnlyWhenTheCardReportedNothing) {
    auto& model = modelAt(Step::nps(), {"ok", true});
    auto body = shown(std::make_unique<NPSBody>(screens_.context, &model));
    screens_.navigation->setPath({Screen::setupWorkflow()});
    saveScreenshot(body.get(), "workflow-nps-body");
    auto* done = findDefaultButton(body.get());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->objectName(), "nps-done");
    clickButton(body.get(), "nps-done");
    clickButton(body.get(), "nps-done");
    EXPECT_EQ(telemetry_.count("nps_dismissed"), 1);
    EXPECT_TRUE(model.npsResolved());
    EXPECT_TRUE(screens_.navigation->path().isEmpty());

    // Dismissed through the card: "Done" adds no second dismissal.
    auto& dismissed = modelAt(Step::nps(), {"ok", true});
    auto second = shown(std::make_unique<NPSBody>(screens_.context, &dismissed));
    clickButton(second.get(), "nps-dismiss");
    EXPECT_EQ(telemetry_.count("nps_dismissed"), 2);
    clickButton(second.get(), "nps-done");
    EXPECT_EQ(telemetry_.count("nps_dismissed"), 2);
}
