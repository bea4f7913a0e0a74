#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestDemoMac.h"
#include "support/TestScreenContext.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoMac.h"
#include "products/cli/CliProductConfig.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QDialog>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = SetupFlowModel::Step::Kind;

namespace {

// A disk with little room left, so the readiness check warns.
class NearlyFullDisk final : public VolumeCapacityReading {
public:
    std::optional<qint64> availableVolumeCapacity(const QString&) const override {
        return qint64(512) * 1024 * 1024;
    }
};

class WorkflowScreen : public ::testing::Test {
protected:
    WorkflowScreen()
        : demo_(testDemoOptions(
              std::chrono::milliseconds(100))) /* an install runs long enough to cancel */,
          screens_(demo_.services(), demo_.environment()) {
        screens_.navigation->setPath({Screen::setupWorkflow()});
    }
    std::unique_ptr<SetupWorkflowView>
    open(std::shared_ptr<const VolumeCapacityReading> volumes = nullptr) {
        auto view = std::make_unique<SetupWorkflowView>(screens_.context, std::move(volumes));
        view->resize(720, 700);
        view->show();
        view->startTask();
        EXPECT_TRUE(
            spinUntil([&] { return view->model()->step().kind == Kind::diagnosisSummary; }));
        return view;
    }
    int openSheets(QWidget* view) {
        return int(view->findChildren<QDialog*>("setup-action-sheet").size());
    }

    ScopedProductConfig product_{cliProduct()};
    RecordedTelemetry telemetry_;
    DemoMac demo_;
    TestScreenContext screens_;
};

} // namespace

TEST_F(WorkflowScreen, ReadinessStopReturnsHomeAndADoubleClickAnswersOneWarning) {
    const LongDoubleClickInterval slowMachine;
    auto view = open(std::make_shared<NearlyFullDisk>());
    // The second press of a double click on "Continue" lands on the warning's button.
    clickButton(view.get(), "diagnosis-continue");
    ASSERT_TRUE(spinUntil([&] { return view->model()->step().kind == Kind::readinessWarning; }));
    auto* stop = findVisible<QPushButton>(view.get(), "readiness-stop");
    ASSERT_NE(stop, nullptr);
    ASSERT_TRUE(isGuardedAgainstSecondClick(stop));
    QTest::mouseClick(stop, Qt::LeftButton); // at once: the guard swallows it
    settle();
    EXPECT_EQ(screens_.navigation->path(), QList<Screen>{Screen::setupWorkflow()});

    clickButton(view.get(), "readiness-stop");
    EXPECT_TRUE(screens_.navigation->path().isEmpty());
    const auto actions = telemetry_.withName("disk_warning_action");
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions.first().value("action").toString(), "stop");
}

TEST_F(WorkflowScreen, TheSheetOpensOncePerPendingInstallAndItsEndReachesTheModel) {
    auto view = open();
    clickButton(view.get(), "diagnosis-continue");
    ASSERT_TRUE(spinUntil([&] { return view->model()->step().kind == Kind::stage; }));
    const QString stage = view->model()->step().domainID;
    ASSERT_TRUE(spinUntil([&] { return findVisible(view.get(), "stage-skip"); }));
    settle(); // the page has put its first focus
    auto* skip = findVisible(view.get(), "stage-skip");
    skip->setFocus();
    ASSERT_TRUE(view->model()->requestInstall(
        {"clt", "Install", {SetupRemediation::installCommandLineTools()}, false, stage}));
    EXPECT_TRUE(spinUntil([&] { return openSheets(view.get()) == 1; }));
    Q_EMIT view->model()->changed(); // any other change opens nothing more
    settle();
    EXPECT_EQ(openSheets(view.get()), 1);

    auto* sheet = view->findChild<QDialog*>("setup-action-sheet");
    clickButton(sheet, "setup-action-cancel");
    EXPECT_TRUE(spinUntil([&] { return openSheets(view.get()) == 0; }));
    EXPECT_FALSE(view->model()->pendingInstall().has_value());
    EXPECT_EQ(view->model()->step(), SetupFlowModel::Step::stage(stage)); // canceled: stays
    // Wherever it was left (a screen reader presses without moving it), the focus goes back
    // to the page's main control.
    EXPECT_TRUE(spinUntil([&] {
        return view->focusWidget() == findVisible(view.get(), "stage-fix-" + stage);
    })) << "the focus is on "
        << view->focusWidget()->objectName().toStdString();

    // The same install again opens a fresh sheet.
    ASSERT_TRUE(view->model()->requestInstall(
        {"clt", "Install", {SetupRemediation::installCommandLineTools()}, false, stage}));
    EXPECT_TRUE(spinUntil([&] { return openSheets(view.get()) == 1; }));
}

TEST_F(WorkflowScreen, TheWindowIsTitledFromTheFirstStepAndKeepsItsMinimumSize) {
    SetupWorkflowView view(screens_.context);
    view.show();
    view.startTask();
    ASSERT_EQ(view.model()->step().kind, Kind::loading);
    EXPECT_EQ(view.windowTitle(), cliProduct().displayName);
    EXPECT_EQ(view.minimumSize(), QSize(720, 700));
}
