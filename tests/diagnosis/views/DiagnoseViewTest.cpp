// The Java diagnosis screen, one journey per road over fixture Macs and scripted fixes.
#include "diagnosis/ScriptedRemediationWorkers.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "diagnosis/views/DiagnoseView.h"
#include "diagnosis/views/JavaVersionChooserView.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "model/ProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using Kind = FixtureMac::Kind;
using Model = DiagnoseViewModel;

const QString kJVM = "/Library/Java/JavaVirtualMachines/";
const QString kVersionScript = "java -version 2>&1";
const QString kJavaHomeScript = "echo __QLM_VERIFY_JAVA_HOME__:$JAVA_HOME";
const QString kJava21 = "openjdk version \"21.0.2\" 2024-01-16 LTS\n"
                        "OpenJDK Runtime Environment Temurin-21.0.2+13 (build 21.0.2+13-LTS)\n"
                        "OpenJDK 64-Bit Server VM Temurin-21.0.2+13 (build 21.0.2+13-LTS, mixed "
                        "mode)\n";
const QString kJava8 = "openjdk version \"1.8.0_402\"\n"
                       "OpenJDK Runtime Environment (Temurin)(build 1.8.0_402-b06)\n"
                       "OpenJDK 64-Bit Server VM (Temurin)(build 25.402-b06, mixed mode)\n";

QString homeOf(const QString& bundle) {
    return kJVM + bundle + "/Contents/Home";
}

// Clicks the visible button that shows `text` (for buttons without an identifier).
void clickText(QWidget* root, const QString& text) {
    QPushButton* found = nullptr;
    const bool ready = spinUntil([&] {
        found = nullptr;
        for (auto* button : root->findChildren<QPushButton*>())
            if (button->isVisible() && button->text() == text)
                found = button;
        return found && !isGuardedAgainstSecondClick(found);
    });
    if (!ready) {
        ADD_FAILURE() << "no visible button " << text.toStdString();
        return;
    }
    QTest::mouseClick(found, Qt::LeftButton);
    settle();
}

AuditContext heuristicAudit(BuildIntentSurface surface) {
    return {AuditEntry::heuristic, CompletionSurface::prompt(surface), std::nullopt};
}

class DiagnoseJourney : public ::testing::Test {
protected:
    // Opens the screen on `kind` after `prepare`; with `fixtureMode` the window's profile of
    // the Mac is diagnosed, otherwise the screen profiles the Mac itself.
    void open(Kind kind, const std::function<void(FixtureMac&)>& prepare, bool fixtureMode) {
        mac = std::make_unique<FixtureMac>(kind);
        if (prepare)
            prepare(*mac);
        auto services = mac->services();
        services.isFixtureMode = fixtureMode;
        services.toolLocations = locations;
        screen = std::make_unique<TestScreenContext>(services, mac->environment());
        screen->context.locations = known;
        if (fixtureMode)
            screen->profile->set(mac->profiler().profile());
        screen->navigation->setPath({Screen::diagnose()});
        homeBefore = homeListing();
        window.resize(760, 720);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        view = new DiagnoseView(screen->context, workers, &window);
        layout->addWidget(view);
        window.show();
        view->startTask();
    }

    // What a fresh login shell answers, after `ms`.
    void shellsAnswer(const QString& version, const QString& javaHome, int ms = 0) {
        mac->runner()->answer(
            "/bin/zsh", {"-lc", kVersionScript},
            {ProcessResult{0, version, {}}, {}, {}, std::chrono::milliseconds(ms)});
        mac->runner()->answerShell(kJavaHomeScript, "__QLM_VERIFY_JAVA_HOME__:" + javaHome + "\n");
    }

    std::shared_ptr<ToolLocationsSource> locations; // the login shell's, when set before open
    QPointer<ToolLocationsState> known; // the window's knowledge of it, when set before open

    Model* model() const { return view->model(); }
    template <class S> bool on() const { return std::holds_alternative<S>(model()->state()); }
    bool showing(const QString& page) const { return view->currentPage()->objectName() == page; }

