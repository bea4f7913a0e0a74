#include "model/ProductConfig.h"
#include "products/StepListExpectations.h"
#include "products/claude/ClaudeProbes.h"
#include "products/claude/ClaudeProductConfig.h"
#include "products/claude/ClaudeSetupProber.h"
#include "products/claude/ClaudeSetupVerifier.h"
#include "products/claude/ClaudeSpineCopy.h"
#include "products/claude/ClaudeSpineCopyProvider.h"
#include "products/claude/ClaudeSpineProvider.h"
#include "products/claude/ClaudeVerifier.h"
#include "services/LiveHome.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/ScopedProductConfig.h"
#include "telemetry/UsageEventCatalogue.h"

#include <gtest/gtest.h>

#include <condition_variable>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

using C = SetupDiagnosisClassification;
constexpr auto P = DomainPlacement::primary;
constexpr auto F = DomainPlacement::offer;
constexpr auto O = DomainPlacement::optional;

QList<WorkflowStep> claudeWorkflow(const FixtureMac& mac) {
    const ScopedProductConfig product(claudeProduct());
    const auto profile = mac.profiler().profile();
    const auto probes = ClaudeSetupProber().probe(ShellRunner{mac.runner()}, mac.fs());
    return ClaudeSpineProvider::spine(profile, probes);
}

SetupProbeBundle claudeAt(QStringList onPath, QStringList installed,
                          std::optional<QString> version = {},
                          std::optional<qint32> exitCode = {}) {
    SetupProbeBundle b;
    b.pathVisiblePrimaryTools = std::move(onPath);
    b.installedPrimaryToolLocations = std::move(installed);
    b.versionOutput = std::move(version);
    b.versionExitCode = exitCode;
    return b;
}

ClaudeProbes probesOf(const FixtureMac& mac) {
    return ClaudeProbes{ShellRunner{mac.runner()}, mac.fs()};
}

// Holds every command until `expected` of them have started, so the probe run can only
// finish when its commands run at the same time.
class BarrierRunner : public FakeProcessRunner {
public:
    explicit BarrierRunner(int expected) : expected_(expected) {}
    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment) override {
        {
            std::unique_lock lock(mutex_);
            ++started_;
            changed_.notify_all();
            changed_.wait_for(lock, 5s, [&] { return started_ >= expected_; });
            reachedTogether_ = reachedTogether_ || started_ >= expected_;
        }
        return FakeProcessRunner::run(executable, arguments, environment);
    }
    bool allStartedTogether() {
        std::lock_guard lock(mutex_);
        return reachedTogether_ && started_ == expected_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    const int expected_;
    int started_ = 0;
    bool reachedTogether_ = false;
};

} // namespace

// The Claude Code product's whole step list on each fixture Mac.
TEST(ClaudeWorkflow, NewAppleSiliconMacNeedsEverything) {
    expectWorkflow(claudeWorkflow(FixtureMac(FixtureMac::Kind::newAppleSilicon)),
                   {{"clt", P, C::fixable, {"clt"}},
                    {"homebrew", P, C::fixable, {"homebrew"}},
                    {"claude-cli", P, C::fixable, {"brew:claude-code@latest"}},
                    {"warp", P, C::fixable, {"brew:warp"}},
                    {"claude-desktop", P, C::fixable, {"brew:claude"}},
                    {"codex", P, C::fixable, {"brew:codex", "brew:chatgpt"}},
                    {"project", F, C::fixable, {"example:simple"}},
                    {"skills", F, C::fixable, {}},
                    {"mcp", F, C::fixable, {}},
                    {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                    {"shell-config", O, C::fixable, {"shell-config"}},
                    {"languages", O, C::fixable, {}},
                    {"agent-docs", O, C::ready, {}},
                    {"git", O, C::fixable, {}}});
}

TEST(ClaudeWorkflow, IntelMacWithClaudeOffPathGetsAPathRepair) {
    const FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs);
    const QString folder = mac.fs()->homeDirectory() + "/.local/bin";
    const auto steps = claudeWorkflow(mac);
    expectWorkflow(steps, {{"clt", P, C::ready, {}},
                           {"homebrew", P, C::ready, {}},
                           {"claude-cli", P, C::fixable, {"path-repair:" + folder}},
                           {"warp", P, C::fixable, {"brew:warp"}},
                           {"claude-desktop", P, C::fixable, {"brew:claude"}},
                           {"project", F, C::fixable, {"example:simple", "example:coding"}},
                           {"skills", F, C::fixable, {}},
                           {"mcp", F, C::fixable, {}},
                           {"editor", O, C::ready, {}},
                           {"shell-config", O, C::fixable, {"shell-config"}},
                           {"languages", O, C::fixable, {}},
                           {"agent-docs", O, C::fixable, {"env-doc"}},
                           {"git", O, C::fixable, {}}});
    const auto cli = steps[2].stage->diagnosis();
    EXPECT_EQ(cli.headline, "Claude Code is installed but not on your PATH");
    EXPECT_TRUE(cli.detail.startsWith("`claude` exists at " + folder + "/claude but"));
    EXPECT_EQ(steps[2].stage->actions().first().verifyPolicy, VerifyPolicy::localVerification);
}

