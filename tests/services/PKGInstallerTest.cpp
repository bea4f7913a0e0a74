#include "services/PKGInstaller.h"

#include "ServiceTestSupport.h"
#include "model/ProductConfig.h"
#include "platform/LiveProcessRunner.h"
#include "platform/ShellQuote.h"
#include "services/BrewRunner.h"
#include "services/Sha256Hex.h"
#include "support/FakeExecutables.h"
#include "support/LoopbackHTTPServer.h"

#include <QFile>

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <mutex>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;
using Event = PKGInstaller::Event;

namespace tovr {

inline void PrintTo(const PKGInstaller::Event& event, std::ostream* os) {
    static const char* names[] = {"downloading", "error",      "fetching",  "slowResponse",
                                  "verifying",   "installing", "completed", "canceled"};
    *os << names[event.value.index()];
    if (auto* d = event.as<Event::Downloading>())
        *os << "(" << d->bytesReceived << "/" << d->totalBytes.value_or(-1) << ")";
    if (auto* e = event.as<Event::Error>())
        *os << "(" << e->message.toStdString() << ")";
}

} // namespace tovr

namespace {

const QByteArray kAssetsPath = "/v3/assets/latest/21/hotspot";
const QString kPrompt =
    "Enter Mac password to install Temurin to /Library/Java/JavaVirtualMachines/";
const QString kTimeoutSentence = "Adoptium didn't respond within 20 seconds. Try again in a "
                                 "moment, or use Other Java install methods.";

LoopbackHTTPServer::Answer delayed(std::chrono::milliseconds delay) {
    LoopbackHTTPServer::Answer answer;
    answer.delay = delay;
    return answer;
}

// The live fetcher, except that the calls a test names fail with a transport error, after a
// moment as a real time-out would.
class FailingHTTP final : public HTTPFetching {
public:
    explicit FailingHTTP(std::shared_ptr<HTTPFetching> inner) : inner_(std::move(inner)) {}
    std::optional<URLError::Code> dataError, downloadError;

    std::pair<QByteArray, HTTPResponse> data(const HTTPRequest& r,
                                             std::shared_ptr<HTTPCancellation> c) override {
        if (dataError) {
            std::this_thread::sleep_for(300ms);
            throw URLError(*dataError);
        }
        return inner_->data(r, std::move(c));
    }
    std::pair<QString, HTTPResponse> download(const HTTPRequest& r, DownloadProgress p,
                                              std::shared_ptr<HTTPCancellation> c) override {
        if (downloadError) {
            std::this_thread::sleep_for(300ms);
            throw URLError(*downloadError);
        }
        return inner_->download(r, std::move(p), std::move(c));
    }
    ByteSample sampleBytes(const HTTPRequest& r, qint64 limit, double timeout) override {
        return inner_->sampleBytes(r, limit, timeout);
    }

private:
    std::shared_ptr<HTTPFetching> inner_;
};

// The events of one install run on a task the test can cancel.
class InstallRun {
public:
    InstallRun(const PKGInstaller& installer, qint64 major) : task_(WorkerTask::make()) {
        WorkerTask::launch(task_, [this, installer, major](WorkerTask& self) {
            installer.install(
                major, kPrompt,
                [this](Event e) {
                    std::lock_guard guard(lock_);
                    events_ << e;
                    changed_.notify_all();
                },
                self);
            std::lock_guard guard(lock_);
            returned_ = true;
            changed_.notify_all();
        });
    }
    ~InstallRun() { wait(); }

    void cancel() { task_->cancel(); }
    // Every event, once the install has returned.
    QList<Event> wait() {
        std::unique_lock guard(lock_);
        EXPECT_TRUE(changed_.wait_for(guard, 10s, [this] { return returned_; }));
        return events_;
    }
    [[nodiscard]] bool waitFor(const Event& event) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, 10s, [&] { return events_.contains(event); });
    }

private:
    std::shared_ptr<WorkerTask> task_;
    std::mutex lock_;
    std::condition_variable changed_;
    QList<Event> events_;
    bool returned_ = false;
};

class PKGInstallerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(waitForIdleThreads()); }

    PKGInstaller installer() {
        return PKGInstaller{process, http, fs, AdoptiumAPI{http, server.url("")},
                            [this](std::chrono::nanoseconds d, WorkerTask& task) {
                                {
                                    std::lock_guard guard(lock);
                                    pauses << d;
                                }
                                if (!slow)
                                    task.sleepFor(1h); // until the step ends
                            }};
    }
    QList<Event> install() { return drain(installer().install(21, kPrompt)); }

    // The Adoptium answer for Java 21, pointing at the loopback package.
    void servePackage(const QByteArray& payload, const QString& checksum,
                      LoopbackHTTPServer::Answer lookup = {},
                      LoopbackHTTPServer::Answer package = {}) {
        lookup.body = QString(R"([{"binary":{"installer":{"checksum":"%1","link":"%2",
            "name":"x.pkg"}},"release_name":"jdk-21.0.4+7"}])")
                          .arg(checksum, server.url("/pkg").toString())
                          .toUtf8();
        server.answer(kAssetsPath, lookup);
        package.body = payload;
        server.answer("/pkg", package);
    }
    // osascript answers this way and notes whether the package was in place when it ran.
    void answerInstaller(ProcessResult result) {
        fake->answerWhen(
            [this](const QString& exe, const QStringList&) {
                packageSeenByInstaller = sandbox->contents(packagePath());
                return exe == "/usr/bin/osascript";
            },
            {result, {}, {}, {}});
    }
    QString packagePath() { return installer().packagePath(21); }
    QString errorOf(const QList<Event>& events) {
        auto* e = events.isEmpty() ? nullptr : events.last().as<Event::Error>();
        return e ? e->message : QString("<no error>");
    }

    std::shared_ptr<SandboxFileSystem> sandbox = std::make_shared<SandboxFileSystem>();
    std::shared_ptr<RecordingFileSystem> fs = std::make_shared<RecordingFileSystem>(sandbox);
    std::shared_ptr<FakeProcessRunner> fake = std::make_shared<FakeProcessRunner>();
    std::shared_ptr<ProcessRunning> process = fake;
    LoopbackHTTPServer server;
    std::shared_ptr<FailingHTTP> http =
        std::make_shared<FailingHTTP>(std::make_shared<SandboxedHTTPFetcher>(sandbox));
    std::mutex lock;
    QList<std::chrono::nanoseconds> pauses;
    bool slow = false; // the watchdogs' sleeps return at once
    QByteArray packageSeenByInstaller;
};

} // namespace

TEST_F(PKGInstallerTest, DownloadsChecksInstallsAndRemovesThePackage) {
    const QByteArray payload(70'000, 'j');
    // The service may write the checksum in capitals; the client lower-cases it.
    servePackage(payload, sha256HexOf(payload).toUpper());
    sandbox->createFile(packagePath(), "left by an earlier run");
    answerInstaller({0, "installer: The upgrade was successful.\n", ""});

    EXPECT_EQ(install(),
              QList<Event>({Event::fetching(), Event::downloading(70'000, 70'000),
                            Event::verifying(), Event::installing(), Event::completed()}));
    EXPECT_EQ(packagePath(), "/Users/dev/Library/Caches/" + ProductConfig::current().cacheDirName +
                                 "/temurin-21-" + AdoptiumAPI::buildArchitecture() + ".pkg");
    EXPECT_EQ(packageSeenByInstaller, payload);
    EXPECT_FALSE(sandbox->fileExists(packagePath()));
    // A watchdog whose step ends before its thread first looks never pauses, so only the
    // allowances of those that did are seen, in order.
    const QList<std::chrono::nanoseconds> allowances{8s, 15s};
    EXPECT_TRUE(pauses == allowances || pauses == allowances.mid(0, 1) ||
                pauses == allowances.mid(1) || pauses.isEmpty())
        << pauses.size();

    const auto calls = fake->calls();
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls[0].arguments,
              QStringList({"-e", BrewRunner::installerAppleScript(packagePath(), kPrompt)}));
    EXPECT_FALSE(calls[0].environment.has_value());
    EXPECT_EQ(server.requests(kAssetsPath)[0].target,
              kAssetsPath + "?architecture=" + AdoptiumAPI::buildArchitecture().toUtf8() +
                  "&image_type=jdk&os=mac");
}

