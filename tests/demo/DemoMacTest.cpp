#include "demo/DemoMac.h"

#include "model/AgentSkill.h"
#include "model/ProductConfig.h"
#include "platform/Error.h"
#include "platform/LiveProcessCancellation.h"
#include "platform/ResourceLocator.h"
#include "platform/SystemProfiler.h"
#include "products/claude/ClaudeSetupProber.h"
#include "products/cli/CliProductConfig.h"
#include "services/CommandLineToolsInstaller.h"
#include "services/GitSetup.h"
#include "services/MCPConfigWriter.h"
#include "services/SetupRemediationRunner.h"
#include "support/FixtureMac.h"
#include "support/QtPrinting.h"
#include "support/TestDemoMac.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

DemoMac::Options fast() {
    return testDemoOptions();
}

// The exit code a fix's run completes with.
std::optional<qint32> completion(EventStream<SetupRemediationRunner::Event> events) {
    std::optional<qint32> code;
    while (auto event = events.next())
        if (auto* done = event->as<SetupRemediationRunner::Event::Completed>())
            code = done->exitCode;
    return code;
}

SystemProfile profileOf(const DemoMac& mac) {
    const AppServices services = mac.services();
    return SystemProfiler{ShellRunner{services.processRunner}, services.fs, mac.environment()}
        .profile();
}

} // namespace

// The demo answers every probe as the new Apple silicon fixture Mac does, through live
// services rather than fixture ones.
TEST(DemoMac, ProfilesAndProbesAsTheNewAppleSiliconMac) {
    const DemoMac demo(fast());
    const FixtureMac fixture(FixtureMac::Kind::newAppleSilicon);
    EXPECT_FALSE(demo.services().isFixtureMode);

    SystemProfile expected = fixture.expectedProfile();
    expected.macosVersion = {14, 6, 1};
    EXPECT_TRUE(profileOf(demo) == expected);

    const ShellRunner demoShell{demo.services().processRunner};
    const ShellRunner fixtureShell{fixture.runner()};
    for (const auto& prober : std::initializer_list<std::shared_ptr<const SetupProber>>{
             cliProduct().prober, std::make_shared<ClaudeSetupProber>()}) {
        const SetupProbeBundle found = prober->probe(demoShell, demo.fs());
        EXPECT_TRUE(found == prober->probe(fixtureShell, fixture.fs()));
        EXPECT_TRUE(found.pathVisiblePrimaryTools.isEmpty());
        EXPECT_TRUE(found.installedPrimaryToolLocations.isEmpty());
        EXPECT_EQ(found.versionExitCode, 127);
    }

    const ProcessResult unknown = demoShell.runInLoginShell("frobnicate --all 2>&1");
    EXPECT_EQ(unknown.exitCode, 127);
    EXPECT_EQ(unknown.stdout_, "zsh:1: command not found: frobnicate\n");
}

