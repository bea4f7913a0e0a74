#include "services/SetupRemediationRunner.h"

#include "ServiceTestSupport.h"
#include "platform/ShellQuote.h"
#include "services/AgentEnvDoc.h"
#include "services/CommandLineToolsInstaller.h"
#include "support/FakeExecutables.h"
#include "support/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;
using Event = SetupRemediationRunner::Event;
using Kind = SetupRemediation::Kind;

namespace tovr {
inline void PrintTo(const SetupRemediationRunner::Event& event, std::ostream* os) {
    if (auto* o = event.as<Event::Output>())
        *os << "output(" << o->text.toStdString() << ")";
    else if (auto* c = event.as<Event::Completed>())
        *os << "completed(" << c->exitCode << ")";
    else if (auto* b = event.as<Event::OpenBrowser>())
        *os << "openBrowser(" << b->url.toStdString() << ")";
    else
        *os << "canceled";
}
} // namespace tovr

namespace {

const QString kBrew = "/opt/homebrew/bin/brew";
const QString kNoHomebrew = SetupRemediationRunner::kNoHomebrew;

QList<SetupRemediation> everyFix() {
    const AgentSkill bundled = AgentSkill::catalog(true).first();
    AgentSkill fetched = bundled;
    fetched.source = AgentSkill::Source::fetch("owner/skills", "review", QString(40, 'a'));
    const MCPServer server{"docs", "Docs",       "https://mcp.example/docs",
                           "Docs", std::nullopt, MCPServer::Connection::oauth()};
    return {SetupRemediation::repairPath("/Users/dev/.local/bin"),
            SetupRemediation::createProject(ProjectTemplate::coding),
            SetupRemediation::installSkill(bundled),
            SetupRemediation::installSkill(fetched),
            SetupRemediation::addMCPServer(server, "key"),
            SetupRemediation::configureGit("Ada", "ada@example.com"),
            SetupRemediation::installCommandLineTools(),
            SetupRemediation::installHomebrew(),
            SetupRemediation::installClaudeCLI(),
            SetupRemediation::repairHomebrewPath(),
            SetupRemediation::installWarp(),
            SetupRemediation::installClaudeDesktop(),
            SetupRemediation::installZed(),
            SetupRemediation::installVSCode(),
            SetupRemediation::installCodexCLI(),
            SetupRemediation::installChatGPTDesktop(),
            SetupRemediation::configureShell(),
            SetupRemediation::installUv(),
            SetupRemediation::installMise(),
            SetupRemediation::installNodeViaMise(),
            SetupRemediation::installRubyViaMise(),
            SetupRemediation::installRustViaMise(),
            SetupRemediation::installRustup(),
            SetupRemediation::installTemurin(),
            SetupRemediation::documentEnvironment(),
            SetupRemediation::installGh(),
            SetupRemediation::githubAuth()};
}

bool needsHomebrew(Kind kind) {
    switch (kind) {
    case Kind::installClaudeCLI:
    case Kind::installWarp:
    case Kind::installClaudeDesktop:
    case Kind::installZed:
    case Kind::installVSCode:
    case Kind::installCodexCLI:
    case Kind::installChatGPTDesktop:
    case Kind::installMise:
    case Kind::installTemurin:
    case Kind::installGh:
        return true;
    default:
        return false;
    }
}

QStringList outputs(const QList<Event>& events) {
    QStringList lines;
    for (const auto& e : events)
        if (auto* o = e.as<Event::Output>())
            lines << o->text;
    return lines;
}

class SetupRemediationRunnerTest : public ::testing::Test {
protected:
    SetupRemediationRunnerTest() {
        // Every brew call succeeds; the Mac-only programs are scripted per test.
        fake->answerWhen([](const QString& exe, const QStringList&) { return exe == kBrew; },
                         {ProcessResult{0, "==> Done\n", ""}, {}, {}, {}});
        server.answer("/install.sh", 404, "Not Found");
    }

    SetupRemediationRunner runner(std::optional<QString> brewPath = kBrew) {
        SetupRemediationRunner r;
        r.brewPath = brewPath;
        r.process = fake;
        r.fs = fs;
        r.http = http;
        r.homebrewInstallScriptURL = server.url("/install.sh");
        r.adoptiumBaseURL = server.url("");
        r.sleeper = [](std::chrono::nanoseconds, WorkerTask&) {};
        return r;
    }
    QList<Event> run(const SetupRemediation& fix, std::optional<QString> brewPath = kBrew) {
        return drain(runner(brewPath).run(fix, "Enter your password"));
    }

    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<RecordingFileSystem> fs = std::make_shared<RecordingFileSystem>(sandbox);
    std::shared_ptr<FakeProcessRunner> fake = std::make_shared<FakeProcessRunner>();
    std::shared_ptr<LiveHTTPFetcher> http = std::make_shared<LiveHTTPFetcher>();
    LoopbackHTTPServer server;
};

} // namespace

