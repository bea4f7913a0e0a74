// The Claude Code product's configuration, carried beside the product this build ships.
#include "products/claude/ClaudeProductConfig.h"

#include "model/ClaudeStageCatalog.h"
#include "model/ProductConfig.h"
#include "products/claude/ClaudeSetupProber.h"
#include "products/claude/ClaudeSetupVerifier.h"
#include "products/claude/ClaudeSpineCopyProvider.h"
#include "products/claude/ClaudeSpineProvider.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

namespace {

using Policy = SpineRenderPolicy;

void claudeOutcomeReported(const std::optional<QString>& engineOutcome, const QString& answer) {
    trackClaudeOutcomeReported(engineOutcome.value_or(QStringLiteral("blocked")), answer);
}

SharedDomainCopy claudeSharedDomainCopy() {
    auto text = [](const char* utf8) { return QString::fromUtf8(utf8); };
    return {
        {text("Command Line Tools are installed"),
         text("Apple's Command Line Tools are present — required for Homebrew and Git.")},
        {text("Install Apple's Command Line Tools"),
         text("Homebrew and Git need Apple's Command Line Tools. We'll open Apple's installer; "
              "it takes a few minutes.")},
        {text("Homebrew is installed"),
         text("Homebrew is present — we'll use it to install Claude Code coherently and keep it "
              "updatable.")},
        {text("Homebrew isn't installed"),
         text("We'll install Homebrew first — it's how we install the Claude Code CLI and Desktop "
              "as one coherent, updatable, removable setup.")},
        {text("Warp is installed"), text("You already have Warp.")},
        {text("Try Warp — the AI-assisted terminal"),
         text("Warp is the modern macOS terminal we recommend for working with Claude Code.")},
    };
}

} // namespace

QList<SpineRenderPolicy::OpenableApp>
claudeOpenableApps(const std::optional<SystemProfile>& profile,
                   const std::optional<SetupVerificationResult>& result) {
    QList<SpineRenderPolicy::OpenableApp> apps;
    const bool verifiedDesktop =
        result && result->details.value(QStringLiteral("desktop_present")) == u"true";
    if (verifiedDesktop || (profile && profile->aiTooling.claudeCodeDesktop))
        apps << SpineRenderPolicy::OpenableApp{"Open Claude Desktop", "Claude.app"};
    if (!profile)
        return apps;
    const AITooling& ai = profile->aiTooling;
    const std::pair<bool, SpineRenderPolicy::OpenableApp> others[] = {
        {ai.chatgptDesktop, {"Open ChatGPT", "ChatGPT.app"}},
        {ai.zed, {"Open Zed", "Zed.app"}},
        {ai.vsCode, {"Open VS Code", "Visual Studio Code.app"}},
        {ai.warpApp, {"Open Warp", "Warp.app"}},
    };
    for (const auto& [installed, app] : others)
        if (installed)
            apps << app;
    return apps;
}

