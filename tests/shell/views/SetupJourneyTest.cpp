#include "support/FakeDesktop.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestDemoMac.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "demo/DemoMac.h"
#include "products/cli/CliProductConfig.h"
#include "services/SetupRemediationRunner.h"
#include "shell/views/TOVRRootView.h"
#include "ui/views/LiveLogView.h"
#include "workflow/views/SetupWorkflowView.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using Kind = SetupFlowModel::Step::Kind;

namespace {

// The setup workflow walked in one window over the demo Mac, as a person would: every
// action a press of a named button.
class Journey {
public:
    explicit Journey(std::chrono::milliseconds lineDelay = std::chrono::milliseconds(0))
        : demo_(testDemoOptions(lineDelay)) {}

    // The window, consent given, on the welcome screen.
    void openWindow(const QString& name) {
        name_ = name;
        ScreenContext base;
        base.services = demo_.services();
        base.userDefaults = demo_.userDefaults();
        base.environment = demo_.environment();
        base.urlOpener = urlOpener;
        base.fileRevealer = fileRevealer;
        base.clipboard = std::make_shared<FakeClipboard>();
        base.folderPicker = std::make_shared<FakeFolderPicker>();
        window_ = std::make_unique<TOVRRootView>(base);
        window_->resize(720, 720);
        window_->show();
        EXPECT_TRUE(spinUntil([&] {
            return window_->isActiveWindow() && findVisible(window_.get(), "consent-continue");
        }));
        EXPECT_TRUE(focusComesTo(window_.get(), "consent-continue")) << focused();
        EXPECT_TRUE(waitOutClickGuard(findVisible(window_.get(), "consent-continue")));
        QTest::keyClick(window_.get(), Qt::Key_Return); // consent
        EXPECT_TRUE(
            spinUntil([&] { return findVisible(window_.get(), "welcome-diagnose-button"); }));
    }

    // Welcome's button, then the diagnosis summary.
    void startSetup() {
        press("welcome-diagnose-button");
        ASSERT_TRUE(spinUntil([&] {
            workflow_ = findVisible<SetupWorkflowView>(window_.get(), QString());
            return workflow_ != nullptr;
        }));
        ASSERT_TRUE(restsOn(Kind::diagnosisSummary));
        shoot("summary");
    }

    SetupFlowModel& model() const { return *workflow_->model(); }
    QWidget* window() const { return window_.get(); }
    DemoMac& demo() { return demo_; }

    // Waits until the workflow rests on a step the user answers, and says whether it is
    // `kind`. Stages are listed as they are seen.
    bool restsOn(Kind kind) {
        const bool rested = spinUntil([&] {
            const Kind now = model().step().kind;
            return now != Kind::loading && now != Kind::verifying && !model().isRefreshing() &&
                   !model().pendingInstall();
        });
        settle();
        const auto& step = model().step();
        if (step.kind == Kind::stage && (stages.isEmpty() || stages.last() != step.domainID))
            stages << step.domainID;
        return rested && step.kind == kind;
    }
    QString stage() const { return model().step().domainID; }

    void press(const QString& name) { clickButton(window_.get(), name); }
    // Two quick presses where the button is: the second lands on whatever is there by then.
    void doubleClick(const QString& name) {
        QPushButton* button = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            button = findVisible<QPushButton>(window_.get(), name);
            return button && !isGuardedAgainstSecondClick(button);
        })) << name.toStdString();
        const QPoint at = button->mapTo(window_.get(), button->rect().center());
        QTest::mouseClick(button, Qt::LeftButton);
        QWidget* under = window_->childAt(at);
        QTest::mouseClick(under ? under : window_.get(), Qt::LeftButton, {},
                          under ? under->mapFrom(window_.get(), at) : at);
        settle();
    }

    // A stage's button that starts an install, then the sheet to its end: Continue, or
    // Cancel while it runs.
    void install(const QString& button, bool cancel = false) {
        press(button);
        QWidget* sheet = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            return (sheet = window_->findChild<QDialog*>("setup-action-sheet")) != nullptr;
        }));
        const QString end = cancel ? "setup-action-cancel" : "setup-action-continue";
        ASSERT_TRUE(spinUntil([&] {
            auto* b = findVisible<QPushButton>(sheet, end);
            return b && b->isEnabled();
        })) << end.toStdString();
        if (!cancel && sheets_++ == 0) {
            // The log shows new lines a frame later.
            EXPECT_TRUE(spinUntil([&] {
                auto* log = sheet->findChild<LiveLogView*>("setup-action-log");
                return log && !log->toPlainText().isEmpty();
            }));
            saveScreenshot(sheet, name_ + "-install-sheet");
        }
        clickButton(sheet, end);
    }
    // The stage's button for one fix.
    void installFix(const QString& fixID, bool cancel = false) {
        install("stage-fix-" + fixID, cancel);
    }
    void skip() { press("stage-skip"); }

    // What has the focus, for a failure's message.
    std::string focused() const {
        QWidget* focus = window_->focusWidget();
        return "the focus is on " + (focus ? focus->objectName().toStdString() : "nothing");
    }

    void shoot(const QString& screen) {
        settle();
        saveScreenshot(window_.get(), name_ + "-" + screen);
    }

    QStringList stages;
    std::shared_ptr<FakeURLOpener> urlOpener = std::make_shared<FakeURLOpener>();
    std::shared_ptr<FakeFileRevealer> fileRevealer = std::make_shared<FakeFileRevealer>();