TEST_F(SetupRemediationRunnerTest, EveryFixEndsInExactlyOneCompletion) {
    // Only brew and sudo answer here: the login-shell fixes cannot start their shell, the
    // sign-in's status check fails with it, and no Homebrew is on disk to repair.
    const QMap<Kind, qint32> failing{{Kind::configureGit, -1},       {Kind::installUv, -1},
                                     {Kind::installRustup, -1},      {Kind::installNodeViaMise, -1},
                                     {Kind::installRubyViaMise, -1}, {Kind::installRustViaMise, -1},
                                     {Kind::githubAuth, 1},          {Kind::repairHomebrewPath, 1}};
    // The file writers' outcomes depend on the Mac; here only their single ending counts.
    const QSet<Kind> writers{Kind::createProject, Kind::installSkill, Kind::addMCPServer,
                             Kind::documentEnvironment};
    fake->answerWhen([](const QString& exe, const QStringList&) { return exe == "/usr/bin/sudo"; },
                     {ProcessResult{0, "", ""}, {}, {}, {}});
    const auto fixes = everyFix();
    QSet<Kind> kinds;
    for (const auto& fix : fixes) {
        SCOPED_TRACE(fix.id().toStdString());
        kinds << fix.kind();
        const auto events = run(fix);
        ASSERT_FALSE(events.isEmpty());
        int terminals = 0;
        for (const auto& e : events)
            terminals += e.isTerminal() ? 1 : 0;
        EXPECT_EQ(terminals, 1);
        ASSERT_TRUE(events.last().as<Event::Completed>());
        const qint32 code = events.last().as<Event::Completed>()->exitCode;
        if (failing.contains(fix.kind())) {
            EXPECT_EQ(code, failing.value(fix.kind()));
        } else if (writers.contains(fix.kind())) {
            continue;
        } else if (fix.kind() == Kind::installHomebrew) {
            EXPECT_EQ(code, -1); // the loopback script answers 404
        } else {
            EXPECT_EQ(code, 0);
        }
    }
    EXPECT_EQ(kinds.size(), 26);
    ASSERT_TRUE(waitForIdleThreads());
}

TEST_F(SetupRemediationRunnerTest, HomebrewRowsNeedBrew) {
    for (const auto& fix : everyFix()) {
        if (!needsHomebrew(fix.kind()))
            continue;
        SCOPED_TRACE(fix.id().toStdString());
        EXPECT_EQ(run(fix, std::nullopt),
                  QList<Event>({Event::output(kNoHomebrew), Event::completed(-1)}));
    }
    EXPECT_EQ(fake->callCount(kBrew), 0);
}

TEST_F(SetupRemediationRunnerTest, WritersHaveEndedWhenRunReturns) {
    for (const auto& fix : everyFix()) {
        if (!SetupRemediationRunner::runsWhileBuilt(fix))
            continue;
        SCOPED_TRACE(fix.id().toStdString());
        auto stream = runner().run(fix, "unused");
        bool timedOut = false;
        std::optional<Event> last;
        while (auto event = stream.next(0ms, &timedOut))
            last = event;
        EXPECT_FALSE(timedOut);
        ASSERT_TRUE(last);
        EXPECT_TRUE(last->isTerminal());
    }
}

