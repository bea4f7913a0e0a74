#include "services/HomebrewInstaller.h"

#include "ServiceTestSupport.h"
#include "platform/ShellQuote.h"
#include "support/LoopbackHTTPServer.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;
using Event = HomebrewInstaller::Event;

namespace {

class HomebrewInstallerTest : public ::testing::Test {
protected:
    HomebrewInstaller installer() {
        return HomebrewInstaller{process, fs, PrivilegedExecutor{fs, nullptr}, http,
                                 server.url("/install.sh")};
    }
    // An install script that puts `brew` where a Mac's would be and reports its environment.
    QByteArray installingScript() const {
        const QString brew = shellQuote(sandbox->hostPath("/opt/homebrew/bin/brew"));
        return QString(
                   "set -e\n"
                   "echo \"==> Checking for sudo access (which may request your password)...\"\n"
                   "mkdir -p \"$(dirname %1)\" && printf '#!/bin/sh\\n' > %1 && chmod 755 %1\n"
                   "echo \"env:$NONINTERACTIVE|$SUDO_ASKPASS|${PATH%%:*}\"\n"
                   "echo '==> Installation successful!'\n")
            .arg(brew)
            .toUtf8();
    }
    QStringList lines(const QList<Event>& events) { return outputsOf(events); }

    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<RecordingFileSystem> fs = std::make_shared<RecordingFileSystem>(sandbox);
    std::shared_ptr<LiveProcessRunner> process = std::make_shared<LiveProcessRunner>();
    std::shared_ptr<LiveHTTPFetcher> http = std::make_shared<LiveHTTPFetcher>();
    LoopbackHTTPServer server;
};

} // namespace

TEST_F(HomebrewInstallerTest, InstallsThenAddsShellenvOnce) {
    server.answer("/install.sh", 200, installingScript());
    sandbox->createFile("/Users/dev/.zprofile", "# brew shellenv, once upon a time\n");
    const auto events = drain(installer().install());
    ASSERT_EQ(events.last(), Event::completed(0));
    const QStringList out = lines(events);
    ASSERT_EQ(out.size(), 5) << out.join('\n').toStdString();
    const QStringList env = out[1].mid(4).split('|');
    EXPECT_EQ(env[0], "1");
    EXPECT_TRUE(env[1].startsWith("/tmp/qlm-priv-") && env[1].endsWith("/askpass.sh"));
    EXPECT_EQ(env[2] + "/askpass.sh", env[1]);
    EXPECT_EQ(out.mid(3), QStringList({"Appending brew shellenv to ~/.zprofile (so brew is fully "
                                       "integrated in new shells).",
                                       "Appended. Backup at /Users/dev/.zprofile.bak."}));
    const QByteArray zprofile = sandbox->contents("/Users/dev/.zprofile");
    EXPECT_TRUE(zprofile.endsWith("\neval \"$(/opt/homebrew/bin/brew shellenv)\"\n"));
    EXPECT_EQ(sandbox->contents("/Users/dev/.zprofile.bak"), "# brew shellenv, once upon a time\n");
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());

    // Again: the active line is found and the file is left alone.
    const auto again = drain(installer().install());
    EXPECT_EQ(lines(again).last(), "brew shellenv already active in ~/.zprofile — skipping.");
    EXPECT_EQ(again.last(), Event::completed(0));
    EXPECT_EQ(sandbox->contents("/Users/dev/.zprofile"), zprofile);
    EXPECT_EQ(fs->removals("qlm-priv-"), 2);
}

TEST_F(HomebrewInstallerTest, SuccessWithoutBrewOnDiskIsStillSuccess) {
    server.answer("/install.sh", 200, "echo done\n");
    EXPECT_EQ(drain(installer().install()),
              QList<Event>({Event::output("done"),
                            Event::output("Note: brew not found in expected locations after "
                                          "install; skipping ~/.zprofile shellenv append."),
                            Event::completed(0)}));
    EXPECT_FALSE(sandbox->fileExists("/Users/dev/.zprofile"));
}

TEST_F(HomebrewInstallerTest, RefusedPasswordIsACancelOtherFailuresKeepTheirCode) {
    server.answer("/install.sh", 200, "echo 'Sudo: A Password Is Required'\nexit 1\n");
    EXPECT_EQ(drain(installer().install()).last(), Event::canceled());
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());

    server.answer("/install.sh", 200, "echo 'Error: no network'\nexit 3\n");
    EXPECT_EQ(drain(installer().install()),
              QList<Event>({Event::output("Error: no network"), Event::completed(3)}));
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());
}

TEST_F(HomebrewInstallerTest, AFailedDownloadIsAFailureAndRunsNothing) {
    const QString prefix = "Couldn't download the Homebrew install script: ";
    server.answer("/install.sh", 404, "Not Found");
    EXPECT_EQ(drain(installer().install()),
              QList<Event>({Event::output(prefix + "the server answered with status 404."),
                            Event::completed(-1)}));

    LoopbackHTTPServer::Answer dropped;
    dropped.body = installingScript();
    dropped.dropAfter = 20;
    server.answer("/install.sh", dropped);
    auto events = drain(installer().install());
    ASSERT_EQ(events.size(), 2);
    EXPECT_TRUE(lines(events)[0].startsWith(prefix));
    EXPECT_EQ(events.last(), Event::completed(-1));

    server.answer("/install.sh", 200, "  \n");
    EXPECT_EQ(drain(installer().install()).last(), Event::completed(-1));

    // Nothing ran: no brew, no password folder ever made.
    EXPECT_FALSE(sandbox->fileExists("/opt/homebrew/bin/brew"));
    EXPECT_EQ(fs->removals("qlm-priv-"), 0);
}

TEST_F(HomebrewInstallerTest, DroppingTheStreamStopsTheScriptAndRemovesTheFolder) {
    server.answer("/install.sh", 200, "echo started\nsleep 30\n");
    auto stream = installer().install();
    EXPECT_EQ(stream.next(), Event::output("started"));
    ASSERT_EQ(privilegedFolders(*sandbox).size(), 1);
    const auto started = std::chrono::steady_clock::now();
    stream.cancel();
    ASSERT_TRUE(waitForIdleThreads());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_TRUE(privilegedFolders(*sandbox).isEmpty());

    // Cancelled while the script is still downloading: nothing starts.
    LoopbackHTTPServer::Answer stalled;
    stalled.body = QByteArray(10'000, '#');
    stalled.stallAfter = 10;
    server.answer("/install.sh", stalled);
    QList<Event> events;
    WorkerTask task;
    std::thread canceller([&] {
        while (server.requests("/install.sh").size() < 2)
            std::this_thread::sleep_for(5ms);
        task.cancel();
    });
    installer().install([&](Event e) { events << e; }, task);
    canceller.join();
    EXPECT_EQ(events, QList<Event>({Event::canceled()}));
    EXPECT_EQ(fs->removals("qlm-priv-"), 1);
}