// The Homebrew fix downloads the install script, streams the installer's lines and
// completes; from then on the Mac has Homebrew (and the Command Line Tools it brings), and
// a formula installs through it.
TEST(DemoMac, HomebrewFixStreamsThenTheMacHasHomebrew) {
    const DemoMac demo(fast());
    const AppServices services = demo.services();
    SetupRemediationRunner runner;
    runner.process = services.processRunner;
    runner.fs = services.fs;
    runner.http = services.http;

    auto events = runner.run(SetupRemediation::installHomebrew(), "Install Homebrew");
    QStringList lines;
    std::optional<qint32> code;
    while (auto event = events.next()) {
        if (auto* line = event->as<SetupRemediationRunner::Event::Output>())
            lines << line->text;
        else if (auto* done = event->as<SetupRemediationRunner::Event::Completed>())
            code = done->exitCode;
    }
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(lines.contains("==> Installation successful!")) << lines.join('\n').toStdString();

    const SystemProfile after = profileOf(demo);
    EXPECT_EQ(after.homebrewPrefix, "/opt/homebrew/bin/brew");
    EXPECT_EQ(after.xcodeCommandLineToolsPath, "/Library/Developer/CommandLineTools");
    const SetupProbeBundle brew =
        cliProduct().prober->probe(ShellRunner{services.processRunner}, services.fs);
    EXPECT_EQ(brew.pathVisiblePrimaryTools, QStringList{"/opt/homebrew/bin/brew"});
    EXPECT_EQ(brew.versionOutput, "Homebrew 4.4.6");

    runner.brewPath = after.homebrewPrefix;
    auto gh = runner.run(SetupRemediation::installGh(), {});
    std::optional<SetupRemediationRunner::Event> last;
    while (auto event = gh.next())
        last = event;
    ASSERT_TRUE(last && last->as<SetupRemediationRunner::Event::Completed>());
    EXPECT_EQ(last->as<SetupRemediationRunner::Event::Completed>()->exitCode, 0);
    EXPECT_TRUE(
        ClaudeSetupProber{}.probe(ShellRunner{services.processRunner}, services.fs).ghPresent);

    // Claude Code from Homebrew reads a server's options as the real tool does.
    const ShellRunner shell{services.processRunner};
    ASSERT_EQ(shell.runInLoginShell("brew install --cask claude-code").exitCode, 0);
    const ProcessResult added =
        shell.runInLoginShell(MCPConfigWriter::claudeAddCommand("exa", "https://mcp.exa.ai/mcp"));
    EXPECT_EQ(added.stdout_, "Added HTTP MCP server exa with URL: https://mcp.exa.ai/mcp to user "
                             "config\nFile modified: /Users/dev/.claude.json\n");
    EXPECT_TRUE(MCPConfigWriter{services.fs}.isConfigured("exa"));
}

// The bundled example projects are copied from the application's own resources.
TEST(DemoMac, ExampleProjectsComeFromTheBundledResources) {
    const DemoMac demo(fast());
    const AppServices services = demo.services();
    SetupRemediationRunner runner;
    runner.process = services.processRunner;
    runner.fs = services.fs;
    runner.http = services.http;
    auto events = runner.run(SetupRemediation::createProject(ProjectTemplate::simple), {});
    std::optional<qint32> code;
    QStringList lines;
    while (auto event = events.next()) {
        if (auto* line = event->as<SetupRemediationRunner::Event::Output>())
            lines << line->text;
        else if (auto* done = event->as<SetupRemediationRunner::Event::Completed>())
            code = done->exitCode;
    }
    EXPECT_EQ(code, 0) << lines.join('\n').toStdString();
    EXPECT_TRUE(services.fs->fileExists("/Users/dev/Documents/AI-Simple-Project"));
    // As inside an application bundle, the resources cannot be changed.
    EXPECT_THROW(services.fs->createDirectory(resourcesDirectory() + "/skills/new", true),
                 SystemError);
    EXPECT_FALSE(QFileInfo::exists(resourcesDirectory() + "/skills/new"));
}

// The fetched skill is cloned at its pinned revision and installs as on a Mac.
TEST(DemoMac, FetchedSkillInstallsFromItsPinnedRevision) {
    const DemoMac demo(fast());
    const AppServices services = demo.services();
    demo.fs()->createFolder("/Library/Developer/CommandLineTools");
    demo.fs()->createFolder("/Users/dev/.claude");
    SetupRemediationRunner runner;
    runner.process = services.processRunner;
    runner.fs = services.fs;
    runner.http = services.http;
    const auto skills = AgentSkill::catalog(true);
    const auto fetched = std::find_if(skills.cbegin(), skills.cend(), [](const AgentSkill& s) {
        return s.source.as<AgentSkill::Source::Fetch>() != nullptr;
    });
    ASSERT_NE(fetched, skills.cend());
    EXPECT_EQ(completion(runner.run(SetupRemediation::installSkill(*fetched), {})), 0);
    EXPECT_TRUE(
        services.fs->fileExists("/Users/dev/.claude/skills/" + fetched->slug + "/SKILL.md"));
}

