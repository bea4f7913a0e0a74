// The Java diagnosis screen's own decisions, on its headless model over fixture Macs.
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "diagnosis/DiagnoseViewModel.h"
#include "model/ProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using Model = DiagnoseViewModel;

template <class S> bool in(const Model& model) {
    return std::holds_alternative<S>(model.state());
}

const QString kVersion21 = "openjdk version \"21.0.2\" 2024-01-16 LTS\n"
                           "OpenJDK Runtime Environment Temurin-21.0.2+13 (build 21.0.2+13-LTS)\n";

// A new Mac without Java whose profiler answers after `profileDelay`; its login shells
// report Java 21 without JAVA_HOME, as after an installer package.
class DiagnoseScreen : public ::testing::Test {
protected:
    DiagnoseScreen() {
        mac.runner()->answerShell("java -version 2>&1", kVersion21);
        mac.runner()->answerShell("echo __QLM_VERIFY_JAVA_HOME__:$JAVA_HOME",
                                  "__QLM_VERIFY_JAVA_HOME__:\n");
        screen.navigation->setPath({Screen::diagnose()});
    }

    // The profiler's first command answers late.
    void slowProfiler(int ms) {
        mac.runner()->answer(
            "/usr/bin/uname", {"-m"},
            {ProcessResult{0, "arm64\n", {}}, {}, {}, std::chrono::milliseconds(ms)});
    }
    int profiles() const {
        int count = 0;
        for (const auto& call : mac.runner()->calls())
            count += call.executable == "/usr/bin/uname";
        return count;
    }

    // Diagnosed with no Java, Java 21 installed, verified without JAVA_HOME.
    std::unique_ptr<Model> verifiedWithoutJavaHome() {
        screen.profile->set(mac.profiler().profile());
        auto model = std::make_unique<Model>(screen.context);
        model->rediagnose();
        EXPECT_TRUE(in<Model::Diagnosed>(*model));
        model->installChosenJava(21);
        EXPECT_EQ(model->sheetRemediation(), Remediation::installViaPKG(21));
        mac.installJDK("temurin-21.jdk");
        model->handleRemediationFinished(RemediationOutcome::success("Temurin installed."));
        EXPECT_TRUE(spinUntil([&] { return in<Model::Verified>(*model); }));
        return model;
    }

    ScopedProductConfig java{ProductConfig::javaDiagnosis()};
    RecordedTelemetry telemetry;
    FixtureMac mac{FixtureMac::Kind::newAppleSilicon};
    TestScreenContext screen{mac.services(), mac.environment()};
};

} // namespace

TEST_F(DiagnoseScreen, TheSheetsOutcomeActsOnceAndOnlyWhileItIsOpen) {
    screen.profile->set(mac.profiler().profile());
    Model model(screen.context);
    model.rediagnose();
    ASSERT_TRUE(in<Model::Diagnosed>(model));
    const Model::State diagnosed = model.state();

    model.handleRemediationFinished(RemediationOutcome::failure("no sheet is open"));
    EXPECT_EQ(model.state(), diagnosed);

    model.installChosenJava(21);
    model.installChosenJava(17); // a second press finds the sheet open
    EXPECT_EQ(model.state(), Model::State(Model::Remediating{Remediation::installViaPKG(21)}));
    model.handleRemediationFinished(RemediationOutcome::canceled());
    model.handleRemediationFinished(RemediationOutcome::failure("late"));
    // Back on the diagnosis, with the chosen install remembered as its D1 fix.
    EXPECT_EQ(model.state(),
              Model::State(Model::Diagnosed{Diagnosis::D1_NoJDK(), Remediation::installViaPKG(21),
                                            std::nullopt}));
    EXPECT_FALSE(model.sheetRemediation());
    EXPECT_EQ(telemetry.count("remediation_applied"), 1);
}

