#include "platform/ShellRunner.h"
#include "platform/CancellableProcess.h"
#include "platform/LiveProcessRunner.h"
#include "support/FakeProcessRunner.h"

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