    RemediationProgressDialog* sheet() const {
        for (auto* dialog : view->findChildren<RemediationProgressDialog*>())
            if (dialog->isVisible())
                return dialog;
        return nullptr;
    }
    // Waits for the button `name` of the open sheet, then clicks it.
    void clickInSheet(const QString& name, const QString& screenshot = {}) {
        ASSERT_TRUE(spinUntil([&] { return sheet() && findVisible(sheet(), name); }))
            << name.toStdString();
        if (!screenshot.isEmpty())
            saveScreenshot(sheet(), screenshot);
        clickButton(sheet(), name);
    }

    QStringList homeListing() const {
        const QString home = mac->fs()->homeDirectory();
        QStringList names = mac->fs()->contentsOfDirectory(home);
        names.sort();
        return names;
    }
    QString homeFile(const QString& name) const {
        return QString::fromUtf8(mac->fs()->contents(mac->fs()->homeDirectory() + "/" + name));
    }

    ScopedProductConfig java{ProductConfig::javaDiagnosis()};
    RecordedTelemetry telemetry;
    std::shared_ptr<ScriptedRemediationWorkers> workers =
        std::make_shared<ScriptedRemediationWorkers>();
    std::unique_ptr<FixtureMac> mac;
    std::unique_ptr<TestScreenContext> screen;
    QStringList homeBefore;
    QWidget window;
    DiagnoseView* view = nullptr;
};

} // namespace

TEST_F(DiagnoseJourney, NoJavaChoose21InstallVerifyAndOnToTheAudit) {
    open(Kind::newAppleSilicon, nullptr, false);
    ASSERT_TRUE(showing("diagnose-probing"));
    saveScreenshot(&window, "diagnose-probing");
    ASSERT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    settle();
    saveScreenshot(&window, "diagnose-d1-no-jdk");

    QRadioButton* row21 = nullptr;
    ASSERT_TRUE(spinUntil([&] {
        row21 = findVisible<QRadioButton>(view, JavaVersionChooserView::rowIdentifier("d1", 21));
        return row21 && !isGuardedAgainstSecondClick(row21);
    }));
    QTest::mouseClick(row21, Qt::LeftButton);
    ASSERT_EQ(findVisible<QPushButton>(view, "diagnosis-d1-install-chosen")->text(),
              "Install Java 21");
    shellsAnswer(kJava21, homeOf("temurin-21.jdk"), 300);
    clickButton(view, "diagnosis-d1-install-chosen");
    ASSERT_TRUE(on<Model::Remediating>());
    clickInSheet("remediation-continue", "diagnose-d1-install-sheet");

    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-verifying"); }));
    saveScreenshot(&window, "diagnose-verifying");
    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-verified"); }));
    settle();
    saveScreenshot(&window, "diagnose-d1-verified");
    EXPECT_TRUE(findVisible(view, "verify-result-pass"));
    EXPECT_FALSE(findVisible(view, "verify-legacy-warning"));

    clickButton(view, "continue-to-audit");
    EXPECT_EQ(screen->navigation->path(),
              (QList<Screen>{Screen::diagnose(),
                             Screen::audit(heuristicAudit(BuildIntentSurface::postFix))}));

    EXPECT_EQ(telemetry.names(),
              (QStringList{"diagnosis_reached", "chooser_shown", "remediation_applied",
                           "remediation_completed", "verify_passed"}));
    EXPECT_EQ(telemetry.withName("chooser_shown")[0],
              (QJsonObject{{"screen", "d1"}, {"default_offered", 25}}));
    EXPECT_EQ(telemetry.withName("remediation_applied")[0]["remediation_id"],
              telemetryRemediationID(Remediation::installViaPKG(21)));
    EXPECT_EQ(telemetry.withName("verify_passed")[0]["java_major_version"], 21);
    EXPECT_EQ(workers->callNames(), QStringList{"installPKG"});
    EXPECT_EQ(homeListing(), homeBefore); // the package writes nothing in the home folder
}