private:
    ScopedProductConfig product_{cliProduct()};
    DemoMac demo_;
    QString name_;
    std::unique_ptr<TOVRRootView> window_;
    QPointer<SetupWorkflowView> workflow_;
    int sheets_ = 0;
};

} // namespace

// A newcomer on a new Mac: every primary stage installed, verification passed, on through
// the optional stages (Claude installed, the rest skipped), "Yes, all set", a score, Done;
// then a second run in the same window starts afresh.
TEST(SetupJourney, NewMacInstallsEverythingAndGivesAScore) {
    RecordedTelemetry telemetry;
    Journey journey;
    const auto fs = journey.demo().fs();
    fs->createFile("/Users/dev/.zprofile", "# mine\n"); // the user's own start-up file
    journey.openWindow("journey-new-mac");
    journey.startSetup();
    journey.press("diagnosis-continue");

    for (const QString& fix : QStringList{"clt", "shell-config", "homebrew", "brew:warp"}) {
        ASSERT_TRUE(journey.restsOn(Kind::stage)) << fix.toStdString();
        if (fix == "clt")
            journey.shoot("first-stage");
        journey.installFix(fix);
    }
    ASSERT_TRUE(journey.restsOn(Kind::keepGoingGate));
    EXPECT_TRUE(journey.model().verifyResult()->passed);
    journey.shoot("keep-going");
    journey.press("keep-going");

    ASSERT_TRUE(journey.restsOn(Kind::stage));
    EXPECT_EQ(journey.stage(), "ai-claude");
    journey.shoot("optional-stage");
    journey.install("ai-claude"); // both ticked at first
    while (journey.restsOn(Kind::stage))
        journey.skip();
    ASSERT_EQ(journey.model().step().kind, Kind::outcome);
    EXPECT_EQ(journey.stages,
              (QStringList{"clt", "shell-config", "homebrew", "warp", "ai-claude", "codex",
                           "project", "skills", "mcp", "editor", "languages", "git"}));

    // The outcome: the checklist, and Claude Desktop to open from /Applications.
    ASSERT_TRUE(spinUntil([&] { return !journey.model().outcomeAudit().isEmpty(); }));
    EXPECT_TRUE(spinUntil([&] { return findVisible(journey.window(), "outcome-checklist"); }));
    EXPECT_TRUE(focusComesTo(journey.window(), "outcome-resolved")) << journey.focused();
    journey.shoot("outcome");
    journey.press("open-Claude");
    EXPECT_EQ(journey.urlOpener->opened,
              QList<QUrl>{QUrl::fromLocalFile("/Applications/Claude.app")});
    journey.doubleClick("outcome-resolved"); // one answer, however many presses
    ASSERT_TRUE(journey.restsOn(Kind::nps));
    EXPECT_TRUE(focusComesTo(journey.window(), "nps-done")) << journey.focused();
    journey.shoot("feedback");

    journey.press("nps-score-9");
    journey.press("nps-submit");
    ASSERT_TRUE(spinUntil([&] { return journey.model().npsResolved(); })); // the thanks
    journey.shoot("feedback-thanks");
    const QPointer<SetupFlowModel> first = &journey.model();
    journey.window()->activateWindow(); // as the window is again once its sheets are gone
    ASSERT_TRUE(spinUntil([&] { return journey.window()->isActiveWindow(); }));
    EXPECT_TRUE(waitOutClickGuard(findVisible(journey.window(), "nps-done")));
    QTest::keyClick(journey.window(), Qt::Key_Return); // Done
    EXPECT_TRUE(
        spinUntil([&] { return findVisible(journey.window(), "welcome-diagnose-button"); }));
    auto* root = static_cast<TOVRRootView*>(journey.window());
    EXPECT_TRUE(root->navigation().path().isEmpty());

    // What was installed, and the start-up files with the user's own kept beside them.
    for (const char* path : {"/Library/Developer/CommandLineTools", "/opt/homebrew/bin/brew",
                             "/Applications/Warp.app", "/Applications/Claude.app"})
        EXPECT_TRUE(fs->fileExists(path)) << path;
    for (const char* file : {"/Users/dev/.zprofile", "/Users/dev/.zshrc"}) {
        const QByteArray now = fs->contents(file), before = fs->contents(QString(file) + ".bak");
        EXPECT_FALSE(before.isEmpty()) << file;
        EXPECT_TRUE(now.startsWith(before) && now != before) << file;
    }
    const QString zprofile = QString::fromUtf8(fs->contents("/Users/dev/.zprofile"));
    EXPECT_TRUE(zprofile.startsWith("# mine\n")) << zprofile.toStdString();
    EXPECT_TRUE(zprofile.contains("eval \"$(/opt/homebrew/bin/brew shellenv)\""));

    const auto reported = telemetry.withName("outcome_reported");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].value("self_report").toString(), "resolved");
    EXPECT_EQ(telemetry.count("verify_passed"), 1);
    EXPECT_EQ(telemetry.count("remediation_failed"), 0);
    EXPECT_EQ(telemetry.withName("app_opened").value(0).value("app").toString(), "Claude");
    const auto score = telemetry.withName("nps_submitted");
    ASSERT_EQ(score.size(), 1);
    EXPECT_EQ(score[0].value("score").toInt(), 9);
    EXPECT_EQ(telemetry.count("nps_dismissed"), 0);

    // A second run in the same window: a new model, from the start.
    journey.startSetup();
    EXPECT_TRUE(first.isNull() || first.data() != &journey.model());
    EXPECT_FALSE(journey.model().verifyResult().has_value());
    EXPECT_FALSE(journey.model().npsResolved());
}