const SpineRenderPolicy& claudeSpinePolicy() {
    static const SpineRenderPolicy policy = [] {
        Policy p;
        p.summaryExcludedDomains = {QStringLiteral("warp"), QStringLiteral("codex")};
        p.offers.insert(QStringLiteral("warp"),
                        Policy::SpineOffer{QStringLiteral("warp"), QStringLiteral("post_cli"),
                                           QStringLiteral("warp_not_installed")});
        p.homebrewIndependentDomains = {"clt", "homebrew", "project", "skills", "mcp"};
        p.advanceOnPartialFailureDomains = {"languages", "project", "skills", "mcp"};
        p.stageArticlePaths = {{"clt", "commandlinetools"},
                               {"homebrew", "homebrew/3"},
                               {"claude-cli", "claude-code/install"},
                               {"warp", "download/warp"},
                               {"claude-desktop", "claude-code/vs-claude-desktop"},
                               {"editor", "download/zed"},
                               {"shell-config", "terminal/configuration"},
                               {"languages", "mise"},
                               {"git", "git/config"}};
        for (const char* domain : {"codex", "agent-docs", "project", "skills", "mcp"})
            p.stageArticlePaths.insert(QString::fromLatin1(domain),
                                       QStringLiteral("tovrin/coming-soon"));
        p.fallbackArticlePath = QStringLiteral("claude-code");
        p.privilegedActionReason = QStringLiteral("Set up Claude Code");
        p.privilegedReasons = {{"brew:temurin", "Enter a password to install Java"}};
        p.onStageBlocked = &claudeConflictEvent;
        p.remediationCaptions = {
            {"brew:warp", QString::fromUtf8("We'll install Warp via Homebrew — the modern, "
                                            "AI-assisted macOS terminal we recommend for working "
                                            "with Claude Code.")}};
        p.onOutcomeReported = &claudeOutcomeReported;
        p.outcomeOpenableApps = &claudeOpenableApps;
        p.specialStages = {
            {"languages", Policy::SpecialStageKind::languagesMultiselect()},
            {"project", Policy::SpecialStageKind::projectActions()},
            {"skills", Policy::SpecialStageKind::skillsMultiselect()},
            {"mcp", Policy::SpecialStageKind::mcpMultiselect()},
            {"git", Policy::SpecialStageKind::gitActions()},
            {"codex", Policy::SpecialStageKind::caskMultiselect(
                          "Install ChatGPT", "codex",
                          {{"ChatGPT Desktop", "brew:chatgpt", "install-chatgpt-desktop"},
                           {"Codex CLI", "brew:codex", "install-codex-cli"}})},
        };
        return p;
    }();
    return policy;
}

const ProductConfig& claudeProduct() {
    static const ProductConfig config = [] {
        ProductConfig c{
            QStringLiteral("tovr-claude"),
            QStringLiteral("Tovrin for Claude Code"),
            QStringLiteral("Tovrin for Claude Code"),
            publisherDefaultsPrefix.toString() + QStringLiteral(".tovr.claude"),
            QStringLiteral("Tovrin"),
            false,
            QStringLiteral("TovrinClaude"),
            ProductCopy{QStringLiteral("Run a check to find if anything is missing. Nothing "
                                       "changes on your Mac without your okay."),
                        QStringLiteral("Check my setup"),
                        QStringLiteral("Is your Mac ready for Claude Code?")},
            ProductURLs{
                articleSiteURL(u""),
                articleSiteURL(u"/tovrin/privacy"),
                articleSiteURL(u"/claude-code/install"),
                articleSiteURL(u"/claude-code"),
                articleSiteURL(u"/claude-code"),
                articleSiteURL(u"/commandlinetools"),
                articleSiteURL(u"/macos/upgrade"),
                QUrl(warpSiteRoot.toString() +
                     QStringLiteral("/mac-terminal?utm_source=lumbrook&utm_medium=app"
                                    "&utm_campaign=lumbrook_20260516&utm_content=tovr_claude")),
            },
            ConsentCopy{
                QStringLiteral("What this app does"),
                {QStringLiteral("Checks what is needed to run Claude Code."),
                 QStringLiteral("Installs the Claude Code CLI and Claude Desktop with Homebrew, "
                                "if you wish."),
                 QStringLiteral("Asks for your permission before installing or changing "
                                "anything.")},
                QStringLiteral("Your privacy and Mac integrity are respected"),
                ConsentCopy::setupPrivacyBullets()
                    << QStringLiteral("Not affiliated with Anthropic.")},
            std::make_shared<InertDiagnosisProfile>(),
            std::nullopt,
            std::nullopt,
            {},
            SetupFlow::setupWorkflow};
        c.spineProvider = std::make_shared<ClaudeSpineProvider>();
        c.verifier = std::make_shared<ClaudeSetupVerifier>();
        c.sharedDomainCopy = claudeSharedDomainCopy();
        c.spinePolicy = claudeSpinePolicy();
        c.prober = std::make_shared<ClaudeSetupProber>();
        c.spineCopy = std::make_shared<ClaudeSpineCopyProvider>();
        c.stageCatalog = std::make_shared<ClaudeStageCatalog>();
        return c;
    }();
    return config;
}

} // namespace tovr
