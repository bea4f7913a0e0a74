// The Homebrew product's configuration, carried beside the product this build ships.
#include "products/brew/BrewProductConfig.h"

#include "model/ClaudeStageCatalog.h"
#include "model/ProductConfig.h"
#include "platform/DiskReadinessConfig.h"
#include "platform/NetworkReadinessConfig.h"
#include "products/brew/BrewProber.h"
#include "products/brew/BrewSpineCopy.h"
#include "products/brew/BrewSpineProvider.h"
#include "products/brew/BrewVerifier.h"

namespace tovr {

namespace {

using Policy = SpineRenderPolicy;

// Download servers whose answer speed stands for the big installs ahead.
const QLatin1String kHomebrewFormulaIndex("https://formulae.brew.sh/api/formula.json");
const QLatin1String
    kAppleSoftwareUpdateCatalog("https://swscan.apple.com/content/catalogs/index.sucatalog");
const QLatin1String kGitHubRoot("https://github.com/");

} // namespace

// The command-line product's policy starts from this one.
const SpineRenderPolicy& brewSpinePolicy() {
    static const SpineRenderPolicy policy = [] {
        Policy p;
        p.summaryExcludedDomains = {QStringLiteral("warp")};
        p.offers.insert(QStringLiteral("warp"),
                        Policy::SpineOffer{QStringLiteral("warp"), QStringLiteral("post_homebrew"),
                                           QStringLiteral("warp_not_installed")});
        p.homebrewIndependentDomains = {"clt", "homebrew", "project", "skills", "mcp"};
        p.advanceOnPartialFailureDomains = {"languages", "project", "skills", "mcp"};
        p.stageArticlePaths = {
            {"clt", "commandlinetools"}, {"homebrew", "homebrew"},
            {"warp", "download/warp"},   {"ai-claude", "claude-code/install"},
            {"editor", "download/zed"},  {"shell-config", "terminal/configuration"},
            {"languages", "mise"},       {"git", "git"}};
        p.fallbackArticlePath = QStringLiteral("tovrin/coming-soon");
        p.privilegedActionReason = QStringLiteral("Set up Homebrew");
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
        p.onOutcomeReported = &brewOutcomeReported;
        p.outcomeOpenableApps = &brewOpenableApps;
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

const ProductConfig& brewProduct() {
    static const ProductConfig config = [] {
        ProductConfig c{
            QStringLiteral("tovr-brew"),
            QStringLiteral("Tovrin with Homebrew"),
            QStringLiteral("Tovrin with Homebrew"),
            publisherDefaultsPrefix.toString() + QStringLiteral(".tovr.brew"),
            QStringLiteral("Tovrin"),
            false,
            QStringLiteral("TovrinBrew"),
            ProductCopy{QStringLiteral("Homebrew is the package manager developers use to install "
                                       "tools on a Mac. The app will run a check to see what's "
                                       "needed. Nothing changes without your okay."),
                        QStringLiteral("Check my setup"),
                        QStringLiteral("Set up Homebrew on your Mac")},
            ProductURLs{
                articleSiteURL(u""),
                articleSiteURL(u"/tovrin/privacy"),
                articleSiteURL(u"/homebrew"),
                articleSiteURL(u"/homebrew"),
                articleSiteURL(u"/homebrew"),
                articleSiteURL(u"/commandlinetools"),
                articleSiteURL(u"/macos/upgrade"),
                QUrl(warpSiteRoot.toString() +
                     QStringLiteral("/mac-terminal?utm_source=lumbrook&utm_medium=app"
                                    "&utm_campaign=lumbrook_20260516&utm_content=tovr_brew")),
            },
            ConsentCopy{
                QStringLiteral("What this app does"),
                {QStringLiteral("Checks whether Homebrew and the tools it needs are set up."),
                 QStringLiteral("Installs Homebrew and Apple's Command Line Tools, if you wish."),
                 QStringLiteral("Asks for your permission before installing or changing "
                                "anything.")},
                QStringLiteral("Your privacy and Mac integrity are respected"),
                ConsentCopy::setupPrivacyBullets()},
            std::make_shared<InertDiagnosisProfile>(),
            std::nullopt,
            std::nullopt,
            {},
            SetupFlow::setupWorkflow};
        c.spineProvider = std::make_shared<BrewSpineProvider>();
        c.verifier = std::make_shared<BrewVerifier>();
        c.spinePolicy = brewSpinePolicy();
        c.prober = std::make_shared<BrewProber>();
        c.spineCopy = std::make_shared<BrewSpineCopy>();
        c.stageCatalog = std::make_shared<ClaudeStageCatalog>();
        return c;
    }();
    return config;
}

} // namespace tovr
