#include "platform/SystemProfiler.h"
#include "platform/Probes.h"
#include "support/FixtureMac.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tovr;
using namespace tovr::test;

namespace {

SystemProfile profileOf(const FixtureMac& mac) {
    auto profile = mac.profiler().profile();
    // The folder listing's order is the file system's; compare it as a set.
    profile.javaState.jvmDirContents.sort();
    return profile;
}

class FixtureMacProfile : public ::testing::TestWithParam<FixtureMac::Kind> {};

} // namespace

TEST_P(FixtureMacProfile, MatchesTheMacsDescriptionFieldByField) {
    const FixtureMac mac(GetParam());
    const SystemProfile actual = profileOf(mac);
    const SystemProfile expected = mac.expectedProfile();
    EXPECT_EQ(actual.architecture, expected.architecture);
    EXPECT_EQ(actual.macosVersion, expected.macosVersion);
    EXPECT_EQ(actual.shell, expected.shell);
    EXPECT_EQ(actual.homebrewPrefix, expected.homebrewPrefix);
    EXPECT_EQ(actual.sdkmanRoot, expected.sdkmanRoot);
    EXPECT_EQ(actual.miseExecutable, expected.miseExecutable);
    EXPECT_EQ(actual.jenvRoot, expected.jenvRoot);
    EXPECT_EQ(actual.asdfRoot, expected.asdfRoot);
    EXPECT_EQ(actual.xcodeCommandLineToolsPath, expected.xcodeCommandLineToolsPath);
    EXPECT_EQ(actual.javaState.whichJava, expected.javaState.whichJava);
    EXPECT_EQ(actual.javaState.installedJDKs, expected.javaState.installedJDKs);
    EXPECT_EQ(actual.javaState.jvmDirContents, expected.javaState.jvmDirContents);
    EXPECT_EQ(actual.javaState.javaHomeInActiveShell, expected.javaState.javaHomeInActiveShell);
    EXPECT_EQ(actual.aiTooling.detectedIDs(), expected.aiTooling.detectedIDs());
    EXPECT_EQ(actual.terminals.detectedIDs(), expected.terminals.detectedIDs());
    EXPECT_EQ(actual, expected);
}

INSTANTIATE_TEST_SUITE_P(AllFixtureMacs, FixtureMacProfile,
                         ::testing::ValuesIn(FixtureMac::allKinds()),
                         [](const auto& info) { return FixtureMac::name(info.param); });

TEST(SystemProfiler, LikelyDeveloperAndIdentifiersOfTheFixtureMacs) {
    EXPECT_FALSE(
        FixtureMac(FixtureMac::Kind::newAppleSilicon).expectedProfile().isLikelyDeveloper());
    EXPECT_TRUE(FixtureMac(FixtureMac::Kind::broken).expectedProfile().isLikelyDeveloper());
    const auto dev = FixtureMac(FixtureMac::Kind::developerAppleSilicon).expectedProfile();
    EXPECT_EQ(dev.aiTooling.detectedIDs(),
              (QStringList{"chatgpt-desktop", "claude-code-cli", "claude-desktop", "codex-cli",
                           "cursor", "intellij", "vs-code", "warp", "zed"}));
    EXPECT_EQ(dev.terminals.detectedIDs(), (QStringList{"ghostty", "iterm2", "warp"}));

    SystemProfile onlyAsdfAndJava;
    onlyAsdfAndJava.asdfRoot = "/Users/dev/.asdf";
    onlyAsdfAndJava.javaState.installedJDKs = {{"21", "", "", "/x"}};
    EXPECT_FALSE(onlyAsdfAndJava.isLikelyDeveloper());
    SystemProfile onlyOneTerminal;
    onlyOneTerminal.terminals.kitty = true;
    EXPECT_TRUE(onlyOneTerminal.isLikelyDeveloper());
}

TEST(SystemProfiler, ProfilesDifferingOnlyDeepDownAreUnequal) {
    const auto base = FixtureMac(FixtureMac::Kind::intelWithThreeJDKs).expectedProfile();
    auto reordered = base;
    std::swap(reordered.javaState.installedJDKs[0], reordered.javaState.installedJDKs[1]);
    EXPECT_NE(base, reordered);
    auto patched = base;
    patched.macosVersion.patchVersion += 1;
    EXPECT_NE(base, patched);
    SystemProfile sh = base, dash = base;
    sh.shell = Shell::other("sh");
    dash.shell = Shell::other("dash");
    EXPECT_NE(sh, dash);
}

TEST(SystemProfiler, ReadsTheMachineAsItIsPrinted) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    auto& run = *mac.runner();
    const struct {
        std::optional<QString> printed;
        qint32 exit;
        Architecture expected;
    } cases[] = {
        {"arm64\n", 0, Architecture::appleSilicon}, {"x86_64", 0, Architecture::intel},
        {"ARM64\n", 0, Architecture::unknown},      {"", 0, Architecture::unknown},
        {"arm64\n", 1, Architecture::appleSilicon}, {std::nullopt, 0, Architecture::unknown}};
    for (const auto& c : cases) {
        FakeProcessRunner::Answer a;
        if (c.printed)
            a.result = ProcessResult{c.exit, *c.printed, {}};
        else
            a.launchError = "No such file or directory";
        run.answer("/usr/bin/uname", {"-m"}, a);
        EXPECT_EQ(mac.profiler().profile().architecture, c.expected)
            << (c.printed ? c.printed->toStdString() : "no uname");
    }
}

