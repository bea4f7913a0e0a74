#include "model/Remediation.h"

#include "platform/Overloaded.h"

namespace tovr {

namespace {

using R = Remediation;

} // namespace

QString Remediation::id() const {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew& r) { return QStringLiteral("brew:") + r.cask; },
            [](const R::InstallViaSDKMAN& r) { return QStringLiteral("sdkman:") + r.candidate; },
            [](const R::InstallViaMise& r) { return QStringLiteral("mise:") + r.version; },
            [](const R::InstallViaPKG& r) {
                return QStringLiteral("pkg:") + QString::number(r.version);
            },
            [](const R::InstallViaPKGThenJEnv& r) {
                return QStringLiteral("pkg-jenv:") + QString::number(r.version);
            },
            [](const R::WriteJavaHomeToZprofile& r) {
                return QStringLiteral("zprofile:") + r.jdkPath;
            },
            [](const R::SetJavaHomeViaSDKMAN& r) {
                return QStringLiteral("sdkman-home:") + r.candidate;
            },
            [](const R::SetJavaHomeViaMise& r) { return QStringLiteral("mise-home:") + r.version; },
            [](const R::SetJavaHomeViaJenv& r) {
                return QStringLiteral("jenv-home:") + QString::number(r.majorVersion) + u':' +
                       r.jdkPath;
            },
            [](const R::KeepCurrentLegacyJava& r) {
                return QStringLiteral("keep-legacy:") + r.jdkPath;
            },
            [](const R::InstallHomebrewThenTemurin& r) {
                return QStringLiteral("homebrew+brew:") + r.temurinCask;
            },
            [](const R::InstallWarpViaBrew& r) { return QStringLiteral("brew:") + r.cask; },
            [](const R::InstallHomebrewThenWarp& r) {
                return QStringLiteral("homebrew+warp:") + r.warpCask;
            },
            [](const R::InstallHomebrew&) { return QStringLiteral("homebrew"); },
        },
        value_);
}

QString Remediation::title() const {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("Install Temurin via Homebrew (recommended)");
            },
            [](const R::InstallViaSDKMAN&) {
                return QStringLiteral("Install Temurin via SDKMAN (recommended)");
            },
            [](const R::InstallViaMise&) {
                return QStringLiteral("Install Temurin via Mise (recommended)");
            },
            [](const R::InstallViaPKG&) { return QStringLiteral("Install Temurin (recommended)"); },
            [](const R::InstallViaPKGThenJEnv&) {
                return QStringLiteral("Install Temurin and register with jEnv (recommended)");
            },
            [](const R::WriteJavaHomeToZprofile&) {
                return QStringLiteral("Set JAVA_HOME in ~/.zprofile (recommended)");
            },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral("Set JAVA_HOME via SDKMAN (recommended)");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral("Set JAVA_HOME via Mise (recommended)");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral("Set JAVA_HOME via jEnv (recommended)");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral("Keep my current Java (set JAVA_HOME)");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral("Install Homebrew + Java (recommended for developers)");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral("Install Warp (recommended)");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral("Install Warp (recommended)");
            },
            [](const R::InstallHomebrew&) {
                return QStringLiteral("Install Homebrew (recommended)");
            },
        },
        value_);
}

QString Remediation::explanation() const {
    return std::visit(
        Overloaded{
            [](const R::InstallTemurinViaBrew&) {
                return QStringLiteral("Easiest path — one command, handles updates and uninstalls "
                                      "cleanly. Native Apple Silicon builds.");
            },
            [](const R::InstallViaSDKMAN& r) {
                return QStringLiteral("We detected SDKMAN. We'll run `sdk install java ") +
                       r.candidate + QStringLiteral("` and set it as your default Java.");
            },
            [](const R::InstallViaMise& r) {
                return QStringLiteral("We detected Mise. We'll run `mise install java@") +
                       r.version + QStringLiteral("` and set it as your global Java.");
            },
            [](const R::InstallViaPKG&) {
                return QStringLiteral(
                    "No Homebrew or other developer tooling detected. We'll download the Temurin "
                    "installer directly from Adoptium and run it for you.");
            },
            [](const R::InstallViaPKGThenJEnv&) {
                return QStringLiteral("We detected jEnv. We'll install Temurin from Adoptium, "
                                      "then register it with jEnv (`jenv add` + `jenv global`).");
            },
            [](const R::WriteJavaHomeToZprofile&) {
                return QStringLiteral(
                    "We'll append two `export` lines to your `~/.zprofile`, after showing you a "
                    "diff and backing up the existing file to `~/.zprofile.bak`.");
            },
            [](const R::SetJavaHomeViaSDKMAN&) {
                return QStringLiteral(
                    "Sets your default Java via `sdk default java <X>-tem` so JAVA_HOME points to "
                    "the right Java installation in every new shell.");
            },
            [](const R::SetJavaHomeViaMise&) {
                return QStringLiteral(
                    "Runs `mise use -g java@<version>` and ensures Mise's activate hook is in your "
                    "`~/.zshrc` so JAVA_HOME gets set.");
            },
            [](const R::SetJavaHomeViaJenv&) {
                return QStringLiteral(
                    "Enables jEnv's export plugin and ensures your `~/.zshrc` sources jEnv so "
                    "JAVA_HOME gets set in every new shell.");
            },
            [](const R::KeepCurrentLegacyJava&) {
                return QStringLiteral(
                    "We'll point JAVA_HOME at your existing Java by appending two `export` lines "
                    "to `~/.zprofile`, after showing you a diff and backing up the existing file. "
                    "Note: software requiring a newer Java will still not run.");
            },
            [](const R::InstallHomebrewThenTemurin&) {
                return QStringLiteral(
                    "Easiest long-term — Homebrew manages updates and uninstalls cleanly. We'll "
                    "install Homebrew first (which also installs Xcode Command Line Tools), then "
                    "Temurin via Homebrew.");
            },
            [](const R::InstallWarpViaBrew&) {
                return QStringLiteral(
                    "We'll install Warp via Homebrew — one command, native Apple Silicon build.");
            },
            [](const R::InstallHomebrewThenWarp&) {
                return QStringLiteral(
                    "No Homebrew detected. We'll install Homebrew first (macOS will ask for your "
                    "password), then install Warp via Homebrew.");
            },
            [](const R::InstallHomebrew&) {
                return QStringLiteral(
                    "We'll run the official Homebrew install script. macOS will prompt you for "
                    "your password. Homebrew will also install Xcode Command Line Tools as part "
                    "of its setup if they aren't already installed.");
            },
        },
        value_);
}

} // namespace tovr