TEST_F(PKGInstallerTest, SlowLookupAndSlowDownloadAreEachNoticedOnce) {
    slow = true;
    const QByteArray payload("pkg");
    servePackage(payload, sha256HexOf(payload), delayed(300ms), delayed(300ms));
    answerInstaller({0, "", ""});
    EXPECT_EQ(install(),
              QList<Event>({Event::fetching(), Event::slowResponse(), Event::slowResponse(),
                            Event::downloading(3, 3), Event::verifying(), Event::installing(),
                            Event::completed()}));
}

TEST_F(PKGInstallerTest, FailuresNameThePackageOnlyOnceItIsDownloaded) {
    const QByteArray payload("not the real package");
    const QString published(64, 'a');
    servePackage(payload, published);
    EXPECT_EQ(errorOf(install()), "Checksum mismatch (expected " + published + ", got " +
                                      sha256HexOf(payload) + ") (pkg: " + packagePath() + ")");
    EXPECT_TRUE(fake->calls().isEmpty());
    EXPECT_FALSE(sandbox->fileExists(packagePath()));

    server.answer("/pkg", 404, "gone");
    const auto notFound = install();
    EXPECT_EQ(notFound.first(), Event::fetching());
    EXPECT_EQ(errorOf(notFound), "Adoptium download HTTP error (pkg: n/a)");
    EXPECT_FALSE(sandbox->fileExists(packagePath()));
    EXPECT_TRUE(sandbox->contentsOfDirectory("/tmp").isEmpty()); // the download is gone too

    server.answer(kAssetsPath, 200, "[]");
    EXPECT_EQ(errorOf(install()), "No installer asset for Java 21 on " +
                                      AdoptiumAPI::buildArchitecture() + " (pkg: n/a)");
    EXPECT_TRUE(fake->calls().isEmpty());
}

TEST_F(PKGInstallerTest, TimeOutsInLookupOrDownloadGiveTheTwentySecondsSentence) {
    slow = true;
    http->dataError = URLError::Code::timedOut;
    EXPECT_EQ(install(), QList<Event>({Event::fetching(), Event::slowResponse(),
                                       Event::error(kTimeoutSentence)}));

    http->dataError.reset();
    http->downloadError = URLError::Code::timedOut;
    servePackage("pkg", sha256HexOf("pkg"));
    EXPECT_EQ(errorOf(install()), kTimeoutSentence);
    EXPECT_FALSE(sandbox->fileExists(packagePath()));
    EXPECT_TRUE(fake->calls().isEmpty());
}

TEST_F(PKGInstallerTest, InstallerEndings) {
    const QByteArray payload("pkg");
    servePackage(payload, sha256HexOf(payload));
    auto ending = [&](std::optional<ProcessResult> result) {
        fake = std::make_shared<FakeProcessRunner>();
        process = fake;
        if (result)
            answerInstaller(*result);
        const auto events = install();
        EXPECT_FALSE(sandbox->fileExists(packagePath()));
        return events.last();
    };
    // The dialog's Cancel button.
    EXPECT_EQ(ending(ProcessResult{1, "0:1: execution error: User canceled. (-128)\n", ""}),
              Event::canceled());
    EXPECT_EQ(ending(ProcessResult{1, "\n installer: Error - bad package \n", ""}),
              Event::error("installer: Error - bad package"));
    EXPECT_EQ(ending(ProcessResult{3, "", ""}), Event::error("osascript exited 3"));
    EXPECT_EQ(ending(std::nullopt),
              Event::error("Failed to start osascript: No such file or directory"));
}