TEST(ClaudeWorkflow, DeveloperMacIsReadyButForTheOpenStages) {
    const auto steps = claudeWorkflow(FixtureMac(FixtureMac::Kind::developerAppleSilicon));
    expectWorkflow(steps, {{"clt", P, C::ready, {}},
                           {"homebrew", P, C::ready, {}},
                           {"claude-cli", P, C::ready, {}},
                           {"warp", P, C::ready, {}},
                           {"claude-desktop", P, C::ready, {}},
                           {"codex", P, C::ready, {}},
                           {"project", F, C::fixable, {"example:simple", "example:coding"}},
                           {"skills", F, C::fixable, {}},
                           {"mcp", F, C::fixable, {}},
                           {"editor", O, C::ready, {}},
                           {"shell-config", O, C::ready, {}},
                           {"languages", O, C::fixable, {}},
                           {"agent-docs", O, C::fixable, {"env-doc"}},
                           {"git", O, C::ready, {}}});
    EXPECT_EQ(steps[2].stage->diagnosis().detail, "`claude` runs: 2.0.14 (Claude Code)");
}

TEST(ClaudeWorkflow, TwoClaudeInstallsBlockTheStage) {
    const FixtureMac mac(FixtureMac::Kind::broken);
    const QString home = mac.fs()->homeDirectory();
    const auto steps = claudeWorkflow(mac);
    expectWorkflow(steps, {{"clt", P, C::fixable, {"clt"}},
                           {"homebrew", P, C::ready, {}},
                           {"claude-cli", P, C::blocked, {}},
                           {"warp", P, C::fixable, {"brew:warp"}},
                           {"claude-desktop", P, C::fixable, {"brew:claude"}},
                           {"codex", P, C::fixable, {"brew:codex", "brew:chatgpt"}},
                           {"project", F, C::fixable, {"example:simple", "example:coding"}},
                           {"skills", F, C::fixable, {}},
                           {"mcp", F, C::fixable, {}},
                           {"editor", O, C::fixable, {"brew:zed", "brew:visual-studio-code"}},
                           {"shell-config", O, C::fixable, {"shell-config"}},
                           {"languages", O, C::fixable, {}},
                           {"agent-docs", O, C::fixable, {"env-doc"}},
                           {"git", O, C::fixable, {}}});
    EXPECT_EQ(steps[2].stage->diagnosis().headline, "More than one `claude` command found");
    EXPECT_TRUE(steps[2].stage->diagnosis().detail.startsWith(
        "We found multiple `claude` installs (" + home + "/.claude/local/claude, " + home +
        "/.npm-global/bin/claude). To avoid"));
}

TEST(ClaudeSpine, PlacementAndLengthFollowTheArchitecture) {
    const ScopedProductConfig product(claudeProduct());
    SystemProfile profile;
    profile.architecture = Architecture::intel;
    EXPECT_EQ(ClaudeSpineProvider::spine(profile, {}).size(), 13);
    profile.architecture = Architecture::unknown;
    const auto steps = ClaudeSpineProvider::spine(profile, {});
    ASSERT_EQ(steps.size(), 14);
    EXPECT_EQ(steps[5].stage->domainID(), "codex");
    EXPECT_EQ(steps[5].placement, DomainPlacement::primary);
    EXPECT_EQ(ClaudeSpineProvider::primarySteps(profile, {}).size(), 5);
    EXPECT_FALSE(ClaudeSpineProvider().spine(QString("x"), profile, {}));
    EXPECT_TRUE(ClaudeSpineProvider().spine(std::nullopt, profile, {}).has_value());
}