// With zsh's start-up files moved by the user's ZDOTDIR.
TEST_F(DiagnoseJourney, ModernJavaWithoutJavaHomeReviewApplyAndVerify) {
    const QString zprofile = "export PATH=\"$HOME/bin:$PATH\"\n";
    locations = ToolLocationsSource::fixed({{{"ZDOTDIR", "/Users/dev/zsh"}}});
    ToolLocationsState windowKnows;
    known = &windowKnows;
    open(
        Kind::newAppleSilicon,
        [&](FixtureMac& m) {
            m.installJDK("temurin-21.jdk");
            m.fs()->createFile(m.fs()->homeDirectory() + "/zsh/.zprofile", zprofile.toUtf8());
        },
        true);
    ASSERT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    settle();
    saveScreenshot(&window, "diagnose-d2-home-unset");
    shellsAnswer(kJava21, homeOf("temurin-21.jdk"));
    // The button follows what the window knows, not the read behind it, and changes in place.
    auto* button = findVisible<QPushButton>(view, "remediation-primary-button");
    EXPECT_EQ(button->text(), "Set JAVA_HOME in ~/.zprofile (recommended)");
    windowKnows.set(locations->get());
    EXPECT_EQ(button->text(), "Set JAVA_HOME in ~/zsh/.zprofile (recommended)");
    clickButton(view, "remediation-primary-button");
    ASSERT_EQ(model()->sheetRemediation(),
              Remediation::writeJavaHomeToZprofile(homeOf("temurin-21.jdk")));
    clickInSheet("zprofile-apply", "diagnose-d2-zprofile-review");
    clickInSheet("zprofile-continue");

    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-verified"); }));
    settle();
    saveScreenshot(&window, "diagnose-d2-verified");
    EXPECT_TRUE(findVisible(view, "verify-result-pass"));
    clickButton(view, "continue-to-audit");
    EXPECT_EQ(screen->navigation->path().last(),
              Screen::audit(heuristicAudit(BuildIntentSurface::postFix)));

    EXPECT_EQ(telemetry.names(), (QStringList{"diagnosis_reached", "remediation_applied",
                                              "remediation_completed", "verify_passed"}));
    EXPECT_TRUE(homeFile("zsh/.zprofile").startsWith(zprofile));
    EXPECT_TRUE(homeFile("zsh/.zprofile").contains("export JAVA_HOME=$(/usr/libexec/java_home)\n"));
    EXPECT_EQ(homeFile("zsh/.zprofile.bak"), zprofile);
    EXPECT_FALSE(mac->fs()->fileExists("/Users/dev/.zprofile"));
}

TEST_F(DiagnoseJourney, LegacyJavaOnlyKeepItAndVerify) {
    open(
        Kind::newAppleSilicon, [](FixtureMac& m) { m.installJDK("temurin-8.jdk"); }, true);
    ASSERT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    settle();
    saveScreenshot(&window, "diagnose-d3-legacy-only");
    shellsAnswer(kJava8, homeOf("temurin-8.jdk"));
    clickButton(view, "diagnosis-d3-keep-legacy");
    ASSERT_EQ(model()->sheetRemediation(),
              Remediation::keepCurrentLegacyJava(homeOf("temurin-8.jdk")));
    clickInSheet("zprofile-apply", "diagnose-d3-zprofile-review");
    clickInSheet("zprofile-continue");

    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-verified"); }));
    settle();
    saveScreenshot(&window, "diagnose-d3-verified");
    auto* warning = findVisible<QLabel>(view, "verify-legacy-warning");
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text(),
              "JAVA_HOME is now set, but Java 8 cannot run software that requires a newer Java.");
    clickButton(view, "continue-to-audit");
    EXPECT_EQ(screen->navigation->path().last(),
              Screen::audit(heuristicAudit(BuildIntentSurface::postFix)));

    EXPECT_EQ(telemetry.names(),
              (QStringList{"diagnosis_reached", "chooser_shown", "remediation_applied",
                           "remediation_completed", "verify_passed_with_legacy"}));
    EXPECT_EQ(telemetry.withName("chooser_shown")[0]["screen"], "d3");
    const auto legacy = telemetry.withName("verify_passed_with_legacy")[0];
    EXPECT_EQ(legacy["java_major_version"], 8);
    EXPECT_EQ(legacy["chosen_path"], homeOf("temurin-8.jdk"));
    EXPECT_TRUE(homeFile(".zprofile").contains("export JAVA_HOME=$(/usr/libexec/java_home)\n"));
    QStringList written = homeBefore + QStringList{".zprofile", ".zprofile.bak"};
    written.sort();
    EXPECT_EQ(homeListing(), written);
    EXPECT_EQ(homeFile(".zprofile.bak"), "");
}

