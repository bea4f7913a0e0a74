#include "services/BrewRunner.h"

#include "ServiceTestSupport.h"
#include "model/ProductConfig.h"
#include "platform/LoginEnvironmentRunner.h"
#include "platform/ShellQuote.h"
#include "services/Sha256Hex.h"
#include "support/FakeExecutables.h"
#include "support/LoopbackHTTPServer.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;
using Event = BrewRunner::Event;

namespace {

// A `brew` that logs each call (arguments, HOMEBREW_NO_AUTO_UPDATE, SUDO_ASKPASS, the first
// PATH entry) and then runs the script written for that call's number, if any.
const char* kFakeBrew = R"(d=%1
n=$(( $(cat "$d/count" 2>/dev/null || echo 0) + 1 ))
echo "$n" > "$d/count"
echo "$*|${HOMEBREW_NO_AUTO_UPDATE-unset}|${SUDO_ASKPASS-unset}|${PATH%%:*}" >> "$d/log"
[ -f "$d/step$n" ] && . "$d/step$n"
exit 0)";

const QByteArray kAssetsPath = "/v3/assets/latest/21/hotspot";
const QString kLeftover = "Error: It seems there is already an App at '/Applications/Zed.app'.";
const QString kRetryMessage = "That didn’t work — retrying once in a moment…";

class BrewRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        brew = bin.write("brew", QString(kFakeBrew).arg(shellQuote(bin.dir())));
    }

    BrewRunner runner() {
        return BrewRunner{brew,
                          process,
                          http,
                          fs,
                          PrivilegedExecutor{fs, nullptr},
                          AdoptiumAPI{http, server.url("")},
                          [this](std::chrono::nanoseconds d, WorkerTask& task) {
                              pauses << d;
                              if (onPause)
                                  onPause(task);
                          }};
    }

    // What the `brew` call with this number prints and how it exits.
    void step(int n, const QString& body) {
        QFile f(bin.dir() + QString("/step%1").arg(n));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(body.toUtf8());
    }
    // One "args|HOMEBREW_NO_AUTO_UPDATE|SUDO_ASKPASS|first PATH entry" line per call.
    QList<QStringList> calls() const {
        QFile f(bin.dir() + "/log");
        QList<QStringList> out;
        if (f.open(QIODevice::ReadOnly))
            for (const auto& line : QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts))
                out << line.split('|');
        return out;
    }
    QStringList callArguments() const {
        QStringList out;
        for (const auto& c : calls())
            out << c[0];
        return out;
    }
    QList<Event>
    cask(const QString& name,
         const BrewRunner::CaskRecoveryPolicy& policy = BrewRunner::CaskRecoveryPolicy::none()) {
        return drain(runner().installCask(name, "P", policy));
    }

    // The Adoptium answer for Java 21 pointing at the loopback package.
    void servePackage(const QByteArray& payload, const QString& checksum) {
        const QString json = QString(R"([{"binary":{"installer":{"checksum":"%1","link":"%2",
            "name":"x.pkg"}},"release_name":"jdk-21.0.4+7"}])")
                                 .arg(checksum, server.url("/pkg").toString());
        server.answer(kAssetsPath, 200, json.toUtf8());
        server.answer("/pkg", 200, payload);
    }
    QString cachedPackage() const {
        return "/Users/dev/Library/Caches/" + ProductConfig::current().cacheDirName +
               "/temurin-21-" + AdoptiumAPI::buildArchitecture() + ".pkg";
    }

    FakeExecutables bin;
    QString brew;
    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<RecordingFileSystem> fs = std::make_shared<RecordingFileSystem>(sandbox);
    std::shared_ptr<FakeProcessRunner> fake = std::make_shared<FakeProcessRunner>();
    std::shared_ptr<RoutingProcessRunner> process =
        std::make_shared<RoutingProcessRunner>(QStringList{"/usr/bin/osascript"}, fake);
    LoopbackHTTPServer server;
    std::shared_ptr<SandboxedHTTPFetcher> http = std::make_shared<SandboxedHTTPFetcher>(sandbox);
    QList<std::chrono::nanoseconds> pauses;
    std::function<void(WorkerTask&)> onPause;
};

const QString kBypassed = "echo 'sudo: a terminal is required to read the password; either use "
                          "the -S option to read from standard input or configure an askpass "
                          "helper'\necho 'sudo: a password is required'\nexit 1\n";

} // namespace

