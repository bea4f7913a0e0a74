#include "model/ProductConfig.h"
#include "products/StepListExpectations.h"
#include "products/brew/BrewProber.h"
#include "products/brew/BrewProductConfig.h"
#include "products/brew/BrewSpineCopy.h"
#include "products/brew/BrewSpineProvider.h"
#include "products/brew/BrewVerifier.h"
#include "products/brew/HomebrewInstallState.h"
#include "products/cli/CliProductConfig.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using C = SetupDiagnosisClassification;
constexpr auto P = DomainPlacement::primary;
constexpr auto O = DomainPlacement::optional;

QList<WorkflowStep> brewWorkflow(const FixtureMac& mac) {
    const ScopedProductConfig product(brewProduct());
    const auto& config = brewProduct();
    const auto profile = mac.profiler().profile();
    const auto probes = config.prober->probe(ShellRunner{mac.runner()}, mac.fs());
    return *config.spineProvider->spine(std::nullopt, profile, probes);
}

SetupDiagnosis fromHomebrewStatus(const HomebrewStatusCopy& status) {
    return {status.headline, status.detail, status.needsAction ? C::fixable : C::ready};
}

SetupVerificationResult verifyBrew(const std::shared_ptr<FakeProcessRunner>& runner) {
    return BrewVerifier().verify(std::nullopt, ShellRunner{runner}, nullptr);
}

} // namespace