// Only the installers' own commands install: a command that merely mentions an installer's
// variable or program runs as written.
TEST(DemoShell, ACommandThatMentionsAnInstallerIsNotThatInstaller) {
    const DemoMac demo(fast());
    demo.fs()->createFolder("/Library/Developer/CommandLineTools");
    const ShellRunner shell{demo.services().processRunner};
    const ProcessResult git = shell.runInLoginShell(
        GitSetup::gitConfigCommands("HOMEBREW_PREFIX fan", "fan@example.com"));
    EXPECT_EQ(git.exitCode, 0) << git.stdout_.toStdString();
    EXPECT_EQ(shell.runInLoginShell("git config --global user.name").stdout_,
              "HOMEBREW_PREFIX fan\n");
    EXPECT_EQ(shell.runInLoginShell("echo softwareupdate CommandLineTools").stdout_,
              "softwareupdate CommandLineTools\n");
    demo.fs()->removeItem("/Library/Developer/CommandLineTools");
    EXPECT_FALSE(profileOf(demo).homebrewPrefix);
    EXPECT_FALSE(profileOf(demo).xcodeCommandLineToolsPath);
}

// Git names are stored as git stores them and read back whole, by the demo's git and, when
// this machine has git, by the real one. The fix names the demo's own file, whatever this
// machine's environment says.
TEST(DemoShell, GitNamesReadBackAsStored) {
    const DemoMac demo(fast());
    demo.fs()->createFolder("/Library/Developer/CommandLineTools");
    const ShellRunner shell{demo.services().processRunner};
    {
        const QByteArray machines = qgetenv("GIT_CONFIG_GLOBAL");
        qputenv("GIT_CONFIG_GLOBAL", "/etc/machine-gitconfig");
        const AppServices services = demo.services();
        SetupRemediationRunner runner;
        runner.process = services.processRunner;
        runner.fs = services.fs;
        runner.toolLocations = services.toolLocations;
        QStringList lines;
        auto events = runner.run(SetupRemediation::configureGit("Ann", "a@b.c"), {});
        while (auto event = events.next())
            if (auto* line = event->as<SetupRemediationRunner::Event::Output>())
                lines << line->text;
        EXPECT_TRUE(lines.contains("Saved to ~/.gitconfig.")) << lines.join('\n').toStdString();
        machines.isNull() ? qunsetenv("GIT_CONFIG_GLOBAL") : qputenv("GIT_CONFIG_GLOBAL", machines);
    }
    const QString hostGit = QStandardPaths::findExecutable("git");
    for (const QString& name : {QStringLiteral("Ann \"Nan\" O'Neil"), QStringLiteral("Ann\nBob"),
                                QStringLiteral("-n"), QStringLiteral(" Tab\tand; #hash\\ ")}) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(shell.runInLoginShell(GitSetup::gitConfigCommands(name, "a@b.c")).exitCode, 0);
        EXPECT_EQ(shell.runInLoginShell("git config --global --get user.name").stdout_,
                  name + '\n');
        EXPECT_EQ(shell.runInLoginShell("git config --global user.email").stdout_, "a@b.c\n");
        if (hostGit.isEmpty())
            continue;
        QProcess real;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("GIT_CONFIG_GLOBAL", demo.fs()->hostPath("/Users/dev/.gitconfig"));
        real.setProcessEnvironment(environment);
        real.start(hostGit, {"config", "--global", "--get", "user.name"});
        ASSERT_TRUE(real.waitForFinished(10000));
        EXPECT_EQ(QString::fromUtf8(real.readAllStandardOutput()), name + '\n');
    }
}

// Cancelling a paced install ends it at once, as a terminated child, with nothing installed.
TEST(DemoMac, CancelledInstallEndsAtOnceAndInstallsNothing) {
    DemoMac::Options slow = fast();
    slow.pace.lineDelay = 10s;
    const DemoMac demo(slow);
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto events = demo.services().processRunner->stream(
        "/usr/bin/sudo", {"-A", "/bin/bash", "-c", CommandLineToolsInstaller::installScript()},
        std::nullopt, handle);

    ASSERT_EQ(events.next(), ProcessStreamEvent::line("Software Update Tool"));
    QElapsedTimer clock;
    clock.start();
    handle->cancel();
    std::optional<ProcessStreamEvent> last;
    while (auto event = events.next())
        last = event;
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(last, ProcessStreamEvent::exited(15));
    EXPECT_FALSE(profileOf(demo).xcodeCommandLineToolsPath);
}
