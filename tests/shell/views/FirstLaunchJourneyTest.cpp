#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestDemoMac.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoMac.h"
#include "products/cli/CliProductConfig.h"
#include "shell/views/TOVRRootView.h"
#include "ui/views/LiveDesktopServices.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QDialog>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = SetupFlowModel::Step::Kind;

namespace {} // namespace

// A newcomer's first launch on the demo Mac: consent, welcome, the check, the summary, the
// first stage, one install, the next stage.
TEST(FirstLaunchJourney, FromConsentThroughOneInstallToTheNextStage) {
    ScopedProductConfig product(cliProduct());
    RecordedTelemetry telemetry;
    const DemoMac demo(testDemoOptions());
    ScreenContext base;
    base.services = demo.services();
    base.userDefaults = demo.userDefaults();
    base.environment = demo.environment();
    TOVRRootView window(base);
    window.resize(720, 720);
    window.show();
    ASSERT_TRUE(spinUntil(
        [&] { return window.isActiveWindow() && findVisible(&window, "consent-continue"); }));
    saveScreenshotsAtTwoSizes(&window, "journey-1-consent");

    EXPECT_TRUE(waitOutClickGuard(findVisible(&window, "consent-continue")));
    QTest::keyClick(&window, Qt::Key_Return);
    ASSERT_TRUE(spinUntil([&] { return findVisible(&window, "welcome-diagnose-button"); }));
    saveScreenshotsAtTwoSizes(&window, "journey-2-welcome");
    clickButton(&window, "welcome-diagnose-button");
    SetupWorkflowView* workflow = nullptr;
    ASSERT_TRUE(
        spinUntil([&] { return (workflow = findVisible<SetupWorkflowView>(&window, QString())); }));
    SetupFlowModel* model = workflow->model();
    ASSERT_TRUE(spinUntil([&] { return model->step().kind == Kind::diagnosisSummary; }));
    saveScreenshotsAtTwoSizes(&window, "journey-3-summary");

    clickButton(&window, "diagnosis-continue");
    ASSERT_TRUE(spinUntil([&] { return model->step().kind == Kind::stage; }));
    const QString firstStage = model->step().domainID;
    EXPECT_EQ(firstStage, "clt");
    saveScreenshotsAtTwoSizes(&window, "journey-4-first-stage");

    // The stage's install button, as its body would press it.
    const auto step = model->workflowStep(firstStage);
    ASSERT_TRUE(step.has_value());
    ASSERT_TRUE(model->requestInstall({"install-clt",
                                       "Install the Command Line Tools",
                                       {SetupRemediation::installCommandLineTools()},
                                       false,
                                       firstStage}));
    QWidget* sheet = nullptr;
    ASSERT_TRUE(
        spinUntil([&] { return (sheet = window.findChild<QDialog*>("setup-action-sheet")); }));
    ASSERT_TRUE(spinUntil([&] {
        return findVisible<QPushButton>(sheet, "setup-action-continue") &&
               findVisible<QPushButton>(sheet, "setup-action-continue")->isEnabled();
    }));
    saveScreenshot(sheet, "journey-5-install-sheet-finished");
    clickButton(sheet, "setup-action-continue");
    ASSERT_TRUE(spinUntil(
        [&] { return model->step().kind == Kind::stage && model->step().domainID != firstStage; }));
    saveScreenshotsAtTwoSizes(&window, "journey-6-next-stage");
    EXPECT_TRUE(demo.fs()->fileExists("/Library/Developer/CommandLineTools"));

    const QStringList names = telemetry.names();
    EXPECT_EQ(names.first(), "consent_given");
    EXPECT_TRUE(names.contains("app_launched"));
    EXPECT_EQ(telemetry.count("diagnosis_reached"), 1);
    EXPECT_EQ(telemetry.count("remediation_completed"), 1);
}