TEST(BrewWorkflow, NewAppleSiliconMacNeedsEverything) {
    expectWorkflow(brewWorkflow(FixtureMac(FixtureMac::Kind::newAppleSilicon)),
                   {{"clt", P, C::fixable, {"clt"}},
                    {"homebrew", P, C::fixable, {"homebrew"}},
                    {"warp", P, C::fixable, {"brew:warp"}},
                    {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                    {"codex", O, C::fixable, {"brew:codex", "brew:chatgpt"}},
                    {"project", O, C::fixable, {"example:simple"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                    {"shell-config", O, C::fixable, {"shell-config"}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(BrewWorkflow, IntelMacHasTwelveStepsWithoutCodex) {
    expectWorkflow(brewWorkflow(FixtureMac(FixtureMac::Kind::intelWithThreeJDKs)),
                   {{"clt", P, C::ready, {}},
                    {"homebrew", P, C::ready, {}},
                    {"warp", P, C::fixable, {"brew:warp"}},
                    {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                    {"project", O, C::fixable, {"example:simple", "example:coding"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::ready, {}},
                    {"shell-config", O, C::fixable, {"shell-config"}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(BrewWorkflow, DeveloperMacHasOnlyTheAlwaysOpenStagesLeft) {
    expectWorkflow(brewWorkflow(FixtureMac(FixtureMac::Kind::developerAppleSilicon)),
                   {{"clt", P, C::ready, {}},
                    {"homebrew", P, C::ready, {}},
                    {"warp", P, C::ready, {}},
                    {"ai-claude", O, C::ready, {}},
                    {"codex", O, C::ready, {}},
                    {"project", O, C::fixable, {"example:simple", "example:coding"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::ready, {}},
                    {"shell-config", O, C::ready, {}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(BrewWorkflow, IntelHomebrewOnAppleSiliconIsReplacedNotRepaired) {
    const auto steps = brewWorkflow(FixtureMac(FixtureMac::Kind::broken));
    expectWorkflow(steps, {{"clt", P, C::fixable, {"clt"}},
                           {"homebrew", P, C::fixable, {"homebrew"}},
                           {"warp", P, C::fixable, {"brew:warp"}},
                           {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                           {"codex", O, C::fixable, {"brew:codex", "brew:chatgpt"}},
                           {"project", O, C::fixable, {"example:simple", "example:coding"}},
                           {"skills", O, C::fixable, {}},
                           {"mcp", O, C::fixable, {}},
                           {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                           {"shell-config", O, C::fixable, {"shell-config"}},
                           {"languages", O, C::fixable, {}},
                           {"agent-docs", O, C::ready, {}},
                           {"git", O, C::fixable, {}}});
    const auto homebrew = steps[1].stage->diagnosis();
    const BrewSpineCopy copy;
    EXPECT_EQ(copy.screenCopy("homebrew", homebrew)->headline,
              "Homebrew is installed for the wrong chip");
    EXPECT_EQ(copy.screenCopy("homebrew", homebrew)->body, homebrew.detail);
    EXPECT_EQ(copy.statusText("homebrew", homebrew), "Homebrew: installed for the wrong chip");
}

TEST(BrewWorkflow, ASelectorOrAnUnknownArchitectureChangesTheList) {
    const BrewSpineProvider provider;
    EXPECT_FALSE(provider.spine(QString("claude"), SystemProfile{}, SetupProbeBundle{}));
    SystemProfile unknown;
    unknown.architecture = Architecture::unknown;
    const auto steps = *provider.spine(std::nullopt, unknown, SetupProbeBundle{});
    EXPECT_EQ(steps.size(), 13);
    EXPECT_EQ(steps[4].stage->domainID(), "codex");
    for (const auto& step : steps)
        EXPECT_NE(step.placement, DomainPlacement::offer);
    // An id no table knows keeps its name and stays unjudged.
    EXPECT_EQ(BrewSpineProvider::domainDiagnosis("claude-cli", unknown, {}),
              (SetupDiagnosis{"claude-cli", "", C::unknown}));
    EXPECT_TRUE(provider.remediations("claude-cli", unknown, {}).isEmpty());
}

TEST(BrewSpineCopy, ScreensAndStatusLines) {
    const BrewSpineCopy copy;
    const auto& shared = SharedDomainCopy::standard();
    const SetupDiagnosis notInstalled =
        fromHomebrewStatus(homebrewStatusCopy(shared, HomebrewInstallState::notInstalled));
    const SetupDiagnosis notOnPath =
        fromHomebrewStatus(homebrewStatusCopy(shared, HomebrewInstallState::notOnPath));
    EXPECT_EQ(copy.screenCopy("homebrew", notInstalled),
              (SpineScreenCopy{"Homebrew package manager", "Install Homebrew",
                               "This installs Homebrew, the macOS package manager, and wires it "
                               "onto your PATH.",
                               std::nullopt}));
    EXPECT_EQ(copy.screenCopy("homebrew", std::nullopt)->headline, "Install Homebrew");
    EXPECT_EQ(copy.screenCopy("homebrew", notOnPath)->headline, notOnPath.headline);
    EXPECT_EQ(copy.screenCopy("homebrew", notOnPath)->body, notOnPath.detail);
    EXPECT_EQ(copy.statusText("homebrew", notOnPath), "Homebrew: installed, not on PATH");
    EXPECT_TRUE(copy.screenCopy("clt", std::nullopt)->body.contains("basic programs Homebrew"));
    EXPECT_FALSE(copy.screenCopy("shell-config", std::nullopt));

    EXPECT_EQ(copy.statusText("editor", {"x", "", C::fixable}), "editor: not installed");
    EXPECT_EQ(copy.statusText("clt", {"x", "", C::ready}), "Command Line Tools: installed");
    // Only the command-line product names these two.
    EXPECT_EQ(copy.statusText("git", {"x", "", C::blocked}), "git: needs attention");
    EXPECT_EQ(copy.statusText("shell-config", {"x", "", C::unknown}), "shell-config: unknown");
    EXPECT_EQ(copy.verifyingTitle(), QString::fromUtf8("Verifying Homebrew…"));
    EXPECT_EQ(copy.workspacePrompt(), "Choose a folder to work in");
}

TEST(BrewVerifier, VerdictsFromTheLoginShell) {
    {
        const FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
        EXPECT_EQ(
            verifyBrew(mac.runner()),
            SetupVerificationResult("Homebrew 4.2.9\n", true, 0, QString("likely_resolved"),
                                    {QString::fromUtf8("Homebrew installed — version 4.2.9")}));
    }
    {
        // A warning first: still installed, but no version to report.
        const FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
        const QString output = "Warning: Homebrew is not in a supported configuration.\n"
                               "Homebrew 4.4.6\n";
        mac.runner()->answerShell("brew --version 2>&1", output);
        const auto r = verifyBrew(mac.runner());
        EXPECT_TRUE(r.passed);
        EXPECT_EQ(r.rawOutput, output);
        EXPECT_EQ(r.verifiedItems, QStringList{"Homebrew installed"});
    }
    {
        const FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
        EXPECT_EQ(verifyBrew(mac.runner()),
                  SetupVerificationResult("zsh:1: command not found: brew\n", false, 127,
                                          QString("blocked")));
    }
    {
        const FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
        mac.runner()->answerShell("brew --version 2>&1", " \n\n");
        EXPECT_EQ(verifyBrew(mac.runner()),
                  SetupVerificationResult(" \n\n", false, 0, QString("blocked")));
    }
    EXPECT_EQ(verifyBrew(std::make_shared<FakeProcessRunner>()),
              SetupVerificationResult("", false, -1, QString("blocked")));
}

TEST(BrewProductConfig, ValuesAReaderChecks) {
    const auto& brew = brewProduct();
    EXPECT_EQ(brew.appID, "tovr-brew");
    EXPECT_EQ(brew.userDefaultsPrefix, "app.tovrin.tovr.brew");
    EXPECT_EQ(brew.flow, SetupFlow::setupWorkflow);
    EXPECT_TRUE(brew.spineProvider && brew.verifier && brew.prober && brew.spineCopy &&
                brew.stageCatalog);
    EXPECT_EQ(brew.urls.installMethods.toString(), "https://tovrin.app/articles/homebrew");
    EXPECT_EQ(brew.urls.warpAffiliate.query(),
              "utm_source=lumbrook&utm_medium=app&utm_campaign=lumbrook_20260516"
              "&utm_content=tovr_brew");
    EXPECT_EQ(brew.consent.privacyBullets.size(), 4);

    // The command-line product's policy is this one but for two fields.
    const auto& policy = brew.spinePolicy;
    const auto& cli = cliSpinePolicy();
    EXPECT_EQ(policy.privilegedActionReason, "Set up Homebrew");
    EXPECT_EQ(cli.privilegedActionReason, "Set up the command line");
    EXPECT_FALSE(policy.homebrewIndependentDomains.contains("git"));
    EXPECT_TRUE(cli.homebrewIndependentDomains.contains("git"));
    EXPECT_EQ(policy.stageArticlePaths, cli.stageArticlePaths);
    EXPECT_EQ(policy.specialStages, cli.specialStages);
    EXPECT_EQ(policy.offers, cli.offers);
    EXPECT_EQ(policy.remediationCaptions, cli.remediationCaptions);
    EXPECT_EQ(policy.networkReadiness, cli.networkReadiness);
    EXPECT_FALSE(policy.onStageBlocked);
    EXPECT_FALSE(policy.postPrimaryInterstitial);
}
