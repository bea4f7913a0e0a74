#include "support/QtPrinting.h"
#include "support/SpinUntil.h"

#include "diagnosis/Verifier.h"
#include "platform/Error.h"
#include "platform/JDKInfo.h"
#include "platform/LiveProcessCancellation.h"

#include <QCoreApplication>
#include <QMap>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace tovr;

namespace {

const QString kVersionScript = "java -version 2>&1";
const QString kJavaHomeScript = "echo __QLM_VERIFY_JAVA_HOME__:$JAVA_HOME";

// Login shells that answer each script as told, or run until they are terminated.
class FakeLoginShells final : public ProcessRunning {
public:
    struct Reply {
        ProcessResult result;
        bool cannotStart = false;
        bool hangs = false;
    };

    void reply(const QString& script, Reply reply) { replies_.insert(script, std::move(reply)); }
    static Reply prints(QString stdout_, qint32 exitCode = 0, QString stderr_ = {}) {
        return {{exitCode, std::move(stdout_), std::move(stderr_)}, false, false};
    }

    ProcessResult run(const QString& executable, const QStringList& arguments,
                      const std::optional<ProcessEnvironment>& environment) override {
        return runCancellable(executable, arguments, environment, nullptr);
    }

    ProcessResult runCancellable(const QString& executable, const QStringList& arguments,
                                 const std::optional<ProcessEnvironment>& environment,
                                 std::shared_ptr<LiveProcessCancellation> cancellation) override {
        EXPECT_EQ(executable, "/bin/zsh");
        EXPECT_EQ(arguments.value(0), "-lc");
        EXPECT_FALSE(environment) << "the shell inherits the application's environment";
        const Reply reply = replies_.value(arguments.value(1));
        if (reply.cannotStart)
            throw SystemError(2, "No such file or directory");
        if (!reply.hangs)
            return reply.result;
        auto shell = std::make_shared<Shell>(this);
        {
            std::lock_guard lock(mutex_);
            ++started_;
        }
        changed_.notify_all();
        if (cancellation)
            cancellation->attach(shell);
        shell->waitUntilTerminated();
        {
            std::lock_guard lock(mutex_);
            ++ended_;
        }
        changed_.notify_all();
        return {15, {}, {}};
    }

    EventStream<ProcessStreamEvent> stream(const QString&, const QStringList&,
                                           const std::optional<ProcessEnvironment>&,
                                           std::shared_ptr<LiveProcessCancellation>) override {
        ADD_FAILURE() << "the verifier reads whole outputs";
        auto [events, continuation] = EventStream<ProcessStreamEvent>::make();
        continuation.finish();
        return std::move(events);
    }

    [[nodiscard]] bool waitForStarted(int n) {
        return waitFor([&] { return started_ >= n; });
    }
    [[nodiscard]] bool waitForEnded(int n) {
        return waitFor([&] { return ended_ >= n; });
    }

private:
    class Shell final : public ChildProcess {
    public:
        explicit Shell(FakeLoginShells* owner) : owner_(owner) {}
        bool isRunning() const override {
            std::lock_guard lock(owner_->mutex_);
            return !terminated_;
        }
        void terminate() override {
            {
                std::lock_guard lock(owner_->mutex_);
                terminated_ = true;
            }
            owner_->changed_.notify_all();
        }
        void waitUntilTerminated() {
            std::unique_lock lock(owner_->mutex_);
            owner_->changed_.wait(lock, [&] { return terminated_; });
        }

    private:
        FakeLoginShells* owner_;
        bool terminated_ = false;
    };

    template <class P> [[nodiscard]] bool waitFor(P done) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), done);
    }

    QMap<QString, Reply> replies_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int started_ = 0;
    int ended_ = 0;
};

Verifier::Result verifyWith(const std::shared_ptr<FakeLoginShells>& shells) {
    return Verifier(ShellRunner{shells}).verify();
}

const QString kTemurin21 = "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home";
const QString kVersion21 = "openjdk version \"21.0.2\" 2024-01-16 LTS\n"
                           "OpenJDK Runtime Environment Temurin-21.0.2+13 (build 21.0.2+13-LTS)\n";

} // namespace

