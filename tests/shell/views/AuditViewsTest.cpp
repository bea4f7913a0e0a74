#include "shell/AuditTestSupport.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoHTTPFetcher.h"
#include "shell/FinalAuditReportModel.h"
#include "shell/RootModel.h"
#include "shell/Stage1Foundations.h"
#include "shell/Stage2Terminal.h"
#include "shell/views/StagedAuditFlowView.h"
#include "shell/views/TOVRRootView.h"
#include "ui/views/BusyIndicator.h"
#include "ui/views/SheetDialog.h"

#include <QPushButton>
#include <QStackedWidget>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Step = StagedAuditFlowModel::Step;

namespace {

// The visible button with this object name or, failing that, this text.
QPushButton* button(QWidget* root, const QString& nameOrText) {
    for (auto* b : root->findChildren<QPushButton*>())
        if (b->isVisibleTo(root) && (b->objectName() == nameOrText || b->text() == nameOrText))
            return b;
    return nullptr;
}

QWidget* visiblePage(StagedAuditFlowView& view) {
    return view.findChild<QStackedWidget*>()->currentWidget();
}

class AuditScreen {
public:
    AuditScreen(const FixtureMac& mac, const AuditContext& audit)
        : screen(liveServices(mac), mac.environment()), view(screen.context, audit) {
        screen.navigation->setPath({Screen::diagnose(), Screen::audit(audit)});
        view.resize(720, 700);
        view.show();
        view.startTask();
        EXPECT_TRUE(waitFor([&] { return view.model()->freshProfile().has_value(); }));
    }
    StagedAuditFlowModel& model() { return *view.model(); }

    TestScreenContext screen;
    StagedAuditFlowView view;

private:
    // Not fixture mode: the screens profile the fixture Mac as they would a live one.
    static AppServices liveServices(const FixtureMac& mac) {
        auto services = mac.services();
        services.isFixtureMode = false;
        // The install dialog the stages open fetches the Homebrew script over this.
        services.http = std::make_shared<DemoHTTPFetcher>(mac.fs());
        return services;
    }
};

} // namespace

// The Java route on a likely developer without Homebrew, profiled for real through the
// fixture: foundations, Homebrew installed, the terminal offer put off, the report.
TEST(AuditViews, JourneyInstallsHomebrewThenOffersWarpAndReports) {
    auto mac = developerWithoutHomebrew();
    RecordedTelemetry telemetry;
    AuditScreen screen(*mac, heuristicEntry());
    auto* stage1 = screen.model().foundations();
    ASSERT_EQ(screen.model().currentStage(), stage1);
    EXPECT_EQ(visiblePage(screen.view)
                  ->findChild<QWidget*>("audit-stage-foundations")
                  ->isVisibleTo(&screen.view),
              true);
    saveScreenshot(&screen.view, "audit-stage1-homebrew");

    button(&screen.view, "Install Homebrew (recommended)")->click();
    ASSERT_EQ(stage1->pendingRemediation(), Remediation::installHomebrew());
    installHomebrewOn(*mac);
    // What the dialog does at its end: it closes, and reports.
    auto* sheet = screen.view.findChild<SheetDialog*>("remediation-sheet");
    ASSERT_NE(sheet, nullptr);
    sheet->closeSheet();
    stage1->finishRemediation(RemediationOutcome::success("Homebrew installed."));
    EXPECT_FALSE(button(&screen.view, "audit-stage-skip")->isEnabled());
    // The fresh look at the Mac shows as work for as long as it disables the buttons.
    auto* busy = visiblePage(screen.view)->findChild<BusyIndicator*>();
    ASSERT_NE(busy, nullptr);
    EXPECT_TRUE(busy->isVisibleTo(&screen.view));
    EXPECT_FALSE(busy->accessibleName().isEmpty());
    ASSERT_TRUE(
        waitFor([&] { return screen.model().currentStage() == screen.model().terminal(); }));
    EXPECT_TRUE(busy->isHidden());
    saveScreenshot(&screen.view, "audit-stage2-terminal");

    button(&screen.view, "audit-stage-skip")->click();
    ASSERT_EQ(screen.model().step(), Step::finalReport);
    EXPECT_TRUE(waitFor(
        [&] { return screen.model().finalReport()->rows()[1].label == "Homebrew installed"; }));
    saveScreenshot(&screen.view, "audit-final-report");
    button(&screen.view, QString::fromUtf8("Done — back to home"))->click();
    EXPECT_TRUE(screen.screen.navigation->path().isEmpty());
    EXPECT_EQ(telemetry.count("audit_stage_skipped_by_user"), 1);
}

TEST(AuditViews, GatedNewcomerSeesTheShortCompletion) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    AuditScreen screen(mac, heuristicEntry());
    ASSERT_EQ(screen.model().step(), Step::simplifiedCompletion);
    saveScreenshot(&screen.view, "audit-simplified-completion");
}

TEST(AuditViews, StageOneShowsTheCommandLineToolsAndMacOSBlocksAndContinueAdvances) {
    FixtureMac mac(FixtureMac::Kind::broken); // Homebrew, no Command Line Tools
    RecordedTelemetry telemetry;
    AuditScreen screen(mac, entryOf(AuditEntry::buildIntent));
    ASSERT_EQ(screen.model().currentStage(), screen.model().foundations());
    EXPECT_EQ(button(&screen.view, "Install Homebrew (recommended)"), nullptr);
    EXPECT_NE(button(&screen.view, QString::fromUtf8("How to update macOS →")), nullptr);
    saveScreenshot(&screen.view, "audit-stage1-tools-and-macos");
    button(&screen.view, QString::fromUtf8("Read the article on Lumbrook →"))->click();
    EXPECT_EQ(telemetry.count("audit_outbound_clicked"), 1);
    button(&screen.view, "audit-stage-skip")->click();
    EXPECT_EQ(screen.model().currentIndex(), 1);
    EXPECT_EQ(telemetry.count("audit_stage_skipped_by_user"), 0);
}

TEST(AuditViews, TheWindowBuildsTheAuditForItsDestinationAndStartsItAgainWhenUncovered) {
    auto mac = developerWithoutHomebrew();
    RecordedTelemetry telemetry;
    auto services = mac->services();
    services.isFixtureMode = false;
    TestScreenContext screens(services, mac->environment());
    screens.userDefaults->set(QVariant(true), consentKey());
    TOVRRootView window(screens.context);
    window.resize(720, 700);
    window.show();
    settle();
    window.navigation().setPath({Screen::audit(heuristicEntry())});
    ASSERT_TRUE(spinUntil([&] { return findVisible(&window, "audit-stage-foundations"); }));
    ASSERT_TRUE(spinUntil([&] { return telemetry.count("audit_reached") == 1; }));
    ASSERT_EQ(telemetry.count("audit_stage_outcome"), 1);

    // A screen pushed over it and popped: the shown stage is reported again, nothing else.
    window.navigation().setPath({Screen::audit(heuristicEntry()), Screen::nextStep()});
    settle();
    clickButton(&window, "navigation-back");
    EXPECT_EQ(telemetry.count("audit_stage_outcome"), 2);
    EXPECT_EQ(telemetry.count("audit_reached"), 1);
    clickButton(&window, "audit-stage-skip");
    EXPECT_TRUE(spinUntil([&] { return findVisible(&window, "audit-stage-terminal"); }));
}