TEST(SystemProfiler, ShellComesFromTheEnvironment) {
    const struct {
        std::optional<QString> shell;
        Shell expected;
    } cases[] = {{"/bin/zsh", Shell::zsh()},
                 {"/opt/homebrew/bin/fish", Shell::fish()},
                 {"/bin/sh", Shell::other("sh")},
                 {"", Shell::other("unknown")},
                 {std::nullopt, Shell::other("unknown")}};
    for (const auto& c : cases) {
        FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
        QMap<QString, QString> vars;
        if (c.shell)
            vars.insert("SHELL", *c.shell);
        SystemProfiler profiler = mac.profiler();
        profiler.environment =
            std::make_shared<FakeSystemEnvironment>(vars, OperatingSystemVersion{14, 0, 0});
        EXPECT_EQ(profiler.profile().shell, c.expected) << c.shell.value_or("unset").toStdString();
    }
}

TEST(SystemProfiler, PathChecksNeedTheRightKindOfItem) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    auto& fs = *mac.fs();
    fs.createFile("/opt/homebrew/bin/brew", "#!/bin/sh\n", 0644); // not executable
    fs.createExecutable("/usr/local/bin/brew");
    fs.createFolder("/Users/dev/Applications/Claude.app");
    fs.createFile("/Applications/Cursor.app", "");
    fs.createExecutable("/usr/local/bin/claude");
    fs.createFolder("/Applications/IntelliJ IDEA CE.app");
    fs.createFolder("/Applications/Warp.app");
    FakeProcessRunner::Answer emptyButZero;
    emptyButZero.result = ProcessResult{0, "", ""};
    mac.runner()->answer("/usr/bin/which", {"aider"}, emptyButZero);
    fs.createExecutable("/opt/homebrew/bin/aider");
    const auto p = mac.profiler().profile();
    EXPECT_EQ(p.homebrewPrefix, "/usr/local/bin/brew");
    EXPECT_TRUE(p.aiTooling.claudeCodeDesktop);
    EXPECT_FALSE(p.aiTooling.cursor);
    EXPECT_TRUE(p.aiTooling.claudeCodeCLI);
    EXPECT_TRUE(p.aiTooling.aider);
    EXPECT_TRUE(p.aiTooling.intellij);
    EXPECT_TRUE(p.aiTooling.warpApp);
    EXPECT_TRUE(p.terminals.warp);
    // `which mise` ran only because no fixed place held an executable mise.
    EXPECT_EQ(mac.runner()->callCount("/usr/bin/which"), 5);
}

TEST(JavaProbes, BadInputNeverCrashesNorInventsAFinding) {
    FixtureMac mac(FixtureMac::Kind::broken);
    auto& fs = *mac.fs();
    const QString jvm = "/Library/Java/JavaVirtualMachines/";
    // A release file without quotes is still read; one with no usable version falls back
    // to a property list that is cut short, and the entry is left out.
    fs.createFile(jvm + "plain.jdk/Contents/Home/release",
                  "JAVA_VERSION=11.0.2\nIMPLEMENTOR=Plain Vendor\n");
    fs.createFile(jvm + "twice.jdk/Contents/Home/release",
                  "JAVA_VERSION=\"abc\" JAVA_VERSION=\"17\"\n");
    fs.createFile(jvm + "twice.jdk/Contents/Info.plist", QByteArray("bplist00\xd1\x01\x02", 11));
    fs.createFile(jvm + "notafolder.jdk", "a file where a bundle belongs");
    mac.runner()->answer(
        "/usr/libexec/java_home", {"-V"},
        FakeProcessRunner::Answer{{0, "", "\x01\x02garbage (((\n   \n"}, {}, {}, {}});
    const auto bundle = Probes{ShellRunner{mac.runner()}, mac.fs()}.collect();
    ASSERT_EQ(bundle.installedJDKs.size(), 1);
    EXPECT_EQ(bundle.installedJDKs[0],
              (JDKInfo{"11.0.2", "Plain Vendor", "", jvm + "plain.jdk/Contents/Home"}));
    EXPECT_EQ(bundle.jvmDirContents.size(), 5);

    // The JVM folder itself is a file: nothing listed, nothing scanned.
    FixtureMac other(FixtureMac::Kind::newAppleSilicon);
    other.fs()->createFile("/Library/Java/JavaVirtualMachines", "oops");
    const auto none = Probes{ShellRunner{other.runner()}, other.fs()}.collect();
    EXPECT_TRUE(none.jvmDirContents.isEmpty());
    EXPECT_TRUE(none.installedJDKs.isEmpty());
}

TEST(JavaProbes, LoginShellJavaHomeIsTheLastMarkerLine) {
    FixtureMac mac(FixtureMac::Kind::newAppleSilicon);
    const QString script = "echo __QLM_JAVA_HOME__:$JAVA_HOME";
    const Probes probes{ShellRunner{mac.runner()}, mac.fs()};
    const struct {
        QString output;
        std::optional<QString> expected;
    } cases[] = {
        {"noise\n__QLM_JAVA_HOME__:/jdk/Home\n", "/jdk/Home"},
        {"__QLM_JAVA_HOME__:/earlier\n__QLM_JAVA_HOME__:  \n", std::nullopt},
        {"__QLM_JAVA_HOME__:/jdk\ntrailing noise\n", "/jdk"},
        {"no marker at all\n", std::nullopt},
    };
    for (const auto& c : cases) {
        mac.runner()->answerShell(script, c.output);
        EXPECT_EQ(probes.collect().javaHomeInActiveShell, c.expected) << c.output.toStdString();
    }
}