TEST_F(DiagnoseScreen, TheFollowUpProfilesOnceAndOpensOneSheetForTheFirstJDK) {
    auto model = verifiedWithoutJavaHome();
    const auto offered = telemetry.withName("verify_offered_followup");
    ASSERT_EQ(offered.size(), 1);
    EXPECT_EQ(offered[0], (QJsonObject{{"first_remediation_id",
                                        telemetryRemediationID(Remediation::installViaPKG(21))}}));
    slowProfiler(150);
    const int before = profiles();
    model->startJavaHomeFollowUp();
    model->startJavaHomeFollowUp();
    EXPECT_TRUE(model->isFollowUpRunning());
    ASSERT_TRUE(spinUntil([&] { return in<Model::Remediating>(*model); }));
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(profiles(), before + 1);
    const JDKInfo first = model->freshProfile()->javaState.installedJDKs.first();
    EXPECT_EQ(model->sheetRemediation(), Remediation::writeJavaHomeToZprofile(first.path));
    EXPECT_EQ(model->lastDiagnosis(), Diagnosis::D2_HomeUnset(first));
    EXPECT_EQ(model->lastD2Remediation(), model->sheetRemediation());
    EXPECT_EQ(telemetry.count("remediation_applied"), 2);
}

TEST_F(DiagnoseScreen, TheFollowUpIsOfferedAgainEachTimeTheUserComesBackToIt) {
    auto model = verifiedWithoutJavaHome();
    const auto here = screen.navigation->path();
    model->continueFlow();
    ASSERT_NE(screen.navigation->path(), here);
    screen.navigation->setPath(here);    // back from the next screen
    Q_EMIT screen.navigation->changed(); // a change that shows nothing anew
    EXPECT_TRUE(spinUntil([&] { return telemetry.count("verify_offered_followup") == 2; }));
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(telemetry.count("verify_offered_followup"), 2);
}

TEST_F(DiagnoseScreen, TheFollowUpsProfileIsDroppedWhenTheUserWentBack) {
    auto model = verifiedWithoutJavaHome();
    slowProfiler(150);
    model->startJavaHomeFollowUp();
    model->returnToDiagnosis();
    ASSERT_TRUE(settleWorkers());
    EXPECT_EQ(model->state(),
              Model::State(Model::Diagnosed{Diagnosis::D1_NoJDK(), Remediation::installViaPKG(21),
                                            std::nullopt}));
    EXPECT_FALSE(model->sheetRemediation());
    EXPECT_FALSE(model->isFollowUpRunning());
    EXPECT_EQ(telemetry.count("remediation_applied"), 1);
}

TEST_F(DiagnoseScreen, TheFollowUpsProfileIsDroppedWhenTheUserWentOn) {
    auto model = verifiedWithoutJavaHome();
    slowProfiler(150);
    model->startJavaHomeFollowUp();
    model->continueFlow();
    model->continueFlow(); // a second press finds the audit on top and adds nothing
    ASSERT_TRUE(settleWorkers());
    EXPECT_TRUE(in<Model::Verified>(*model));
    EXPECT_FALSE(model->sheetRemediation());
    EXPECT_FALSE(model->isFollowUpRunning());
    EXPECT_EQ(telemetry.count("remediation_applied"), 1);
    EXPECT_EQ(screen.navigation->path(),
              (QList<Screen>{Screen::diagnose(),
                             Screen::audit({AuditEntry::heuristic,
                                            CompletionSurface::prompt(BuildIntentSurface::postFix),
                                            std::nullopt})}));
}

TEST_F(DiagnoseScreen, APoppedScreenDropsItsLateResults) {
    // A profile that comes back after Back: no diagnosis, no event.
    auto services = mac.services();
    services.isFixtureMode = false;
    TestScreenContext live(services, mac.environment());
    live.navigation->setPath({Screen::diagnose()});
    slowProfiler(150);
    Model probing(live.context);
    probing.rediagnose();
    live.navigation->setPath({});
    EXPECT_FALSE(probing.isOnPath());
    ASSERT_TRUE(settleWorkers());
    EXPECT_TRUE(in<Model::Probing>(probing));
    EXPECT_FALSE(probing.freshProfile());

    // A verification that ends after Back, and an outcome that comes after it.
    screen.profile->set(mac.profiler().profile());
    Model verifying(screen.context);
    verifying.rediagnose();
    verifying.installChosenJava(21);
    mac.runner()->answer(
        "/bin/zsh", {"-lc", "java -version 2>&1"},
        {ProcessResult{0, kVersion21, {}}, {}, {}, std::chrono::milliseconds(150)});
    verifying.handleRemediationFinished(RemediationOutcome::success("Temurin installed."));
    ASSERT_TRUE(in<Model::Verifying>(verifying));
    screen.navigation->setPath({});
    ASSERT_TRUE(settleWorkers());
    EXPECT_TRUE(in<Model::Verifying>(verifying));
    verifying.recordVerifyResult({kVersion21, 0, std::nullopt});
    EXPECT_TRUE(in<Model::Verifying>(verifying));

    EXPECT_EQ(telemetry.names(),
              (QStringList{"diagnosis_reached", "remediation_applied"})); // the second model's
}