// The same Mac where the user cancels the Command Line Tools install and the shell files
// cannot be written: each stage stays until skipped, verification fails and shows what the
// verifier printed; "Not quite", then Done without a score.
TEST(SetupJourney, ACancelledAndAFailedInstallLeadToAFailedVerification) {
    RecordedTelemetry telemetry;
    Journey journey(std::chrono::milliseconds(100)); // slow enough to cancel
    const auto fs = journey.demo().fs();
    fs->createFolder("/Users/dev/.zshrc"); // a folder where the file should be
    journey.openWindow("journey-failures");
    journey.startSetup();
    journey.press("diagnosis-continue");

    ASSERT_TRUE(journey.restsOn(Kind::stage));
    // "‹ Back" pressed through the accessibility tree while the install runs: it says it is
    // disabled and does nothing, and the navigation itself refuses to leave.
    journey.press("stage-fix-clt");
    QPointer<QDialog> sheet;
    ASSERT_TRUE(spinUntil(
        [&] { return (sheet = journey.window()->findChild<QDialog*>("setup-action-sheet")); }));
    auto* back = findVisible<QPushButton>(journey.window(), "navigation-back");
    ASSERT_NE(back, nullptr);
    QAccessibleInterface* backFace = QAccessible::queryAccessibleInterface(back);
    EXPECT_TRUE(backFace->state().disabled);
    backFace->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    auto& navigation = static_cast<TOVRRootView*>(journey.window())->navigation();
    navigation.setPath({});
    EXPECT_TRUE(spinUntil([&] { return !back->isDown(); }, 2000));
    settle();
    EXPECT_EQ(navigation.path(), QList<Screen>{Screen::setupWorkflow()});
    ASSERT_TRUE(sheet && findVisible(sheet, "setup-action-cancel")) << "the install runs on";
    clickButton(sheet, "setup-action-cancel");
    ASSERT_TRUE(journey.restsOn(Kind::stage));
    EXPECT_EQ(journey.stage(), "clt"); // canceled: the stage stays
    journey.skip();
    ASSERT_TRUE(journey.restsOn(Kind::stage));
    ASSERT_EQ(journey.stage(), "shell-config");
    journey.installFix("shell-config");
    ASSERT_TRUE(journey.restsOn(Kind::stage));
    EXPECT_EQ(journey.stage(), "shell-config"); // failed: the stage stays
    journey.shoot("failed-stage");
    while (journey.restsOn(Kind::stage))
        journey.skip();
    EXPECT_EQ(journey.stages, (QStringList{"clt", "shell-config", "homebrew", "warp"}));

    ASSERT_EQ(journey.model().step().kind, Kind::outcome);
    EXPECT_EQ(shownHeading(journey.window()), journey.model().plugins().spineCopy->notReadyTitle());
    auto* output = findVisible<QLabel>(journey.window(), "outcome-verify-output");
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->text(), journey.model().verifyResult()->rawOutput);
    EXPECT_EQ(findVisible(journey.window(), "outcome-checklist"), nullptr);
    journey.shoot("outcome");
    journey.press("outcome-blocked");
    ASSERT_TRUE(journey.restsOn(Kind::nps));
    journey.press("nps-done");
    EXPECT_TRUE(
        spinUntil([&] { return findVisible(journey.window(), "welcome-diagnose-button"); }));

    EXPECT_FALSE(fs->fileExists("/Library/Developer/CommandLineTools"));
    bool isFolder = false;
    EXPECT_TRUE(fs->fileExists("/Users/dev/.zshrc", &isFolder) && isFolder);
    EXPECT_FALSE(fs->fileExists("/Users/dev/.zshrc.bak"));
    EXPECT_EQ(telemetry.count("remediation_applied"), 2);
    EXPECT_EQ(telemetry.count("remediation_completed"), 0);
    EXPECT_EQ(telemetry.count("remediation_failed"), 1);
    EXPECT_EQ(telemetry.count("verify_failed"), 1);
    const auto reported = telemetry.withName("outcome_reported");
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0].value("self_report").toString(), "not_resolved");
    EXPECT_EQ(telemetry.count("nps_dismissed"), 1);
    EXPECT_EQ(telemetry.count("nps_submitted"), 0);
}