TEST(Verifier, PassesWhenJavaRunsAndJavaHomeIsSetInAFreshShell) {
    auto shells = std::make_shared<FakeLoginShells>();
    shells->reply(kVersionScript, FakeLoginShells::prints(kVersion21, 0, "stderr is not read"));
    shells->reply(kJavaHomeScript,
                  FakeLoginShells::prints("__QLM_VERIFY_JAVA_HOME__:" + kTemurin21 + "\n"));
    const auto result = verifyWith(shells);
    EXPECT_EQ(result, (Verifier::Result{kVersion21, 0, kTemurin21}));
    EXPECT_TRUE(result.isPassing(true));

    // A legacy Java still answers: the verification passes and keeps the output whole, so
    // the result screen can tell which Java the shell found.
    const QString java8 = "java version \"1.8.0_402\"\nJava(TM) SE Runtime Environment\n";
    shells->reply(kVersionScript, FakeLoginShells::prints(java8));
    EXPECT_EQ(verifyWith(shells).javaVersionOutput, java8);
    EXPECT_EQ(parseJavaMajorVersion(verifyWith(shells).javaVersionOutput), 8);
}

TEST(Verifier, FailsWithoutARunningJavaOrWithoutJavaHomeWhenTheFixWasAboutIt) {
    auto shells = std::make_shared<FakeLoginShells>();
    // The macOS stub: no Java, exit 1, and the word appears nowhere.
    shells->reply(kVersionScript,
                  FakeLoginShells::prints("The operation couldn’t be completed. Unable to locate "
                                          "a Java Runtime.\n",
                                          1));
    shells->reply(kJavaHomeScript, FakeLoginShells::prints("__QLM_VERIFY_JAVA_HOME__:\n"));
    auto result = verifyWith(shells);
    EXPECT_EQ(result.javaVersionExitCode, 1);
    EXPECT_EQ(result.javaHomeValue, std::nullopt) << "unset JAVA_HOME is the bare marker";
    EXPECT_FALSE(result.isPassing(false));

    result.javaVersionExitCode = 0;
    EXPECT_FALSE(result.isPassing(false)) << "exit 0 without a version line";
    result.javaVersionOutput = "OPENJDK VERSION \"21\"";
    EXPECT_TRUE(result.isPassing(false));
    EXPECT_FALSE(result.isPassing(true)) << "a JAVA_HOME fix needs JAVA_HOME";
    result.javaVersionExitCode = 127;
    EXPECT_FALSE(result.isPassing(false));

    // A login shell that cannot start at all.
    auto missing = std::make_shared<FakeLoginShells>();
    missing->reply(kVersionScript, {{}, true, false});
    missing->reply(kJavaHomeScript, {{}, true, false});
    EXPECT_EQ(verifyWith(missing), (Verifier::Result{"", -1, std::nullopt}));
}

TEST(Verifier, FindsTheAnswersAmidWhatTheStartupFilesPrint) {
    auto shells = std::make_shared<FakeLoginShells>();
    const QString noisy = "zsh: warning: /Users/ana/.zprofile:3: no such file: ~/.cargo/env\n"
                          "Picked up JAVA_TOOL_OPTIONS: -Dfile.encoding=UTF-8\n" +
                          kVersion21;
    shells->reply(kVersionScript, FakeLoginShells::prints(noisy));
    shells->reply(kJavaHomeScript,
                  FakeLoginShells::prints("Last login: Mon Dec  7 09:12:44 on ttys000\r\n"
                                          "motd: __QLM_VERIFY_JAVA_HOME__: \t" +
                                          kTemurin21 + " \r\nnvm: using node 20\r\n"));
    auto result = verifyWith(shells);
    EXPECT_EQ(result, (Verifier::Result{noisy, 0, kTemurin21}));
    EXPECT_TRUE(result.isPassing(true));

    // The last reply decides, even when it is empty.
    shells->reply(
        kJavaHomeScript,
        FakeLoginShells::prints("__QLM_VERIFY_JAVA_HOME__:/old\n__QLM_VERIFY_JAVA_HOME__:  \n"));
    EXPECT_EQ(verifyWith(shells).javaHomeValue, std::nullopt);
}

TEST(Verifier, AnAbandonedVerificationEndsBothShellsAndDeliversNothing) {
    auto shells = std::make_shared<FakeLoginShells>();
    shells->reply(kVersionScript, {{}, false, true});
    shells->reply(kJavaHomeScript, {{}, false, true});
    bool delivered = false;
    auto screen = std::make_unique<QObject>();
    Verifier(ShellRunner{shells}).verifyInBackground(screen.get(), [&](Verifier::Result) {
        delivered = true;
    });
    ASSERT_TRUE(shells->waitForStarted(2)) << "both shells run side by side";

    screen.reset();
    EXPECT_TRUE(shells->waitForEnded(2));
    // Whatever the workers sent back is queued once they have ended.
    ASSERT_TRUE(test::spinUntil(test::noWorkerRunning));
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(delivered);
}