TEST(ClaudeSpine, CliStatusFromWhereClaudeWasFound) {
    const SystemProfile profile;
    const QString brewClaude = "/opt/homebrew/bin/claude";
    const QString localClaude = "/Users/dev/.local/bin/claude";
    const ClaudeSpineProvider provider;
    auto fixIDs = [&](const SetupProbeBundle& probes) {
        QStringList ids;
        for (const auto& fix : provider.remediations("claude-cli", profile, probes))
            ids << fix.id();
        return ids;
    };
    const struct {
        const char* name;
        SetupProbeBundle probes;
        const char* headline;
        C classification;
        QStringList fixes;
    } cases[] = {
        {"nothing",
         claudeAt({}, {}, "zsh:1: command not found: claude", 127),
         "Claude Code CLI isn't installed",
         C::fixable,
         {"brew:claude-code@latest"}},
        {"on PATH and runs, also a fixed location",
         claudeAt({brewClaude}, {brewClaude}, "2.0.14 (Claude Code)", 0),
         "Claude Code CLI is ready",
         C::ready,
         {}},
        {"exit 0 without output",
         claudeAt({brewClaude}, {brewClaude}, std::nullopt, 0),
         "Claude Code CLI needs attention",
         C::fixable,
         {"brew:claude-code@latest"}},
        {"on PATH but fails",
         claudeAt({brewClaude}, {}, "Error: not found", 1),
         "Claude Code CLI needs attention",
         C::fixable,
         {"brew:claude-code@latest"}},
        {"only in a fixed location",
         claudeAt({}, {localClaude}),
         "Claude Code is installed but not on your PATH",
         C::fixable,
         {"path-repair:/Users/dev/.local/bin"}},
        {"two places",
         claudeAt({localClaude}, {brewClaude}, "2.0.14 (Claude Code)", 0),
         "More than one `claude` command found",
         C::blocked,
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto status = ClaudeSpineProvider::cliStatus(profile, c.probes);
        EXPECT_EQ(status.headline, c.headline);
        EXPECT_EQ(status.classification, c.classification);
        EXPECT_EQ(fixIDs(c.probes), c.fixes);
    }
    EXPECT_EQ(ClaudeSpineProvider::cliStatus(profile, cases[5].probes).detail,
              "We found multiple `claude` installs (" + localClaude + ", " + brewClaude +
                  "). To avoid breaking a setup you rely on, we won't remove anything "
                  "automatically. Recommended: keep the Homebrew-managed one and remove the "
                  "others, then make sure Homebrew's bin directory comes first on your PATH.");
}

TEST(ClaudeSpine, DiagnosesOfTheOtherDomains) {
    const ScopedProductConfig product(claudeProduct());
    SystemProfile profile;
    SetupProbeBundle probes;
    probes.companionToolPresent = true;
    EXPECT_EQ(ClaudeSpineProvider::diagnosis("codex", profile, probes)->classification, C::ready);
    EXPECT_EQ(ClaudeSpineProvider::diagnosis("warp", profile, probes)->headline,
              QString::fromUtf8("Try Warp — the AI-assisted terminal"));
    // Worded by the running product, here Claude Code's own copy.
    EXPECT_TRUE(ClaudeSpineProvider::diagnosis("homebrew", profile, probes)
                    ->detail.contains("Claude Code CLI and Desktop"));
    profile.aiTooling.warpApp = true;
    profile.aiTooling.claudeCodeDesktop = true;
    EXPECT_EQ(ClaudeSpineProvider::diagnosis("warp", profile, probes)->classification, C::ready);
    EXPECT_TRUE(ClaudeSpineProvider().remediations("warp", profile, probes).isEmpty());
    EXPECT_EQ(ClaudeSpineProvider::desktopStatus(profile).headline, "Claude Desktop is installed");
    EXPECT_FALSE(ClaudeSpineProvider::diagnosis("ai-claude", profile, probes));
    EXPECT_FALSE(ClaudeSpineProvider::diagnosis("nonsense", profile, probes));
    EXPECT_TRUE(ClaudeSpineProvider().remediations("nonsense", profile, probes).isEmpty());
}

TEST(ClaudeSpine, ConflictCountsEachPlaceOnce) {
    const auto probes = claudeAt({"/opt/homebrew/bin/claude", "/Users/dev/.local/bin/claude"},
                                 {"/opt/homebrew/bin/claude"});
    EXPECT_EQ(ClaudeSpineProvider::knownClaudeLocations(probes),
              (QStringList{"/Users/dev/.local/bin/claude", "/opt/homebrew/bin/claude"}));
    EXPECT_EQ(claudeConflictSurfacedEvent(2),
              (UsageEvent{"claude_conflict_surfaced", {{"install_count", 2}}}));
    EXPECT_TRUE(claudeSpinePolicy().onStageBlocked);
}

TEST(ClaudeProbes, ClaudeOnPathAndItsVersion) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    const auto probes = probesOf(mac);
    mac.runner()->answerShell("/usr/bin/which -a claude",
                              "/opt/homebrew/bin/claude  \r\n\r\n\t/Users/dev/.local/bin/claude\n");
    EXPECT_EQ(probes.claudePathEntries(),
              (QStringList{"/opt/homebrew/bin/claude", "/Users/dev/.local/bin/claude"}));
    mac.runner()->answerShell("/usr/bin/which -a claude", "claude not found\n", 1);
    EXPECT_TRUE(probes.claudePathEntries().isEmpty());

    mac.runner()->answerShell("claude --version 2>&1", "", 0);
    EXPECT_EQ(probes.claudeVersion(), std::pair(std::optional<QString>(), qint32(0)));
    mac.runner()->answerShell("claude --version 2>&1", "\n zsh:1: command not found: claude\n",
                              127);
    EXPECT_EQ(probes.claudeVersion(),
              std::pair(std::optional<QString>("zsh:1: command not found: claude"), qint32(127)));

    // Through real zsh and `which -a`: one file by three spellings ("//" from a PATH folder
    // ending in "/", a linked ~/bin, a doubled slash) is one command, named as installed.
    {
        LiveHome live;
        QDir(live.path()).mkpath(".local/bin");
        live.put(".local/bin/claude", "#!/bin/sh\necho '2.0.14 (Claude Code)'\n");
        QFile::setPermissions(live.file(".local/bin/claude"), QFile::ReadOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFile::link(live.file(".local/bin"), live.file("bin")));
        qputenv("PATH", QFile::encodeName(live.path() + "/.local/bin/:" + live.path() +
                                          "/bin:" + live.path() + "//.local/bin"));
        const auto found = ClaudeSetupProber().probe(
            ShellRunner{std::make_shared<LiveProcessRunner>()}, live.fs());
        EXPECT_EQ(found.pathVisiblePrimaryTools, QStringList{live.file(".local/bin/claude")});
        EXPECT_EQ(ClaudeSpineProvider::cliStatus({}, found).headline, "Claude Code CLI is ready");
    }

    // A shell that cannot start: every check falls back, the version's exit code is -1.
    const auto bundle =
        ClaudeSetupProber().probe(ShellRunner{std::make_shared<FakeProcessRunner>()}, mac.fs());
    EXPECT_EQ(bundle.versionExitCode, -1);
    EXPECT_EQ(bundle.versionOutput, std::nullopt);
    EXPECT_FALSE(bundle.ghPresent || bundle.ghAuthed || bundle.companionToolPresent ||
                 bundle.gitIdentitySet);
}

