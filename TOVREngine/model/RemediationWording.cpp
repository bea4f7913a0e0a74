#include "model/RemediationWording.h"

#include "model/ProductConfig.h"
#include "platform/Overloaded.h"

namespace tovr {

namespace {

using R = Remediation;

} // namespace

QString RemediationWording::failureMessage(qint32 exitCode) {
    return QStringLiteral("Install failed (exit code ") + QString::number(exitCode) +
           QStringLiteral("). The article at [Lumbrook](") +
           ProductConfig::current().urls.troubleshooting.toString(QUrl::FullyEncoded) +
           QStringLiteral(") may help.");
}

QString RemediationWording::title(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("Installing Temurin via Homebrew");
            },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Installing Temurin via SDKMAN");
            },
            [](const R::InstallViaMise&) { return QStringLiteral("Installing Temurin via Mise"); },
            [](const R::InstallViaPKG& r) {
                return QStringLiteral("Installing Temurin ") + QString::number(r.version) +
                       QStringLiteral(" (direct PKG)");
            },
            [](const R::InstallViaPKGThenJEnv& r) {
                return QStringLiteral("Installing Temurin ") + QString::number(r.version) +
                       QStringLiteral(" and registering with jEnv");
            },
            [](const R::WriteJavaHomeToZprofile&) { return QStringLiteral("Set JAVA_HOME"); },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Setting JAVA_HOME via SDKMAN");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Setting JAVA_HOME via Mise");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral("Setting JAVA_HOME via jEnv");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral("Set JAVA_HOME to current Java");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Installing Homebrew + Temurin");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral("Installing Warp via Homebrew");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Installing Homebrew + Warp");
            },
            [](const R::InstallHomebrew&) { return QStringLiteral("Installing Homebrew"); },
        },
        remediation.value());
}

QString RemediationWording::subtitle(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("macOS will ask for your password so brew can install "
                                      "Temurin to /Library/Java/JavaVirtualMachines/.");
            },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Running `sdk install java <X>-tem` via your login zsh.");
            },
            [](const R::InstallViaMise&) {
                return QStringLiteral("Running `mise install java@temurin-<X>` and `mise use -g`.");
            },
            [](const R::InstallViaPKG&) {
                return QStringLiteral("We'll download the Temurin installer from Adoptium, verify "
                                      "its checksum, and ask macOS for permission to install.");
            },
            [](const R::InstallViaPKGThenJEnv&) {
                return QStringLiteral("PKG install first, then `jenv add` and `jenv global`. macOS "
                                      "will ask for your password for the installer step.");
            },
            [](const R::WriteJavaHomeToZprofile&) { return QString(); },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Running `sdk default java <X>-tem`.");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Running `mise use -g java@temurin-<X>` and ensuring "
                                      "`~/.zshrc` activates Mise.");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral(
                    "Enabling jEnv's export plugin and registering your Java installation.");
            },
            [](const R::KeepCurrentLegacyJava&) { return QString(); },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Two phases: install Homebrew first (with Xcode Command Line "
                                      "Tools as a side-effect if needed), then install Temurin via "
                                      "Homebrew.");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral("Homebrew will install Warp to /Applications/.");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Two phases: install Homebrew first (macOS will ask for your "
                                      "password), then install Warp via Homebrew.");
            },
            [](const R::InstallHomebrew&) {
                return QStringLiteral("Running the official Homebrew install script. macOS will "
                                      "ask for your password; if Xcode Command Line Tools aren't "
                                      "installed, a separate Apple dialog will appear during "
                                      "install.");
            },
        },
        remediation.value());
}

QString RemediationWording::successMessage(const Remediation& remediation) {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) { return QStringLiteral("Temurin installed."); },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Installed Temurin via SDKMAN.");
            },
            [](const R::InstallViaMise&) { return QStringLiteral("Installed Temurin via Mise."); },
            [](const R::InstallViaPKG&) { return QStringLiteral("Temurin installed."); },
            [](const R::InstallViaPKGThenJEnv&) { return QStringLiteral("Temurin installed."); },
            [](const R::WriteJavaHomeToZprofile&) {
                return QStringLiteral("JAVA_HOME set in ~/.zprofile.");
            },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Set the SDKMAN default Java.");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Configured Mise to set JAVA_HOME.");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral("Configured jEnv to set JAVA_HOME.");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral("JAVA_HOME set to your current Java in ~/.zprofile.");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Homebrew + Temurin installed.");
            },
            [](const R::InstallWarpViaBrew&) { return QStringLiteral("Warp installed."); },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Homebrew + Warp installed.");
            },
            [](const R::InstallHomebrew&) { return QStringLiteral("Homebrew installed."); },
        },
        remediation.value());
}

} // namespace tovr
