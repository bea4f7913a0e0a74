// The configuration of the product this build ships.
#include "model/ClaudeStageCatalog.h"
#include "model/ProductConfig.h"
#include "platform/DiskReadinessConfig.h"
#include "platform/NetworkReadinessConfig.h"
#include "products/brew/BrewProber.h"
#include "products/cli/CliSpineCopy.h"
#include "products/cli/CliSpineProvider.h"
#include "products/cli/CliVerifier.h"

namespace tovr {

namespace {

using Policy = SpineRenderPolicy;

// Download servers whose answer speed stands for the big installs ahead.
const char* const kHomebrewFormulaIndex = "https://formulae.brew.sh/api/formula.json";
const char* const kAppleSoftwareUpdateCatalog =
    "https://swscan.apple.com/content/catalogs/index.sucatalog";
const char* const kGitHubRoot = "https://github.com/";

} // namespace

const SpineRenderPolicy& SpineRenderPolicy::cli() {
    static const SpineRenderPolicy policy = [] {
        Policy p;
        p.summaryExcludedDomains = {QStringLiteral("warp")};
        p.offers.insert(QStringLiteral("warp"),
                        Policy::SpineOffer{QStringLiteral("warp"), QStringLiteral("post_homebrew"),
                                           QStringLiteral("warp_not_installed")});
        p.homebrewIndependentDomains = {"clt",     "homebrew", "shell-config", "git",
                                        "project", "skills",   "mcp"};
        p.advanceOnPartialFailureDomains = {"languages", "project", "skills", "mcp"};
        p.stageArticlePaths = {{"clt", "commandlinetools"},
                               {"shell-config", "terminal/configuration"},
                               {"homebrew", "homebrew"},
                               {"warp", "download/warp"},
                               {"git", "git"},
                               {"ai-claude", "claude-code/install"},
                               {"editor", "download/zed"},
                               {"languages", "mise"}};
        p.fallbackArticlePath = QStringLiteral("tovrin/coming-soon");
        p.privilegedActionReason = QStringLiteral("Set up the command line");
        p.privilegedReasons = {{"brew:temurin", "Enter a password to install Java"}};

        auto network = std::make_shared<NetworkReadinessConfig>();
        network->endpoints = {QUrl(kHomebrewFormulaIndex), QUrl(kAppleSoftwareUpdateCatalog),
                              QUrl(kGitHubRoot)};
        network->estimatedPayloadBytes = 1'500'000'000;
        network->slowThresholdSeconds = 600;
        network->maxSampleBytes = 800'000;
        network->probeTimeoutSeconds = 3.0;
        p.networkReadiness = network;
        auto disk = std::make_shared<DiskReadinessConfig>();
        disk->worstCaseInstallBytes = 15'000'000'000;
        disk->freeFloorBytes = 10'000'000'000;
        disk->criticalFreeBytes = 3'000'000'000;
        p.diskReadiness = disk;

        p.remediationCaptions = {
            {"brew:warp",
             "We'll install Warp via Homebrew, the fast terminal Lumbrook recommends."}};
        p.onOutcomeReported = &ProductConfig::brewOutcomeReported;
        p.outcomeOpenableApps = &ProductConfig::brewOpenableApps;
        p.specialStages = {
            {"ai-claude",
             Policy::SpecialStageKind::caskMultiselect(
                 "Install Claude", "ai-claude",
                 {{"Claude Desktop", "brew:claude", "install-claude-desktop"},
                  {"Claude Code CLI", "brew:claude-code@latest", "install-claude-cli"}})},
            {"codex", Policy::SpecialStageKind::caskMultiselect(
                          "Install ChatGPT", "codex",
                          {{"ChatGPT Desktop", "brew:chatgpt", "install-chatgpt-desktop"},
                           {"Codex CLI", "brew:codex", "install-codex-cli"}})},
            {"project", Policy::SpecialStageKind::projectActions()},
            {"skills", Policy::SpecialStageKind::skillsMultiselect()},
            {"mcp", Policy::SpecialStageKind::mcpMultiselect()},
            {"languages", Policy::SpecialStageKind::languagesMultiselect()},
            {"git", Policy::SpecialStageKind::gitActions()},
        };
        return p;
    }();
    return policy;
}

const ProductConfig& ProductConfig::cli() {
    static const ProductConfig config = [] {
        ProductConfig c{
            QStringLiteral("tovr-cli"),
            QStringLiteral("Tovrin for the Command Line"),
            QStringLiteral("Tovrin for the Command Line"),
            publisherDefaultsPrefix.toString() + QStringLiteral(".tovr.cli"),
            QStringLiteral("Tovrin"),
            false,
            QStringLiteral("TovrinCli"),
            ProductCopy{QStringLiteral("Software developers need command-line tools running in a "
                                       "terminal. The app will run a check to see what's needed, "
                                       "then offer to install and configure the essentials: the "
                                       "Command Line Tools, your shell, Homebrew package manager, "
                                       "an upgraded terminal, and Git. Nothing changes without "
                                       "your okay."),
                        QStringLiteral("Check my setup"),
                        QStringLiteral("Tovrin to build software")},
            ProductURLs{
                articleSiteURL(u""),
                articleSiteURL(u"/tovrin/privacy"),
                articleSiteURL(u"/commandlinetools"),
                articleSiteURL(u"/terminal/configuration"),
                articleSiteURL(u"/terminal/configuration"),
                articleSiteURL(u"/commandlinetools"),
                articleSiteURL(u"/macos/upgrade"),
                QUrl(warpSiteRoot.toString() +
                     QStringLiteral("/mac-terminal?utm_source=lumbrook&utm_medium=app"
                                    "&utm_campaign=lumbrook_20260516&utm_content=tovr_cli")),
            },
            ConsentCopy{
                QStringLiteral("What this app does"),
                {QStringLiteral("Checks whether the command-line tools you need are set up."),
                 QStringLiteral("Installs and configures them if you wish."),
                 QStringLiteral("Asks for your permission before installing or changing "
                                "anything.")},
                QStringLiteral("Your privacy and Mac integrity are respected"),
                {QStringLiteral("The app never identifies you and never records your IP address."),
                 QStringLiteral("No passwords or file contents are ever recorded."),
                 QStringLiteral("Usage events are anonymous."),
                 QStringLiteral("A random session ID is created for anonymous usage counts.")}},
            std::make_shared<InertDiagnosisProfile>(),
            std::nullopt,
            std::nullopt,
            {},
            SetupFlow::setupWorkflow};
        c.spineProvider = std::make_shared<CliSpineProvider>();
        c.verifier = std::make_shared<CliVerifier>();
        c.prober = std::make_shared<BrewProber>();
        c.spineCopy = std::make_shared<CliSpineCopy>();
        c.stageCatalog = std::make_shared<ClaudeStageCatalog>();
        c.spinePolicy = SpineRenderPolicy::cli();
        return c;
    }();
    return config;
}

} // namespace tovr