TEST_F(SetupRemediationRunnerTest, CaskFollowUpsNeverChangeTheInstallsCode) {
    sandbox->createFile("/Users/dev/.zprofile",
                        "export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n");
    auto claude = run(SetupRemediation::installClaudeCLI());
    EXPECT_EQ(claude.mid(claude.size() - 2),
              QList<Event>({Event::output("Claude Code auto-update is already enabled in "
                                          "~/.zprofile."),
                            Event::completed(0)}));
    EXPECT_EQ(sandbox->contents("/Users/dev/.zprofile"),
              "export CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n");

    sandbox->removeItem("/Users/dev/.zprofile");
    claude = run(SetupRemediation::installClaudeCLI());
    EXPECT_EQ(outputs(claude).last(), "Enabled Claude Code auto-update in ~/.zprofile (backup at "
                                      "/Users/dev/.zprofile.bak).");
    EXPECT_TRUE(sandbox->contents("/Users/dev/.zprofile")
                    .endsWith("\nexport CLAUDE_CODE_PACKAGE_MANAGER_AUTO_UPDATE=1\n"));

    // A failed install leaves the start-up files alone.
    fake->answerWhen([](const QString& exe, const QStringList&) { return exe == kBrew; },
                     {ProcessResult{1, "sudo: a password is required\n", ""}, {}, {}, {}});
    FakeProcessRunner::Answer refused{
        ProcessResult{1, "sudo: a password is required\n", ""}, {}, {}, {}};
    fake->answer(kBrew, {"install", "--cask", "claude-code@latest"}, refused);
    fake->answer(kBrew, {"install", "--cask", "temurin"}, refused);
    fake->answer(kBrew, {"install", "mise"}, {ProcessResult{9, "", ""}, {}, {}, {}});
    const QByteArray before = sandbox->contents("/Users/dev/.zprofile");
    EXPECT_EQ(run(SetupRemediation::installClaudeCLI()).last(), Event::canceled());
    EXPECT_EQ(run(SetupRemediation::installTemurin()),
              QList<Event>({Event::output("sudo: a password is required"), Event::canceled()}));
    EXPECT_EQ(run(SetupRemediation::installMise()), QList<Event>({Event::completed(9)}));
    EXPECT_EQ(sandbox->contents("/Users/dev/.zprofile"), before);
}

TEST_F(SetupRemediationRunnerTest, CasksGetThePromptAndFormulaeDoNot) {
    run(SetupRemediation::installZed());
    run(SetupRemediation::installGh());
    const auto calls = fake->calls();
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0].arguments, QStringList({"install", "--cask", "zed"}));
    EXPECT_TRUE(calls[0].environment->value("SUDO_ASKPASS").endsWith("/askpass.sh"));
    EXPECT_FALSE(calls[0].environment->contains("HOMEBREW_NO_AUTO_UPDATE"));
    EXPECT_EQ(calls[1].arguments, QStringList({"install", "gh"}));
    EXPECT_EQ(calls[1].environment->value("HOMEBREW_NO_AUTO_UPDATE"), "1");
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
    EXPECT_EQ(sandbox->contents(calls[0].environment->value("SUDO_ASKPASS")), QByteArray());
}

TEST_F(SetupRemediationRunnerTest, HomebrewInstallIsForwardedOneToOne) {
    server.answer("/install.sh", 200, "echo hello\n");
    fake->answer("/bin/bash", {"-c", "echo hello\n"},
                 {ProcessResult{0, "hello\n", ""}, {}, {}, {}});
    EXPECT_EQ(run(SetupRemediation::installHomebrew()),
              QList<Event>({Event::output("hello"),
                            Event::output("Note: brew not found in expected locations after "
                                          "install; skipping ~/.zprofile shellenv append."),
                            Event::completed(0)}));
}

TEST_F(SetupRemediationRunnerTest, CommandLineTools) {
    const auto clt = SetupRemediation::installCommandLineTools();
    const QStringList sudoArgs{"-A", "/bin/bash", "-c", CommandLineToolsInstaller::installScript()};

    // Missing sudo: the launch error, and the folder still goes.
    auto events = run(clt);
    EXPECT_EQ(events.mid(1), QList<Event>({Event::output("Couldn't start the install: No such "
                                                         "file or directory"),
                                           Event::completed(-1)}));
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());

    fake->answer("/usr/bin/sudo", sudoArgs,
                 {ProcessResult{0, "Software Update Tool\nDone.\n", ""}, {}, {}, {}});
    EXPECT_EQ(run(clt),
              QList<Event>({Event::output("Installing Apple's Command Line Tools… macOS "
                                          "will ask for your password once. The "
                                          "download can take several minutes — please "
                                          "keep this window open."),
                            Event::output("Software Update Tool"), Event::output("Done."),
                            Event::output("Command Line Tools installed."), Event::completed(0)}));
    const auto call = fake->calls().last();
    EXPECT_TRUE(call.environment->value("SUDO_ASKPASS").startsWith("/tmp/qlm-priv-"));
    EXPECT_TRUE(call.environment->value("PATH").startsWith("/tmp/qlm-priv-"));
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());

    fake->answer("/usr/bin/sudo", sudoArgs, {ProcessResult{1, "", ""}, {}, {}, {}});
    EXPECT_EQ(run(clt).mid(1), QList<Event>({Event::output("The Command Line Tools install did "
                                                           "not complete. You can retry."),
                                             Event::completed(1)}));

    // Already there, even without clang: nothing is asked.
    const int calls = fake->calls().size();
    sandbox->createFolder("/Library/Developer/CommandLineTools");
    EXPECT_EQ(run(clt), QList<Event>({Event::completed(0)}));
    EXPECT_EQ(fake->calls().size(), calls);
    EXPECT_EQ(fs->removals("qlm-priv-"), 3);
}