TEST(ClaudeProbes, FileChecksComeBeforeCommands) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    const auto probes = probesOf(mac);
    const QString home = mac.fs()->homeDirectory();
    mac.fs()->createExecutable("/usr/local/bin/gh");
    EXPECT_TRUE(probes.ghPresent());
    EXPECT_EQ(mac.runner()->shellScripts().count("command -v gh"), 0);
    // Signed in to a company's server only is not signed in to GitHub.
    mac.runner()->answerShell("gh auth status",
                              "ghe.example.com\n  ✓ Logged in to ghe.example.com\n");
    EXPECT_FALSE(probes.ghAuthed());

    mac.runner()->answerShell("command -v codex", " \n", 0);
    EXPECT_FALSE(probes.codexPresent());
    mac.runner()->answerShell("command -v codex", "/Users/dev/bin/codex\n", 0);
    EXPECT_TRUE(probes.codexPresent());

    // Without anything that provides git, git is never started.
    EXPECT_FALSE(probes.gitIdentitySet());
    EXPECT_EQ(mac.runner()->shellScripts().filter("git config").size(), 0);
    mac.fs()->createExecutable("/opt/homebrew/bin/git");
    mac.runner()->answerShell("git config --global --includes --get user.name >/dev/null && "
                              "git config --global --includes --get user.email >/dev/null",
                              {});
    EXPECT_TRUE(probes.gitIdentitySet());

    // All four places, in order; a folder counts.
    mac.fs()->createExecutable("/opt/homebrew/bin/claude");
    mac.fs()->createExecutable("/usr/local/bin/claude");
    mac.fs()->createExecutable(home + "/.local/bin/claude");
    mac.fs()->createFolder(home + "/.claude/local/claude");
    EXPECT_EQ(probes.claudeBinaryCandidates(),
              (QStringList{"/opt/homebrew/bin/claude", "/usr/local/bin/claude",
                           home + "/.local/bin/claude", home + "/.claude/local/claude"}));
    EXPECT_FALSE(probes.exampleProjectFolder());
    mac.fs()->createFolder(home + "/Documents/AI-Simple-Project");
    EXPECT_TRUE(probes.exampleProjectFolder());
}