// A Mac already set up, whose user gave a score in an earlier run: the summary leads
// straight to verification, and "Yes, all set" straight back to the welcome screen.
TEST(SetupJourney, ASetUpMacGoesFromTheSummaryToVerificationAndEndsWithoutAScore) {
    Journey journey;
    // The Mac as a developer leaves it: what the primary stages install, there already.
    for (const auto& fix :
         {SetupRemediation::installCommandLineTools(), SetupRemediation::installHomebrew(),
          SetupRemediation::configureShell(), SetupRemediation::installWarp()}) {
        // A runner made for each finds Homebrew once it is installed.
        const SetupRemediationRunner runner =
            SetupRemediationRunner::live(journey.demo().services());
        auto events = runner.run(fix, fix.title());
        while (events.next()) {
        }
    }
    journey.demo().userDefaults()->set(QVariant(true),
                                       cliProduct().userDefaultsPrefix + ".nps_submitted");
    RecordedTelemetry telemetry;
    journey.openWindow("journey-set-up-mac");
    journey.startSetup();
    journey.press("diagnosis-continue");

    ASSERT_TRUE(journey.restsOn(Kind::keepGoingGate));
    EXPECT_TRUE(journey.stages.isEmpty());
    journey.press("finish-here");
    ASSERT_TRUE(journey.restsOn(Kind::outcome));
    ASSERT_TRUE(spinUntil([&] { return !journey.model().outcomeAudit().isEmpty(); }));
    journey.shoot("outcome");
    journey.press("outcome-resolved");
    EXPECT_TRUE(
        spinUntil([&] { return findVisible(journey.window(), "welcome-diagnose-button"); }));
    auto* root = static_cast<TOVRRootView*>(journey.window());
    EXPECT_TRUE(root->navigation().path().isEmpty());

    QStringList names = telemetry.names();
    names.removeAll("app_launched");
    names.removeAll("network_check");
    names.removeAll("disk_space_check");
    EXPECT_EQ(names, (QStringList{"consent_given", "diagnosis_reached", "verify_passed",
                                  "outcome_reported"}));
}