TEST_F(SetupRemediationRunnerTest, NothingArrivesAfterACancel) {
    // A real child that keeps running until it is terminated.
    FakeExecutables bin;
    const QString brew = bin.write("brew", "echo started\nsleep 30\necho late");
    SetupRemediationRunner live;
    live.brewPath = brew;
    live.process = std::make_shared<LiveProcessRunner>();
    live.fs = fs;
    live.http = http;
    std::mutex lock;
    std::condition_variable arrived;
    QList<Event> seen;
    auto cancel = live.run(SetupRemediation::installZed(), "P").forEach([&](Event e) {
        std::lock_guard guard(lock);
        seen << e;
        arrived.notify_all();
    });
    {
        std::unique_lock guard(lock);
        ASSERT_TRUE(arrived.wait_for(guard, 5s, [&] { return !seen.isEmpty(); }));
    }
    cancel();
    const auto atCancel = [&] {
        std::lock_guard guard(lock);
        return seen;
    }();
    ASSERT_TRUE(waitForIdleThreads());
    std::lock_guard guard(lock);
    EXPECT_EQ(seen, atCancel);
    EXPECT_EQ(seen, QList<Event>({Event::output("started")}));
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(SetupRemediationRunnerTest, CancelsAtAnyMomentGiveAtMostOneEnding) {
    for (int i = 0; i < 40; ++i) {
        std::mutex lock;
        QList<Event> seen;
        bool canceled = false;
        int afterCancel = 0;
        const auto fix = i % 2 ? SetupRemediation::installGh() : SetupRemediation::installZed();
        auto cancel = runner().run(fix, "P").forEach([&](Event e) {
            std::lock_guard guard(lock);
            seen << e;
            afterCancel += canceled ? 1 : 0;
        });
        if (i % 4 < 2)
            std::this_thread::sleep_for(std::chrono::microseconds(50 * i));
        cancel();
        {
            std::lock_guard guard(lock);
            canceled = true;
        }
        ASSERT_TRUE(waitForIdleThreads());
        std::lock_guard guard(lock);
        EXPECT_EQ(afterCancel, 0);
        int terminals = 0;
        for (const auto& e : seen)
            terminals += e.isTerminal() ? 1 : 0;
        EXPECT_LE(terminals, 1);
        if (terminals == 1) {
            EXPECT_TRUE(seen.last().isTerminal());
        }
    }
}

TEST(SetupRemediationRunnerEmitter, LetsOneEndingThrough) {
    auto [stream, continuation] = EventStream<Event>::make();
    SetupRemediationRunner::Emitter emitter(continuation);
    emitter.output("a");
    emitter.openBrowser("https://github.com/login/device", std::nullopt);
    emitter.completed(0);
    emitter.canceled();
    emitter.completed(3);
    emitter.output("late");
    emitter.endIfOpen();
    EXPECT_EQ(
        drain(std::move(stream)),
        QList<Event>({Event::output("a"), Event::openBrowser("https://github.com/login/device"),
                      Event::completed(0)}));
    EXPECT_EQ(Event::openBrowser("u"), Event::openBrowser("u", std::nullopt));
    EXPECT_NE(Event::openBrowser("u", "ABCD-1234"), Event::openBrowser("u"));
}

TEST_F(SetupRemediationRunnerTest, WriterReportsBecomeLinesAndACode) {
    sandbox->createFolder("/Users/dev/.claude");
    const auto events = run(SetupRemediation::documentEnvironment());
    EXPECT_FALSE(outputs(events).isEmpty());
    EXPECT_EQ(events.last(), Event::completed(0));
    EXPECT_TRUE(
        sandbox->contents("/Users/dev/.claude/CLAUDE.md").contains(AgentEnvDoc::kMarkerPhrase));

    // A template that cannot be found is the writer's failure: code 1.
    auto r = runner();
    r.resourcesDir = "/nowhere";
    EXPECT_EQ(drain(r.run(SetupRemediation::createProject(ProjectTemplate::simple), "")).last(),
              Event::completed(1));
}
