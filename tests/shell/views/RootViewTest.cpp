#include "support/FixtureMac.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"
#include "support/TestScreenContext.h"
#include "support/ui/Screenshots.h"
#include "support/ui/WidgetDriver.h"

#include "products/cli/CliProductConfig.h"
#include "shell/RootModel.h"
#include "shell/views/TOVRRootView.h"

#include <QLineEdit>

#include <atomic>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

class RootView : public ::testing::Test {
protected:
    RootView()
        : mac_(FixtureMac::Kind::newAppleSilicon), screens_(servicesOf(mac_), mac_.environment()) {}

    static AppServices servicesOf(const FixtureMac& mac) {
        AppServices services = mac.services();
        services.isFixtureMode = false; // the root profiles the Mac as it would live
        return services;
    }

    std::unique_ptr<TOVRRootView> makeWindow() {
        auto window = std::make_unique<TOVRRootView>(screens_.context);
        window->resize(720, 720);
        window->show();
        // Return reaches the page's default button through a shortcut of the active window.
        EXPECT_TRUE(spinUntil([&] { return window->isActiveWindow(); }));
        return window;
    }
    void giveConsent() { screens_.userDefaults->set(QVariant(true), consentKey()); }

    ScopedProductConfig product_{cliProduct()};
    RecordedTelemetry telemetry_;
    FixtureMac mac_;
    TestScreenContext screens_;
};

} // namespace

TEST_F(RootView, FirstLaunchShowsOnlyConsentAndReturnAcceptsIt) {
    std::atomic<int> reads = 0; // of the login shell: only after consent, then published
    screens_.context.services.toolLocations =
        std::make_shared<ToolLocationsSource>([&](WorkerTask&) {
            ++reads;
            return ToolLocations{{{"ZDOTDIR", "/Users/dev/zsh"}}};
        });
    auto window = makeWindow();
    EXPECT_NE(findVisible(window.get(), "consent-continue"), nullptr);
    EXPECT_EQ(findVisible(window.get(), "welcome-diagnose-button"), nullptr);
    EXPECT_TRUE(mac_.runner()->calls().isEmpty());
    EXPECT_TRUE(telemetry_.names().isEmpty());
    EXPECT_EQ(reads, 0);
    saveScreenshot(window.get(), "shell-consent");

    EXPECT_TRUE(waitOutClickGuard(findVisible(window.get(), "consent-continue")));
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(spinUntil([&] { return findVisible(window.get(), "welcome-diagnose-button"); }));
    EXPECT_EQ(screens_.userDefaults->boolean(consentKey()), true);
    ASSERT_TRUE(spinUntil([&] { return window->context().currentProfile().has_value(); }));
    ASSERT_TRUE(spinUntil([&] { return telemetry_.names().size() == 2; }));
    EXPECT_EQ(telemetry_.names(), (QStringList{"consent_given", "app_launched"}));
    EXPECT_EQ(telemetry_.withName("app_launched").first().value("arch").toString(), "arm64");
    ASSERT_TRUE(spinUntil([&] { return window->context().knownLocations().has_value(); }));
    EXPECT_EQ(window->context().knownLocations()->variable("ZDOTDIR"), "/Users/dev/zsh");
    EXPECT_EQ(reads, 1);
}

TEST_F(RootView, ALaterLaunchWelcomesAtOnceAndReturnOnItsOnlyMainButtonOpensTheSetupWorkflow) {
    giveConsent();
    auto window = makeWindow();
    EXPECT_NE(findVisible(window.get(), "welcome-diagnose-button"), nullptr);
    ASSERT_TRUE(spinUntil([&] { return telemetry_.names() == QStringList{"app_launched"}; }));
    saveScreenshot(window.get(), "shell-welcome");

    EXPECT_TRUE(waitOutClickGuard(findVisible(window.get(), "welcome-diagnose-button")));
    QTest::keyClick(window.get(), Qt::Key_Return);
    settle();
    EXPECT_EQ(window->navigation().path(), QList<Screen>{Screen::setupWorkflow()});
    EXPECT_TRUE(spinUntil([&] { return findVisible(window.get(), "navigation-back"); }));

    // Emptying the path from any depth shows the welcome screen, the profile kept.
    const auto profile = window->context().currentProfile();
    window->navigation().setPath({Screen::setupWorkflow(), Screen::nextStep(), Screen::nextStep()});
    settle();
    window->navigation().setPath({});
    EXPECT_TRUE(spinUntil([&] { return findVisible(window.get(), "welcome-diagnose-button"); }));
    EXPECT_EQ(window->context().currentProfile(), profile);
    EXPECT_EQ(telemetry_.count("app_launched"), 1);
}

TEST_F(RootView, TheJavaProductsWelcomeOpensTheDiagnosisWhichDiagnosesTheMac) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    giveConsent();
    auto window = makeWindow();
    clickButton(window.get(), "welcome-diagnose-button");
    EXPECT_EQ(window->navigation().path(), QList<Screen>{Screen::diagnose()});
    ASSERT_TRUE(spinUntil([&] { return findVisible(window.get(), "diagnose-headline"); }));
    EXPECT_EQ(telemetry_.count("diagnosis_reached"), 1);
}

TEST_F(RootView, TheSecondPressOfADoubleClickOnConsentPressesNothingOnTheWelcomeScreen) {
    const LongDoubleClickInterval slowMachine;
    auto window = makeWindow();
    clickButton(window.get(), "consent-continue");
    auto* welcome = findVisible<QPushButton>(window.get(), "welcome-diagnose-button");
    ASSERT_NE(welcome, nullptr);
    ASSERT_TRUE(isGuardedAgainstSecondClick(welcome));
    QTest::mouseClick(welcome, Qt::LeftButton);
    settle();
    EXPECT_TRUE(window->navigation().path().isEmpty());
}

TEST_F(RootView, TheGoalPromptIgnoresReturnUntilAnOptionIsChosen) {
    ProductConfig product = cliProduct();
    product.goalPrompt = GoalPrompt{"What brings you here?",
                                    "Pick one.",
                                    "welcome",
                                    10,
                                    {{"learn", "Learn to code", std::nullopt},
                                     {"other", "Something else", QString("Tell us more")}}};
    ScopedProductConfig scope(product);
    giveConsent();
    auto window = makeWindow();
    EXPECT_TRUE(waitOutClickGuard(findVisible(window.get(), "goal-option-other")));
    QTest::keyClick(window.get(), Qt::Key_Return);
    settle();
    EXPECT_TRUE(window->navigation().path().isEmpty());

    clickButton(window.get(), "goal-option-other");
    auto* field = findVisible<QLineEdit>(window.get(), "goal-detail-field");
    ASSERT_NE(field, nullptr);
    QTest::keyClicks(field, "  more than ten chars");
    EXPECT_EQ(field->text(), "  more tha");
    saveScreenshot(window.get(), "shell-goal-prompt");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(spinUntil([&] { return !window->navigation().path().isEmpty(); }));
    EXPECT_EQ(window->navigation().selectedGoal(), QString("other"));
    EXPECT_EQ(window->navigation().path(), QList<Screen>{Screen::diagnose()});
    const auto goal = telemetry_.withName("goal_selected");
    ASSERT_EQ(goal.size(), 1);
    EXPECT_EQ(goal.first().value("detail").toString(), "more tha");
}