TEST_F(BrewRunnerTest, LeftoverFileGetsOneForcedInstallAndNoRetry) {
    step(1, "echo \"" + kLeftover + "\"\nexit 1\n");
    step(2, "echo 'Error: still blocked'\nexit 3\n");
    EXPECT_EQ(cask("zed"),
              QList<Event>({Event::output(kLeftover), Event::output(""),
                            Event::output("A leftover file is blocking the install. Retrying "
                                          "with `brew install --cask --force zed`…"),
                            Event::output("Error: still blocked"), Event::completed(3)}));
    EXPECT_EQ(callArguments(), QStringList({"install --cask zed", "install --cask --force zed"}));
    EXPECT_TRUE(pauses.isEmpty());

    // Cask runs ask through the dialog and leave auto-update alone; the folder goes once.
    for (const auto& call : calls()) {
        EXPECT_EQ(call[1], "unset");
        EXPECT_TRUE(call[2].startsWith("/tmp/qlm-priv-") && call[2].endsWith("/askpass.sh"));
        EXPECT_EQ(call[3] + "/askpass.sh", call[2]);
    }
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(BrewRunnerTest, ForcedInstallEndings) {
    step(1, "echo \"" + kLeftover.toUpper() + "\"\nexit 1\n"); // phrases ignore case
    EXPECT_EQ(cask("zed").last(), Event::completed(0));

    QFile::remove(bin.dir() + "/count");
    step(1, "echo \"" + kLeftover + "\"\nexit 1\n");
    step(2, "echo 'sudo: a password is required'\nexit 1\n");
    EXPECT_EQ(cask("zed").last(), Event::canceled());
    EXPECT_TRUE(pauses.isEmpty());
}

TEST_F(BrewRunnerTest, OtherFailuresRetryOnceAfterThePause) {
    step(1, "echo 'Error: Download failed'\nexit 1\n");
    step(2, "echo 'Error: Download failed again'\nexit 4\n");
    const auto events = cask("warp");
    EXPECT_EQ(events.mid(1),
              QList<Event>({Event::output(""), Event::output(kRetryMessage),
                            Event::output("Error: Download failed again"), Event::completed(4)}));
    EXPECT_EQ(pauses, QList<std::chrono::nanoseconds>({2s}));
    EXPECT_EQ(callArguments(), QStringList({"install --cask warp", "install --cask warp"}));
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);

    // A `brew` that cannot start counts as a failure without words: the retry follows.
    BrewRunner missing = runner();
    missing.brewPath = bin.dir() + "/no-such-brew";
    const auto notStarted = drain(missing.installCask("warp", "P", {}));
    EXPECT_TRUE(notStarted[0].as<Event::Output>()->text.startsWith("Failed to start brew: "));
    EXPECT_EQ(notStarted.last(), Event::completed(-1));
    EXPECT_EQ(pauses.size(), 2);
}

TEST_F(BrewRunnerTest, RefusedPasswordEndsAsCanceledWithoutRetry) {
    step(1, "echo 'sudo: a password is required'\nexit 1\n");
    EXPECT_EQ(cask("zed"),
              QList<Event>({Event::output("sudo: a password is required"), Event::canceled()}));
    // Without a package fallback the bypass phrases count as a refusal too.
    QFile::remove(bin.dir() + "/count");
    step(1, kBypassed);
    EXPECT_EQ(cask("zed").last(), Event::canceled());
    EXPECT_EQ(callArguments().size(), 2);
    EXPECT_TRUE(pauses.isEmpty());
}

TEST_F(BrewRunnerTest, StaleCaskroomIsReinstalledOnlyWhenThePolicyAsks) {
    step(1, "echo 'Warning: Not upgrading temurin, the latest version is already installed'\n");
    BrewRunner::CaskRecoveryPolicy stale;
    int asked = 0;
    stale.staleCaskroom = {[&] { return ++asked > 0; }, "the JDK is gone"};
    const auto events = cask("temurin", stale);
    EXPECT_EQ(events.mid(1, 2),
              QList<Event>({Event::output(""),
                            Event::output("Homebrew reports temurin is already installed, but the "
                                          "JDK is gone. Retrying with `brew reinstall --cask "
                                          "temurin`…")}));
    EXPECT_EQ(events.last(), Event::completed(0));
    EXPECT_EQ(callArguments(), QStringList({"install --cask temurin", "reinstall --cask temurin"}));
    EXPECT_EQ(asked, 1);

    QFile::remove(bin.dir() + "/count");
    EXPECT_EQ(cask("temurin").last(), Event::completed(0));
    EXPECT_EQ(callArguments().size(), 3);
}