TEST_F(PKGInstallerTest, CancelDuringTheLookupEndsAtOnce) {
    servePackage("pkg", sha256HexOf("pkg"), delayed(5000ms));
    InstallRun run(installer(), 21);
    ASSERT_TRUE(run.waitFor(Event::fetching()));
    run.cancel();
    EXPECT_EQ(run.wait(), QList<Event>({Event::fetching(), Event::canceled()}));
    EXPECT_TRUE(server.requests("/pkg").isEmpty());
}

TEST_F(PKGInstallerTest, CancelMidDownloadLeavesNoPackageAndStartsNoInstaller) {
    const QByteArray payload(200'000, 'p');
    LoopbackHTTPServer::Answer stalled;
    stalled.stallAfter = 1000;
    servePackage(payload, sha256HexOf(payload), {}, stalled);
    answerInstaller({0, "", ""});
    auto waitForDownload = [&] {
        for (int i = 0; i < 500 && server.requests("/pkg").isEmpty(); ++i)
            std::this_thread::sleep_for(10ms);
        return !server.requests("/pkg").isEmpty();
    };

    // The caller cancels the task: the install says so, last.
    {
        InstallRun run(installer(), 21);
        ASSERT_TRUE(waitForDownload());
        run.cancel();
        EXPECT_EQ(run.wait(), QList<Event>({Event::fetching(), Event::canceled()}));
    }
    // The consumer stops listening.
    {
        auto stream = installer().install(21, kPrompt);
        EXPECT_EQ(stream.next(), Event::fetching());
        for (int i = 0; i < 500 && server.requests("/pkg").size() < 2; ++i)
            std::this_thread::sleep_for(10ms);
        ASSERT_EQ(server.requests("/pkg").size(), 2);
        stream.cancel();
        EXPECT_TRUE(waitForIdleThreads());
    }
    EXPECT_FALSE(sandbox->fileExists(packagePath()));
    EXPECT_TRUE(sandbox->contentsOfDirectory("/tmp").isEmpty());
    EXPECT_TRUE(fake->calls().isEmpty());
}

TEST_F(PKGInstallerTest, CancelWhileThePasswordDialogWaitsEndsOsascript) {
    // osascript stands in as a script that notes its process id and waits.
    FakeExecutables bin;
    const QString pidFile = bin.path("pid");
    const QString osascript =
        bin.write("osascript", "echo $$ > " + shellQuote(pidFile) + "\nexec sleep 30\n");
    class Redirect final : public ProcessRunning {
    public:
        explicit Redirect(QString to) : to_(std::move(to)) {}
        ProcessResult run(const QString& e, const QStringList& a,
                          const std::optional<ProcessEnvironment>& env) override {
            return live_.run(e, a, env);
        }
        EventStream<ProcessStreamEvent>
        stream(const QString&, const QStringList& a, const std::optional<ProcessEnvironment>& env,
               std::shared_ptr<LiveProcessCancellation> c) override {
            return live_.stream(to_, a, env, std::move(c));
        }

    private:
        QString to_;
        LiveProcessRunner live_;
    };
    process = std::make_shared<Redirect>(osascript);
    servePackage("pkg", sha256HexOf("pkg"));

    InstallRun run(installer(), 21);
    ASSERT_TRUE(run.waitFor(Event::installing()));
    // The shell makes the file before it writes the number: wait for the number.
    pid_t pid = 0;
    for (int i = 0; i < 1000 && pid <= 0; ++i) {
        QFile f(pidFile);
        if (f.open(QIODevice::ReadOnly))
            pid = f.readAll().trimmed().toInt();
        if (pid <= 0)
            std::this_thread::sleep_for(10ms);
    }
    if (pid <= 0)
        run.cancel();
    ASSERT_GT(pid, 0);

    run.cancel();
    EXPECT_EQ(run.wait().last(), Event::canceled());
    for (int i = 0; i < 500 && ::kill(pid, 0) == 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_FALSE(sandbox->fileExists(packagePath()));
}
