#include "model/ProductConfig.h"
#include "platform/DiskReadinessConfig.h"
#include "platform/NetworkReadinessConfig.h"
#include "products/StepListExpectations.h"
#include "products/brew/BrewProber.h"
#include "products/brew/HomebrewInstallState.h"
#include "products/cli/CliProductConfig.h"
#include "products/cli/CliSpineCopy.h"
#include "products/cli/CliSpineProvider.h"
#include "products/cli/CliVerifier.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/ScopedProductConfig.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

using C = SetupDiagnosisClassification;

QList<WorkflowStep> cliWorkflow(const FixtureMac& mac) {
    const ScopedProductConfig product(cliProduct());
    const auto profile = mac.profiler().profile();
    const auto probes = BrewProber().probe(ShellRunner{mac.runner()}, mac.fs());
    return *CliSpineProvider().spine(std::nullopt, profile, probes);
}

constexpr auto P = DomainPlacement::primary;
constexpr auto O = DomainPlacement::optional;

} // namespace

// The whole step list of the command-line product on each fixture Mac, as a reader of the
// Mac's description expects it.
TEST(CliWorkflow, NewAppleSiliconMacNeedsEverything) {
    expectWorkflow(cliWorkflow(FixtureMac(FixtureMac::Kind::newAppleSilicon)),
                   {{"clt", P, C::fixable, {"clt"}},
                    {"shell-config", P, C::fixable, {"shell-config"}},
                    {"homebrew", P, C::fixable, {"homebrew"}},
                    {"warp", P, C::fixable, {"brew:warp"}},
                    {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                    {"codex", O, C::fixable, {"brew:codex", "brew:chatgpt"}},
                    {"project", O, C::fixable, {"example:simple"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(CliWorkflow, IntelMacWithHomebrewHasNoCodexStep) {
    expectWorkflow(cliWorkflow(FixtureMac(FixtureMac::Kind::intelWithThreeJDKs)),
                   {{"clt", P, C::ready, {}},
                    {"shell-config", P, C::fixable, {"shell-config"}},
                    {"homebrew", P, C::ready, {}},
                    {"warp", P, C::fixable, {"brew:warp"}},
                    {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                    {"project", O, C::fixable, {"example:simple", "example:coding"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::ready, {}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(CliWorkflow, DeveloperMacIsMostlyReady) {
    expectWorkflow(cliWorkflow(FixtureMac(FixtureMac::Kind::developerAppleSilicon)),
                   {{"clt", P, C::ready, {}},
                    {"shell-config", P, C::ready, {}},
                    {"homebrew", P, C::ready, {}},
                    {"warp", P, C::ready, {}},
                    {"ai-claude", O, C::ready, {}},
                    {"codex", O, C::ready, {}},
                    {"project", O, C::fixable, {"example:simple", "example:coding"}},
                    {"skills", O, C::fixable, {}},
                    {"mcp", O, C::fixable, {}},
                    {"editor", O, C::ready, {}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(CliWorkflow, BrokenMacGetsANativeHomebrew) {
    const FixtureMac mac(FixtureMac::Kind::broken);
    const auto steps = cliWorkflow(mac);
    expectWorkflow(steps, {{"clt", P, C::fixable, {"clt"}},
                           {"shell-config", P, C::fixable, {"shell-config"}},
                           {"homebrew", P, C::fixable, {"homebrew"}},
                           {"warp", P, C::fixable, {"brew:warp"}},
                           {"ai-claude", O, C::fixable, {"brew:claude", "brew:claude-code@latest"}},
                           {"codex", O, C::fixable, {"brew:codex", "brew:chatgpt"}},
                           {"project", O, C::fixable, {"example:simple", "example:coding"}},
                           {"skills", O, C::fixable, {}},
                           {"mcp", O, C::fixable, {}},
                           {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                           {"languages", O, C::fixable, {}},
                           {"agent-docs", O, C::ready, {}},
                           {"git", O, C::fixable, {}}});
    const auto homebrew = steps[2].stage->diagnosis();
    EXPECT_EQ(homebrew.headline, "Homebrew is installed for the wrong chip");
    const CliSpineCopy copy;
    EXPECT_EQ(copy.screenCopy("homebrew", homebrew)->headline, homebrew.headline);
    EXPECT_EQ(copy.screenCopy("homebrew", homebrew)->body, homebrew.detail);
    EXPECT_EQ(copy.statusText("homebrew", homebrew), "Homebrew: installed for the wrong chip");
}

TEST(CliWorkflow, ASelectorGetsNoStepList) {
    EXPECT_FALSE(CliSpineProvider().spine(QString("claude"), SystemProfile{}, SetupProbeBundle{}));
}

TEST(HomebrewInstallStates, AllFiveStates) {
    auto bundle = [](QStringList installed, QStringList onPath, std::optional<qint32> exit) {
        SetupProbeBundle b;
        b.installedPrimaryToolLocations = installed;
        b.pathVisiblePrimaryTools = onPath;
        b.versionExitCode = exit;
        return b;
    };
    const QString opt = "/opt/homebrew/bin/brew", usr = "/usr/local/bin/brew";
    using S = HomebrewInstallState;
    const struct {
        Architecture arch;
        SetupProbeBundle probes;
        S expected;
    } cases[] = {
        {Architecture::appleSilicon, bundle({opt, usr}, {usr}, 0), S::installedTwice},
        {Architecture::appleSilicon, bundle({usr}, {usr}, 0), S::wrongArchitecture},
        {Architecture::appleSilicon, bundle({usr}, {}, 127), S::wrongArchitecture},
        {Architecture::appleSilicon, bundle({opt, usr}, {}, 127), S::notOnPath},
        {Architecture::intel, bundle({usr}, {usr}, 0), S::ready},
        {Architecture::intel, bundle({opt}, {opt}, 0), S::ready},
        {Architecture::intel, bundle({opt, usr}, {opt}, 0), S::installedTwice},
        {Architecture::unknown, bundle({usr}, {usr}, 0), S::ready},
        {Architecture::unknown, bundle({opt}, {opt}, 127), S::notOnPath},
        {Architecture::appleSilicon, bundle({opt}, {}, 0), S::notOnPath},
        {Architecture::appleSilicon, bundle({opt}, {opt}, std::nullopt), S::notOnPath},
        {Architecture::appleSilicon, bundle({"/opt/homebrew/bin/brew/"}, {opt}, 0),
         S::notInstalled},
        {Architecture::intel, bundle({}, {}, 127), S::notInstalled},
    };
    for (const auto& c : cases)
        EXPECT_EQ(homebrewInstallState(c.arch, c.probes), c.expected)
            << c.probes.installedPrimaryToolLocations.join(",").toStdString();

    const auto& copy = SharedDomainCopy::standard();
    EXPECT_FALSE(homebrewStatusCopy(copy, S::installedTwice).needsAction);
    EXPECT_EQ(homebrewStatusCopy(copy, S::notOnPath).detail,
              "brew is on your Mac but not on your PATH, so your terminal reports \"command not "
              "found\". We'll add it to ~/.zprofile (backed up first) and re-check in a fresh "
              "shell.");
    EXPECT_EQ(homebrewStatusCopy(copy, S::notInstalled).headline, copy.homebrewFixable.headline);
}

TEST(BrewProber, FactsOfTheShellAndTheDisk) {
    FixtureMac mac(FixtureMac::Kind::developerAppleSilicon);
    mac.fs()->createExecutable("/usr/local/bin/brew");
    mac.runner()->answerShell("/usr/bin/which -a brew",
                              "/usr/local/bin/brew  \n\n/opt/homebrew/bin/brew\n");
    mac.runner()->answerShell("brew --version 2>&1", "");
    const auto b = BrewProber().probe(ShellRunner{mac.runner()}, mac.fs());
    EXPECT_EQ(b.installedPrimaryToolLocations,
              (QStringList{"/opt/homebrew/bin/brew", "/usr/local/bin/brew"}));
    EXPECT_EQ(b.pathVisiblePrimaryTools,
              (QStringList{"/usr/local/bin/brew", "/opt/homebrew/bin/brew"}));
    EXPECT_EQ(b.versionOutput, std::nullopt);
    EXPECT_EQ(b.versionExitCode, 0);
    EXPECT_TRUE(b.shellConfigured);
    EXPECT_FALSE(b.agentDocNeeded || b.ghPresent || b.projectExists || b.gitIdentitySet ||
                 b.ghAuthed || b.companionToolPresent);
    // Moved by ZDOTDIR, zsh never reads the configured files in the home folder.
    const ShellRunner moved{mac.runner(), ToolLocationsSource::fixed({{{"ZDOTDIR", "/tmp/zsh"}}})};
    EXPECT_FALSE(BrewProber().probe(moved, mac.fs()).shellConfigured);

    const FixtureMac fresh(FixtureMac::Kind::newAppleSilicon);
    const auto none = BrewProber().probe(ShellRunner{fresh.runner()}, fresh.fs());
    EXPECT_TRUE(none.pathVisiblePrimaryTools.isEmpty());
    EXPECT_EQ(none.versionOutput, "zsh:1: command not found: brew");
    EXPECT_EQ(none.versionExitCode, 127);

    auto noShell = std::make_shared<FakeProcessRunner>(); // nothing can start
    const auto failed = BrewProber().probe(ShellRunner{noShell}, fresh.fs());
    EXPECT_EQ(failed.versionExitCode, -1);
    EXPECT_EQ(failed.versionOutput, std::nullopt);
}

TEST(CliVerifier, VerdictsFromTheLoginShell) {
    const CliVerifier verifier;
    auto verify = [&](const FixtureMac& mac) {
        return verifier.verify(std::nullopt, ShellRunner{mac.runner()}, mac.fs());
    };
    {
        FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
        mac.runner()->answerShell("git --version 2>&1",
                                  "\n\n  git version 2.39.5 (Apple Git-154)\n");
        const auto r = verify(mac);
        EXPECT_TRUE(r.passed);
        EXPECT_EQ(r.engineOutcome, "likely_resolved");
        EXPECT_EQ(r.verifiedItems, (QStringList{"Command Line Tools installed",
                                                "git version 2.39.5 (Apple Git-154)"}));
    }
    {
        FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
        mac.runner()->answerShell("git --version 2>&1", "zsh:1: command not found: git\n", 127);
        const auto r = verify(mac);
        EXPECT_EQ(r, SetupVerificationResult("zsh:1: command not found: git\n", false, 127,
                                             QString("blocked")));
    }
    {
        const FixtureMac mac(FixtureMac::Kind::newAppleSilicon); // xcode-select fails
        const auto r = verify(mac);
        EXPECT_FALSE(r.passed);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(mac.runner()->shellScripts().count("git --version 2>&1"), 0);
    }
    {
        const FixtureMac mac(FixtureMac::Kind::broken); // prints only a newline, exits 0
        const auto r = verify(mac);
        EXPECT_EQ(r, SetupVerificationResult("\n", false, 0, QString("blocked")));
    }
    {
        const FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
        const auto r = verifier.verify(
            std::nullopt, ShellRunner{std::make_shared<FakeProcessRunner>()}, mac.fs());
        EXPECT_EQ(r, SetupVerificationResult("", false, -1, QString("blocked")));
    }
}

TEST(CliProductConfig, ValuesAReaderChecks) {
    const auto& cli = cliProduct();
    EXPECT_EQ(cli.displayName, cli.appSupportDirName);
    EXPECT_EQ(cli.flow, SetupFlow::setupWorkflow);
    EXPECT_TRUE(cli.spineProvider && cli.verifier && cli.prober && cli.spineCopy &&
                cli.stageCatalog);
    EXPECT_EQ(cli.urls.article(u"terminal/configuration").toString(),
              "https://tovrin.app/articles/terminal/configuration");
    const auto& policy = cli.spinePolicy;
    EXPECT_FALSE(policy.stageArticlePaths.contains("codex"));
    EXPECT_EQ(policy.fallbackArticlePath, "tovrin/coming-soon");
    for (const char* domain : {"clt", "homebrew", "shell-config", "warp", "git"})
        EXPECT_FALSE(policy.advanceOnPartialFailureDomains.contains(domain)) << domain;
    ASSERT_TRUE(policy.networkReadiness && policy.diskReadiness);
    EXPECT_EQ(policy.networkReadiness->endpoints.size(), 3);
    EXPECT_EQ(policy.diskReadiness->criticalFreeBytes, 3'000'000'000);
    EXPECT_EQ(cli.spineCopy->workspacePrompt(), "Choose a folder to work in");
    EXPECT_EQ(cli.spineCopy->statusText("mcp", {"x", "", C::blocked}), "mcp: needs attention");
    EXPECT_FALSE(cli.spineCopy->screenCopy("shell-config", std::nullopt));

    SystemProfile profile;
    profile.aiTooling.zed = true;
    profile.aiTooling.vsCode = true;
    profile.terminals.warp = true;
    QStringList labels;
    for (const auto& app : policy.outcomeOpenableApps(profile, std::nullopt))
        labels << app.label;
    EXPECT_EQ(labels, (QStringList{"Open Zed", "Open VS Code"}));
    EXPECT_TRUE(policy.outcomeOpenableApps(std::nullopt, std::nullopt).isEmpty());
}
