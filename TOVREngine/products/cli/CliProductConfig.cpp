// The configuration of the product this build ships.
#include "products/cli/CliProductConfig.h"

#include "model/ClaudeStageCatalog.h"
#include "model/ProductConfig.h"
#include "products/brew/BrewProber.h"
#include "products/brew/BrewProductConfig.h"
#include "products/cli/CliSpineCopy.h"
#include "products/cli/CliSpineProvider.h"
#include "products/cli/CliVerifier.h"

namespace tovr {

// The Homebrew product's policy, with Git and the shell files counted as needing no
// Homebrew, and the command line named in the password dialog.
const SpineRenderPolicy& cliSpinePolicy() {
    static const SpineRenderPolicy policy = [] {
        SpineRenderPolicy p = brewSpinePolicy();
        p.homebrewIndependentDomains = {"clt",     "homebrew", "shell-config", "git",
                                        "project", "skills",   "mcp"};
        p.privilegedActionReason = QStringLiteral("Set up the command line");
        return p;
    }();
    return policy;
}

const ProductConfig& cliProduct() {
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
                ConsentCopy::setupPrivacyBullets()},
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
        c.spinePolicy = cliSpinePolicy();
        return c;
    }();
    return config;
}

} // namespace tovr