TEST_F(BrewRunnerTest, CancelDuringThePauseStartsNothingMore) {
    step(1, "echo 'Error: flaky'\nexit 1\n");
    // As the stream's termination would: the task is canceled while it waits.
    onPause = [](WorkerTask& task) { task.cancel(); };
    QList<Event> events;
    WorkerTask task;
    runner().installCask(
        "zed", "P", BrewRunner::CaskRecoveryPolicy::none(), [&](Event e) { events << e; }, task);
    EXPECT_EQ(events.last(), Event::canceled());
    EXPECT_EQ(callArguments().size(), 1);
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);

    // Through the stream: dropping it ends the real wait at once.
    QFile::remove(bin.dir() + "/count");
    QFile::remove(bin.dir() + "/log");
    onPause = [](WorkerTask& task) { task.sleepFor(30s); };
    auto stream = runner().installCask("zed", "P", BrewRunner::CaskRecoveryPolicy::none());
    while (auto e = stream.next())
        if (*e == Event::output(kRetryMessage))
            break;
    const auto started = std::chrono::steady_clock::now();
    stream.cancel();
    ASSERT_TRUE(waitForIdleThreads());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(callArguments().size(), 1);
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(BrewRunnerTest, DroppingTheStreamTerminatesARunningBrew) {
    step(1, "echo started\nsleep 30\n");
    auto stream = runner().installCask("zed", "P", BrewRunner::CaskRecoveryPolicy::none());
    EXPECT_EQ(stream.next(), Event::output("started"));
    const auto started = std::chrono::steady_clock::now();
    stream.cancel();
    ASSERT_TRUE(waitForIdleThreads());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(callArguments().size(), 1);
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(BrewRunnerTest, FailedPasswordSetupRunsNothing) {
    fs->failSetAttributes("askpass.sh");
    const auto events = cask("zed");
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(events[0].as<Event::Output>()->text.startsWith(
        "Failed to set up privileged executor: Operation not permitted: /tmp/qlm-priv-"));
    EXPECT_EQ(events[1], Event::completed(-1));
    EXPECT_TRUE(calls().isEmpty());
}

TEST_F(BrewRunnerTest, FormulaInstallTurnsAutoUpdateOff) {
    step(1, "echo '==> Pouring gh'\nexit 0\n");
    EXPECT_EQ(collect<WorkerTask>(runner(), &BrewRunner::installFormula, QString("gh")),
              QList<Event>({Event::output("==> Pouring gh"), Event::completed(0)}));
    ASSERT_EQ(calls().size(), 1);
    EXPECT_EQ(calls()[0].mid(0, 3), QStringList({"install gh", "1", "unset"}));

    step(2, "exit 7\n");
    EXPECT_EQ(collect<WorkerTask>(runner(), &BrewRunner::installFormula, QString("gh")),
              QList<Event>({Event::completed(7)}));

    // The environment it starts from is the login shell's, not the application's.
    ToolLocations login;
    login.environment = {{"PATH", "/login/bin:/usr/bin:/bin"}};
    BrewRunner fromLogin = runner();
    fromLogin.process =
        std::make_shared<LoginEnvironmentRunner>(process, ToolLocationsSource::fixed(login));
    collect<WorkerTask>(fromLogin, &BrewRunner::installFormula, QString("gh"));
    ASSERT_EQ(calls().size(), 3);
    EXPECT_EQ(calls()[2].mid(1), QStringList({"1", "unset", "/login/bin"}));
}

TEST_F(BrewRunnerTest, PackageFallbackDownloadsChecksAndInstalls) {
    const QByteArray payload(70'000, 'j');
    servePackage(payload, sha256HexOf(payload));
    fake->answerWhen(
        [](const QString& exe, const QStringList&) { return exe.endsWith("osascript"); },
        {ProcessResult{0, "", ""}, {}, {}, {}});
    step(1, kBypassed);
    const auto events = cask("temurin@21", runner().temurinRecoveryPolicy());
    const QString arch = AdoptiumAPI::buildArchitecture();
    EXPECT_EQ(events.mid(2),
              QList<Event>({Event::output(""),
                            Event::output("Homebrew bypassed our sudo wrapper. Falling back to "
                                          "direct .pkg install…"),
                            Event::output("Looking up Temurin 21 (" + arch + ") on Adoptium…"),
                            Event::output("GET " + server.url("/pkg").toString()),
                            Event::output("Saved to " + cachedPackage()),
                            Event::output("Verifying download checksum…"),
                            Event::output("Running /usr/sbin/installer (macOS will ask for your "
                                          "password)…"),
                            Event::output("Installer completed."), Event::completed(0)}));
    EXPECT_EQ(sandbox->contents(cachedPackage()), payload);
    EXPECT_EQ(callArguments().size(), 1);
    EXPECT_TRUE(pauses.isEmpty());
    EXPECT_EQ(server.requests(kAssetsPath)[0].target,
              kAssetsPath + "?architecture=" + arch.toUtf8() + "&image_type=jdk&os=mac");

    const auto installer = fake->calls();
    ASSERT_EQ(installer.size(), 1);
    EXPECT_EQ(installer[0].arguments,
              QStringList({"-e", "do shell script \"/usr/sbin/installer -pkg '" + cachedPackage() +
                                     "' -target /\" with administrator privileges with prompt "
                                     "\"P\""}));
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);
}

TEST_F(BrewRunnerTest, PackageFallbackFailures) {
    step(1, kBypassed);
    const auto policy = runner().temurinRecoveryPolicy();
    auto ending = [&](const QString& cask) {
        QFile::remove(bin.dir() + "/count");
        const auto events = this->cask(cask, policy);
        return events.mid(events.size() - 2);
    };

    // A package that does not match its checksum is kept but never installed.
    const QByteArray payload("not the real package");
    const QString published(64, 'a');
    servePackage(payload, published);
    EXPECT_EQ(ending("temurin@21"),
              QList<Event>({Event::output("Fallback failed: Checksum mismatch (expected " +
                                          published + ", got " + sha256HexOf(payload) + ")"),
                            Event::completed(1)}));
    EXPECT_EQ(sandbox->contents(cachedPackage()), payload);
    EXPECT_TRUE(fake->calls().isEmpty());

    server.answer("/pkg", 404, "gone");
    EXPECT_EQ(ending("temurin@21"),
              QList<Event>({Event::output("Fallback failed: Install-asset download HTTP error"),
                            Event::completed(1)}));

    EXPECT_EQ(ending("temurin@abc"),
              QList<Event>({Event::output("Fallback failed: Bad Temurin major version: abc"),
                            Event::completed(1)}));
    // No "@": the default major version is looked up.
    ending("temurin");
    EXPECT_EQ(server.requests("/v3/assets/latest/25/hotspot").size(), 1);
    EXPECT_TRUE(fake->calls().isEmpty());
}

TEST_F(BrewRunnerTest, InstallerDialogCancelIsACancel) {
    const QByteArray payload("pkg");
    servePackage(payload, sha256HexOf(payload));
    fake->answerWhen(
        [](const QString& exe, const QStringList&) { return exe.endsWith("osascript"); },
        {ProcessResult{1, "0:1: execution error: User canceled. (-128)\n", ""}, {}, {}, {}});
    step(1, kBypassed);
    EXPECT_EQ(cask("temurin@21", runner().temurinRecoveryPolicy()).last(), Event::canceled());
}

TEST_F(BrewRunnerTest, InstallerOutcomes) {
    CancellableProcess latch;
    fake->answer("/usr/bin/osascript", {"-e", BrewRunner::installerAppleScript("/p.pkg", "P")},
                 {ProcessResult{1, "\n  installer: Error - bad package  \n", ""}, {}, {}, {}});
    auto outcome = runner().runInstaller("/p.pkg", "P", latch);
    EXPECT_EQ(outcome.kind, BrewRunner::InstallerOutcome::Kind::failed);
    EXPECT_EQ(outcome.message, "installer: Error - bad package");

    fake->answer("/usr/bin/osascript", {"-e", BrewRunner::installerAppleScript("/q.pkg", "P")},
                 {ProcessResult{5, "", ""}, {}, {}, {}});
    EXPECT_EQ(runner().runInstaller("/q.pkg", "P", latch).message, "osascript exited 5");
}

TEST(BrewRunnerScript, APackagePathCannotRunCommands) {
    EXPECT_EQ(BrewRunner::installerAppleScript("/p.pkg", "P"),
              "do shell script \"/usr/sbin/installer -pkg '/p.pkg' -target /\" with "
              "administrator privileges with prompt \"P\"");

    // Undo the AppleScript escaping as osascript does, then let a real shell run the command
    // with `installer` standing in as a program that prints its arguments.
    const QString path = R"(/tmp/a "b" $(touch pwned) `touch pwned` it's \ x.pkg)";
    const QString script = BrewRunner::installerAppleScript(path, R"(say "yes" \ no)");
    const QString prefix = "do shell script \"";
    const qsizetype end = script.indexOf("\" with administrator privileges");
    QString command = script.mid(prefix.size(), end - prefix.size());
    command.replace("\\\"", "\"").replace("\\\\", "\\");
    command.replace("/usr/sbin/installer", "printf '%s\\n'");
    EXPECT_TRUE(script.endsWith(R"(with prompt "say \"yes\" \\ no")"));

    QTemporaryDir dir;
    LiveProcessRunner live;
    const auto result =
        live.run("/bin/sh", {"-c", "cd " + shellQuote(dir.path()) + " && " + command});
    EXPECT_EQ(result.stdout_, "-pkg\n" + path + "\n-target\n/\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("pwned")));
}

TEST(BrewRunnerPhrases, DecideOnTheLowerCasedOutput) {
    EXPECT_TRUE(BrewRunner::isAlreadyInstalledNotice(u"not upgrading x, already installed"));
    EXPECT_FALSE(BrewRunner::isAlreadyInstalledNotice(u"already installed"));
    EXPECT_TRUE(
        BrewRunner::isSudoWrapperBypassed(u"a terminal is required\na password is required"));
    EXPECT_FALSE(BrewRunner::isSudoWrapperBypassed(u"a terminal is required"));
    EXPECT_FALSE(BrewRunner::isAuthenticationFailure(u"a terminal is required"));
    for (auto phrase : {u"a password is required", u"user canceled", u"sudo_askpass",
                        u"no askpass program", u"authentication failed"})
        EXPECT_TRUE(BrewRunner::isAuthenticationFailure(phrase));
}

TEST(BrewRunnerTemurin, InstalledMeansAnExecutableJavaInTheRightBundle) {
    auto fs = std::make_shared<SandboxFileSystem>();
    const BrewRunner runner{"/opt/homebrew/bin/brew", nullptr, nullptr, fs, {fs, nullptr}, {}, {}};
    const QString jvms = "/Library/Java/JavaVirtualMachines/";
    EXPECT_FALSE(runner.isTemurinInstalled("temurin"));

    fs->createFolder(jvms + "temurin-17.jdk/Contents/Home/bin");
    fs->createFile(jvms + "temurin-17.jdk/Contents/Home/bin/java", "", 0644);
    fs->createExecutable(jvms + "zulu-21.jdk/Contents/Home/bin/java");
    EXPECT_FALSE(runner.isTemurinInstalled("temurin@17"));
    EXPECT_FALSE(runner.isTemurinInstalled("temurin"));
    EXPECT_TRUE(runner.temurinRecoveryPolicy().staleCaskroom->artifactMissing());

    fs->createExecutable(jvms + "temurin-21.jdk/Contents/Home/bin/java");
    EXPECT_TRUE(runner.isTemurinInstalled("temurin"));
    EXPECT_TRUE(runner.isTemurinInstalled("temurin@21"));
    EXPECT_FALSE(runner.isTemurinInstalled("temurin@17"));
    EXPECT_TRUE(runner.isTemurinInstalled("temurin@")); // nothing after "@": any bundle
    EXPECT_FALSE(runner.temurinRecoveryPolicy().staleCaskroom->artifactMissing());

    const auto fallback = *runner.temurinRecoveryPolicy().pkgFallback;
    EXPECT_EQ(fallback.versionFromCaskName("temurin"), "25");
    EXPECT_EQ(fallback.versionFromCaskName("temurin@"), "25");
    EXPECT_EQ(fallback.versionFromCaskName("temurin@21"), "21");
}