TEST(ClaudeProbes, SevenCommandsRunAtOnceAndSignInIsAskedEvenWithoutGh) {
    const FixtureMac mac(FixtureMac::Kind::intelWithThreeJDKs); // git is available
    auto runner = std::make_shared<BarrierRunner>(7);
    runner->setDefault(FakeProcessRunner::Answer{ProcessResult{1, {}, {}}, {}, {}, {}});
    const auto bundle = ClaudeSetupProber().probe(ShellRunner{runner}, mac.fs());
    EXPECT_TRUE(runner->allStartedTogether());
    EXPECT_TRUE(runner->shellScripts().contains("gh auth status --hostname github.com"));
    EXPECT_FALSE(bundle.ghPresent || bundle.ghAuthed);
    EXPECT_EQ(bundle.versionExitCode, 1);
    EXPECT_EQ(bundle.installedPrimaryToolLocations,
              QStringList{mac.fs()->homeDirectory() + "/.local/bin/claude"});
    EXPECT_TRUE(bundle.agentDocNeeded);
}

TEST(ClaudeVersion, RealOutputAndGarbage) {
    const struct {
        const char* output;
        std::optional<QString> version;
    } cases[] = {
        {"2.0.14 (Claude Code)\n", "2.0.14"},
        {"1.0.3 (Claude Code)", "1.0.3"},
        {"0.2.125\n", "0.2.125"},
        {"\n\t 1.0.58 (Claude Code)\n", "1.0.58"},
        {"2.1.0\t(Claude Code)", "2.1.0"},
        // Anything before the number leaves it unknown.
        {"Claude Code 2.0.14\n", std::nullopt},
        {"Warning: claude was installed with npm; run `claude migrate-installer`\n1.0.3 "
         "(Claude Code)\n",
         std::nullopt},
        {"v2.0.14", std::nullopt},
        {"zsh:1: command not found: claude", std::nullopt},
        {"", std::nullopt},
        {" \n\t ", std::nullopt},
        {"\x01\x02\xff\xfe", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClaudeVerifier::parseVersion(QString::fromUtf8(c.output)), c.version) << c.output;
}

TEST(ClaudeVerifier, ResultsFromOutputExitCodeAndDesktop) {
    const QMap<QString, QString> present{{"desktop_present", "true"}};
    const QMap<QString, QString> absent{{"desktop_present", "false"}};
    EXPECT_EQ(
        ClaudeVerifier::makeResult("2.0.14 (Claude Code)\n", 0, true),
        SetupVerificationResult("2.0.14 (Claude Code)\n", true, 0, QString("likely_resolved"),
                                {QString::fromUtf8("Claude Code CLI installed — version 2.0.14"),
                                 "Claude Desktop installed"},
                                present));
    // A warning first: installed, version unknown.
    EXPECT_EQ(
        ClaudeVerifier::makeResult("Warning: update available\n2.0.14 (Claude Code)\n", 0, false)
            .verifiedItems,
        QStringList{"Claude Code CLI installed"});
    EXPECT_EQ(ClaudeVerifier::makeResult(" \n", 0, true),
              SetupVerificationResult(" \n", false, 0, QString("blocked"), {}, present));
    EXPECT_EQ(ClaudeVerifier::makeResult("zsh:1: command not found: claude\n", 127, false),
              SetupVerificationResult("zsh:1: command not found: claude\n", false, 127,
                                      QString("blocked"), {}, absent));
}

TEST(ClaudeVerifier, OnTheFixtureMacs) {
    auto verify = [](const FixtureMac& mac) {
        return ClaudeSetupVerifier().verify(std::nullopt, ShellRunner{mac.runner()}, mac.fs());
    };
    const auto developer = verify(FixtureMac(FixtureMac::Kind::developerAppleSilicon));
    EXPECT_TRUE(developer.passed);
    EXPECT_EQ(developer.verifiedItems.size(), 2);
    // Its Claude.app is a file, not an app; its `claude` cannot start node.
    const auto broken = verify(FixtureMac(FixtureMac::Kind::broken));
    EXPECT_EQ(broken.details.value("desktop_present"), "false");
    EXPECT_EQ(broken.exitCode, 9);
    EXPECT_FALSE(broken.passed);

    const FixtureMac fresh(FixtureMac::Kind::newAppleSilicon);
    const auto noShell = ClaudeSetupVerifier().verify(
        std::nullopt, ShellRunner{std::make_shared<FakeProcessRunner>()}, fresh.fs());
    EXPECT_EQ(noShell, SetupVerificationResult("", false, -1, QString("blocked"), {},
                                               {{"desktop_present", "false"}}));
}

TEST(ClaudeSpineCopy, ScreensAndStatusLines) {
    const ClaudeSpineCopyProvider copy;
    EXPECT_EQ(copy.statusText("codex", {"x", "", C::fixable}), "codex: not installed");
    EXPECT_EQ(copy.statusText("claude-cli", {"x", "", C::blocked}), "Claude Code: needs attention");
    EXPECT_EQ(ClaudeSpineCopy::statusText("claude-desktop", C::ready), "Claude Desktop: installed");
    EXPECT_EQ(copy.screenCopy("codex", std::nullopt)->footer,
              "We're not affiliated with OpenAI. We just like using both.");
    EXPECT_EQ(copy.screenCopy("claude-cli", std::nullopt)->footer, std::nullopt);
    EXPECT_FALSE(copy.screenCopy("ai-claude", std::nullopt));
    EXPECT_EQ(copy.workspacePrompt(), "Choose a folder for Claude to work in");
    EXPECT_EQ(copy.verifyingTitle(), QString::fromUtf8("Verifying Claude Code…"));
}

TEST(ClaudeProductConfig, ValuesAndCallbacks) {
    const auto& claude = claudeProduct();
    EXPECT_EQ(claude.appID, "tovr-claude");
    EXPECT_EQ(claude.userDefaultsPrefix, "app.tovrin.tovr.claude");
    EXPECT_EQ(claude.consent.privacyBullets.last(), "Not affiliated with Anthropic.");
    EXPECT_EQ(claude.urls.troubleshooting.toString(), "https://tovrin.app/articles/claude-code");
    EXPECT_NE(claude.sharedDomainCopy, SharedDomainCopy::standard());
    const auto& policy = claude.spinePolicy;
    EXPECT_EQ(policy.stageArticlePaths.value("mcp"), "tovrin/coming-soon");
    EXPECT_EQ(policy.fallbackArticlePath, "claude-code");
    EXPECT_FALSE(policy.specialStages.contains("ai-claude"));
    EXPECT_FALSE(policy.networkReadiness || policy.diskReadiness);

    auto labels = [](const QList<SpineRenderPolicy::OpenableApp>& apps) {
        QStringList out;
        for (const auto& app : apps)
            out << app.label;
        return out;
    };
    SetupVerificationResult verified("2.0.14", true);
    verified.details = {{"desktop_present", "true"}};
    EXPECT_EQ(labels(claudeOpenableApps(std::nullopt, verified)),
              QStringList{"Open Claude Desktop"});
    EXPECT_TRUE(claudeOpenableApps(std::nullopt, std::nullopt).isEmpty());
    SystemProfile profile;
    profile.aiTooling.warpApp = true;
    profile.aiTooling.chatgptDesktop = true;
    profile.aiTooling.claudeCodeDesktop = true;
    EXPECT_EQ(labels(policy.outcomeOpenableApps(profile, std::nullopt)),
              (QStringList{"Open Claude Desktop", "Open ChatGPT", "Open Warp"}));
}
