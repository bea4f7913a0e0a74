#include "model/Remediation.h"

#include <gtest/gtest.h>

using namespace tovr;

namespace {

struct FixText {
    Remediation fix;
    const char* id;
    const char* title;
    const char* explanation;
};

} // namespace

TEST(Remediation, IdsTitlesAndExplanationsOfEveryFix) {
    const FixText table[] = {
        {Remediation::installTemurinViaBrew("temurin@21"), "brew:temurin@21",
         "Install Temurin via Homebrew (recommended)",
         "Easiest path — one command, handles updates and uninstalls cleanly. Native Apple "
         "Silicon builds."},
        {Remediation::installViaSDKMAN("25-tem"), "sdkman:25-tem",
         "Install Temurin via SDKMAN (recommended)",
         "We detected SDKMAN. We'll run `sdk install java 25-tem` and set it as your default "
         "Java."},
        {Remediation::installViaMise("temurin-25"), "mise:temurin-25",
         "Install Temurin via Mise (recommended)",
         "We detected Mise. We'll run `mise install java@temurin-25` and set it as your global "
         "Java."},
        {Remediation::installViaPKG(25), "pkg:25", "Install Temurin (recommended)",
         "No Homebrew or other developer tooling detected. We'll download the Temurin installer "
         "directly from Adoptium and run it for you."},
        {Remediation::installViaPKGThenJEnv(21), "pkg-jenv:21",
         "Install Temurin and register with jEnv (recommended)",
         "We detected jEnv. We'll install Temurin from Adoptium, then register it with jEnv "
         "(`jenv add` + `jenv global`)."},
        {Remediation::writeJavaHomeToZprofile("/Library/Java/JavaVirtualMachines/t.jdk/Home"),
         "zprofile:/Library/Java/JavaVirtualMachines/t.jdk/Home",
         "Set JAVA_HOME in ~/.zprofile (recommended)",
         "We'll append two `export` lines to your `~/.zprofile`, after showing you a diff and "
         "backing up the existing file to `~/.zprofile.bak`."},
        {Remediation::setJavaHomeViaSDKMAN("21.0.1-tem"), "sdkman-home:21.0.1-tem",
         "Set JAVA_HOME via SDKMAN (recommended)",
         "Sets your default Java via `sdk default java <X>-tem` so JAVA_HOME points to the right "
         "Java installation in every new shell."},
        {Remediation::setJavaHomeViaMise("21"), "mise-home:21",
         "Set JAVA_HOME via Mise (recommended)",
         "Runs `mise use -g java@<version>` and ensures Mise's activate hook is in your "
         "`~/.zshrc` so JAVA_HOME gets set."},
        {Remediation::setJavaHomeViaJenv("/opt/jdk-21/Home", 21), "jenv-home:21:/opt/jdk-21/Home",
         "Set JAVA_HOME via jEnv (recommended)",
         "Enables jEnv's export plugin and ensures your `~/.zshrc` sources jEnv so JAVA_HOME "
         "gets set in every new shell."},
        {Remediation::keepCurrentLegacyJava("/opt/jdk-8/Home"), "keep-legacy:/opt/jdk-8/Home",
         "Keep my current Java (set JAVA_HOME)",
         "We'll point JAVA_HOME at your existing Java by appending two `export` lines to "
         "`~/.zprofile`, after showing you a diff and backing up the existing file. Note: "
         "software requiring a newer Java will still not run."},
        {Remediation::installHomebrewThenTemurin("temurin"), "homebrew+brew:temurin",
         "Install Homebrew + Java (recommended for developers)",
         "Easiest long-term — Homebrew manages updates and uninstalls cleanly. We'll install "
         "Homebrew first (which also installs Xcode Command Line Tools), then Temurin via "
         "Homebrew."},
        {Remediation::installWarpViaBrew("warp"), "brew:warp", "Install Warp (recommended)",
         "We'll install Warp via Homebrew — one command, native Apple Silicon build."},
        {Remediation::installHomebrewThenWarp("warp"), "homebrew+warp:warp",
         "Install Warp (recommended)",
         "No Homebrew detected. We'll install Homebrew first (macOS will ask for your password), "
         "then install Warp via Homebrew."},
        {Remediation::installHomebrew(), "homebrew", "Install Homebrew (recommended)",
         "We'll run the official Homebrew install script. macOS will prompt you for your "
         "password. Homebrew will also install Xcode Command Line Tools as part of its setup if "
         "they aren't already installed."},
    };
    static_assert(std::size(table) == std::variant_size_v<Remediation::Value>);
    for (size_t i = 0; i < std::size(table); ++i) {
        const auto& row = table[i];
        SCOPED_TRACE(row.id);
        EXPECT_EQ(row.fix.value().index(), i) << "rows follow the case order";
        EXPECT_EQ(row.fix.id(), QString::fromUtf8(row.id));
        EXPECT_EQ(row.fix.title(), QString::fromUtf8(row.title));
        EXPECT_EQ(row.fix.explanation(), QString::fromUtf8(row.explanation));
    }
}

TEST(Remediation, FixedTextsIgnoreThePayloadButIdsDoNot) {
    const std::pair<Remediation, Remediation> pairs[] = {
        {Remediation::installTemurinViaBrew("temurin"),
         Remediation::installTemurinViaBrew("temurin@21")},
        {Remediation::installViaPKG(21), Remediation::installViaPKG(25)},
        {Remediation::setJavaHomeViaJenv("/a", 21), Remediation::setJavaHomeViaJenv("/a", 25)},
    };
    for (const auto& [a, b] : pairs) {
        EXPECT_EQ(a.title(), b.title());
        EXPECT_EQ(a.explanation(), b.explanation());
        EXPECT_NE(a.id(), b.id());
        EXPECT_NE(a, b);
    }
}

TEST(Remediation, EqualityNeedsTheSameCaseAndPayload) {
    EXPECT_EQ(Remediation::installViaPKG(21), Remediation::installViaPKG(21));
    EXPECT_NE(Remediation::installViaPKG(21), Remediation::installViaPKGThenJEnv(21));
    EXPECT_NE(Remediation::writeJavaHomeToZprofile("/opt/jdk"),
              Remediation::keepCurrentLegacyJava("/opt/jdk"));
    EXPECT_NE(Remediation::setJavaHomeViaJenv("/a", 21), Remediation::setJavaHomeViaJenv("/b", 21));
    // Different fixes, one id: the two Homebrew cask installs share their prefix.
    EXPECT_NE(Remediation::installTemurinViaBrew("x"), Remediation::installWarpViaBrew("x"));
    EXPECT_EQ(Remediation::installTemurinViaBrew("x").id(),
              Remediation::installWarpViaBrew("x").id());
}