TEST_F(DiagnoseScreen, ContinueAddsOneDestinationChosenByTheDiagnosis) {
    Model model(screen.context);
    const JDKInfo java21{"21.0.2", "Eclipse Adoptium", "arm64",
                         "/Library/Java/x.jdk/Contents/Home"};
    model.setState(Model::Diagnosed{Diagnosis::D4_ModernHomeSet(java21), {}, {}});
    model.continueFlow();
    model.continueFlow();
    EXPECT_EQ(
        screen.navigation->path(),
        (QList<Screen>{Screen::diagnose(),
                       Screen::audit({AuditEntry::heuristic,
                                      CompletionSurface::prompt(BuildIntentSurface::modernHomeSet),
                                      std::nullopt})}));

    // Back on this screen in a product with the next-step question: that question, whatever
    // the diagnosis.
    ProductConfig withNextStep = ProductConfig::javaDiagnosis();
    withNextStep.nextStepPrompt = NextStepPrompt{"What next?", "", "tovr", {}};
    ScopedProductConfig nextStep(withNextStep);
    screen.navigation->setPath({Screen::diagnose()});
    model.setState(Model::Diagnosed{Diagnosis::unknown("odd"), {}, {}});
    model.continueFlow();
    EXPECT_EQ(screen.navigation->path(), (QList<Screen>{Screen::diagnose(), Screen::nextStep()}));
}

TEST(DiagnoseVerifyResult, JudgesTheResultByTheKindOfFix) {
    using Outcome = Model::VerifyOutcome;
    const auto pkg = Remediation::installViaPKG(21);
    const auto zprofile = Remediation::writeJavaHomeToZprofile("/Library/Java/x.jdk/Contents/Home");
    const auto legacy = Remediation::keepCurrentLegacyJava("/Library/Java/y.jdk/Contents/Home");
    const Verifier::Result capitalV{"Java Version 21", 0, "/jdk"};
    const Verifier::Result noHome{"openjdk version \"21\"", 0, std::nullopt};
    const Verifier::Result exitOne{"openjdk version \"21\"", 1, "/jdk"};
    EXPECT_EQ(Model::verifyOutcome(pkg, capitalV), Outcome::passed);
    EXPECT_EQ(Model::verifyOutcome(pkg, noHome), Outcome::passedNeedsJavaHome);
    EXPECT_EQ(Model::verifyOutcome(zprofile, noHome), Outcome::failed);
    EXPECT_EQ(Model::verifyOutcome(zprofile, exitOne), Outcome::failed);
    EXPECT_EQ(Model::verifyTitle(zprofile, Outcome::failed), "Java configuration incomplete");
    EXPECT_EQ(Model::verifyTitle(pkg, Outcome::passedNeedsJavaHome), "Java installed");

    const Verifier::Result java8{"openjdk version \"1.8.0_402\"", 0, "/jdk8"};
    EXPECT_EQ(Model::legacyWarning(legacy, java8),
              "JAVA_HOME is now set, but Java 8 cannot run software that requires a newer Java.");
    EXPECT_EQ(Model::legacyWarning(legacy, {"some version", 0, "/jdk8"}),
              "JAVA_HOME is now set, but Java this old version cannot run software that requires "
              "a newer Java.");
    EXPECT_FALSE(Model::legacyWarning(legacy, {"openjdk version \"1.8.0_402\"", 0, ""}));
    EXPECT_FALSE(Model::legacyWarning(zprofile, java8));
}