TEST_F(DiagnoseJourney, AFailedFixAndAFailedVerificationEachLeadBackToTheDiagnosis) {
    open(Kind::developerAppleSilicon, nullptr, true);
    ASSERT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    settle();
    saveScreenshot(&window, "diagnose-d2-sdkman");
    const QString zshrc = homeFile(".zshrc");
    const QString zprofile = homeFile(".zprofile");

    // The fix fails: the error, and Back.
    workers->script("runSDKMAN", {{StreamEvent::output("Stop! java 21.0.2-tem is not installed."),
                                   StreamEvent::completed(1)}});
    clickButton(view, "remediation-primary-button");
    ASSERT_EQ(model()->sheetRemediation(), Remediation::setJavaHomeViaSDKMAN("21.0.2-tem"));
    clickInSheet("remediation-close", "diagnose-sdkman-failed-sheet");
    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-error"); }));
    settle();
    saveScreenshot(&window, "diagnose-error");
    clickText(view, "Back");
    ASSERT_TRUE(on<Model::Diagnosed>());

    // The fix runs, but a fresh shell still has no JAVA_HOME: the failure, its article, Back.
    workers->script("runSDKMAN", {{StreamEvent::output("Default java version set to 21.0.2-tem"),
                                   StreamEvent::completed(0)}});
    shellsAnswer(kJava21, QString());
    settle();
    clickButton(view, "remediation-primary-button");
    clickInSheet("remediation-continue");
    ASSERT_TRUE(spinUntil([&] { return showing("diagnose-verified"); }));
    settle();
    saveScreenshot(&window, "diagnose-verify-failed");
    EXPECT_TRUE(findVisible(view, "verify-result-fail"));
    EXPECT_FALSE(findVisible(view, "continue-to-audit"));
    clickText(view, "Open the article");
    EXPECT_EQ(screen->urlOpener->opened,
              QList<QUrl>{ProductConfig::current().urls.troubleshooting});
    ASSERT_TRUE(on<Model::Verified>());
    clickText(view, "Back");
    EXPECT_EQ(model()->state(),
              Model::State(Model::Diagnosed{*model()->lastDiagnosis(), std::nullopt,
                                            Remediation::setJavaHomeViaSDKMAN("21.0.2-tem")}));

    EXPECT_EQ(telemetry.names(),
              (QStringList{"diagnosis_reached", "remediation_applied", "remediation_failed",
                           "remediation_applied", "remediation_completed", "verify_failed"}));
    EXPECT_EQ(telemetry.withName("verify_failed")[0]["exit_code"], 0);
    EXPECT_EQ(workers->callNames(), (QStringList{"runSDKMAN", "runSDKMAN"}));
    EXPECT_EQ(homeListing(), homeBefore);
    EXPECT_EQ(homeFile(".zshrc"), zshrc);
    EXPECT_EQ(homeFile(".zprofile"), zprofile);
    EXPECT_TRUE(screen->navigation->path() == QList<Screen>{Screen::diagnose()});
}

TEST_F(DiagnoseJourney, TheSheetsCloseBoxDoesNothingAndASheetThatGoesAwayCountsAsCanceled) {
    open(Kind::newAppleSilicon, nullptr, true);
    ASSERT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    clickButton(view, "diagnosis-d1-install-chosen");
    ASSERT_TRUE(spinUntil([&] { return sheet() != nullptr; }));
    QPointer<RemediationProgressDialog> dialog = sheet();
    dialog->close(); // Esc is the sheet's Cancel, tested with the sheet

    settle();
    EXPECT_TRUE(dialog && dialog->isVisible());
    EXPECT_TRUE(on<Model::Remediating>());

    delete dialog.data();
    EXPECT_TRUE(spinUntil([&] { return on<Model::Diagnosed>(); }));
    EXPECT_TRUE(showing("diagnose-detail-page"));
    // The diagnosis is shown anew: its chooser counts as shown again.
    EXPECT_EQ(telemetry.count("chooser_shown"), 2);
}
