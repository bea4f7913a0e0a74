#include "platform/ShellRunner.h"
#include "platform/CancellableProcess.h"
#include "platform/LiveProcessRunner.h"
#include "platform/StreamedChild.h"
#include "support/FakeProcessRunner.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace tovr;

namespace {

QList<StreamEvent> drain(EventStream<StreamEvent> stream) {
    QList<StreamEvent> events;
    while (auto e = stream.next())
        events << *e;
    return events;
}

// Counts the cancels it receives.
class CountingHandle : public ProcessCancellation {
public:
    void cancel() override { ++cancels; }
    std::atomic<int> cancels{0};
};

} // namespace

TEST(ShellRunner, LinesThenCompletedThenTheEnd) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    EXPECT_EQ(drain(shell.stream("/bin/zsh", {"-c", "echo first; echo second"})),
              (QList<StreamEvent>{StreamEvent::output("first"), StreamEvent::output("second"),
                                  StreamEvent::completed(0)}));
    EXPECT_EQ(drain(shell.stream("/bin/sh", {"-c", "echo oops >&2; exit 7"})),
              (QList<StreamEvent>{StreamEvent::output("oops"), StreamEvent::completed(7)}));
}

TEST(ShellRunner, AProgramThatCannotStartIsOneLineAndMinusOne) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    EXPECT_EQ(drain(shell.stream("/no/zsh", {"-lc", "true"})),
              (QList<StreamEvent>{
                  StreamEvent::output("Failed to start /no/zsh: No such file or directory"),
                  StreamEvent::completed(-1)}));
}

TEST(ShellRunner, AConsumerThatStopsListeningEndsTheChildAndGetsNoCompletion) {
    ShellRunner shell{std::make_shared<LiveProcessRunner>()};
    auto stream = shell.stream("/bin/sh", {"-c", "echo $$; exec sleep 30"});
    auto first = stream.next();
    ASSERT_TRUE(first && first->as<StreamEvent::Output>());
    const pid_t pid = first->as<StreamEvent::Output>()->text.toInt();
    stream.cancel();
    for (int i = 0; i < 500 && ::kill(pid, 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(::kill(pid, 0), 0);
    EXPECT_FALSE(stream.next().has_value());
}

TEST(ShellRunner, RunsThroughTheInjectedRunnerAndAddsNothing) {
    auto fake = std::make_shared<test::FakeProcessRunner>();
    fake->answerShell("brew --version", "Homebrew 4.3.1\n");
    ShellRunner shell{fake};
    EXPECT_EQ(
        drain(shell.stream("/bin/zsh", {"-lc", "brew --version"})),
        (QList<StreamEvent>{StreamEvent::output("Homebrew 4.3.1"), StreamEvent::completed(0)}));
    ASSERT_EQ(fake->calls().size(), 1);
    EXPECT_FALSE(fake->calls()[0].environment.has_value());
    EXPECT_TRUE(fake->calls()[0].streamed);
}

TEST(StreamedChild, ACanceledLatchStartsNothingAndACancelEndsTheRunningChild) {
    LiveProcessRunner runner;
    QTemporaryDir dir;
    const QString marker = dir.filePath("started");
    QStringList lines;
    const auto collect = [&](const QString& line) { lines << line; };

    CancellableProcess canceled;
    canceled.cancel();
    const auto none = StreamedChild::run(runner, "/bin/sh", {"-c", "touch '" + marker + "'"},
                                         std::nullopt, &canceled, collect);
    EXPECT_EQ(none.exitCode, -1);
    EXPECT_FALSE(none.startFailure);
    EXPECT_FALSE(QFile::exists(marker));

    CancellableProcess latch;
    std::thread canceler([&] {
        while (!QFile::exists(marker))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        latch.cancel();
    });
    const auto ended = StreamedChild::run(runner, "/bin/sh",
                                          {"-c", "echo up; touch '" + marker + "'; exec sleep 30"},
                                          std::nullopt, &latch, collect);
    canceler.join();
    EXPECT_EQ(ended.exitCode, SIGTERM);
    EXPECT_EQ(lines, QStringList{"up"});

    const auto missing =
        StreamedChild::run(runner, "/no/such/program", {}, std::nullopt, nullptr, collect);
    EXPECT_EQ(missing.exitCode, -1);
    EXPECT_TRUE(missing.startFailure);
}

TEST(CancellableProcess, CancelBeforeRegisterCancelsTheNextHandleAtOnce) {
    CancellableProcess latch;
    EXPECT_FALSE(latch.isCanceled());
    latch.cancel();
    latch.cancel();
    EXPECT_TRUE(latch.isCanceled());
    auto handle = std::make_shared<CountingHandle>();
    latch.registerHandle(handle);
    EXPECT_EQ(handle->cancels.load(), 1);
}

TEST(CancellableProcess, CancelReachesTheCurrentChildOnly) {
    CancellableProcess latch;
    auto first = std::make_shared<CountingHandle>();
    auto second = std::make_shared<CountingHandle>();
    latch.registerHandle(first);
    latch.registerHandle(second);
    EXPECT_EQ(second->cancels.load(), 0);
    latch.cancel();
    EXPECT_EQ(first->cancels.load(), 0);
    EXPECT_EQ(second->cancels.load(), 1);
}

TEST(CancellableProcess, RacingCancelAndRegisterNeverLoseTheCancel) {
    for (int round = 0; round < 200; ++round) {
        CancellableProcess latch;
        auto handle = std::make_shared<LiveProcessCancellation>();
        std::thread canceller([&] { latch.cancel(); });
        latch.registerHandle(handle);
        canceller.join();
        EXPECT_TRUE(handle->isCanceled()) << "round " << round;
    }
}
