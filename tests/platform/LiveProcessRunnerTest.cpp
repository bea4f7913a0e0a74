#include "platform/LiveProcessRunner.h"
#include "platform/ChildProcessRegistry.h"
#include "platform/Error.h"
#include "support/FakeExecutables.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#ifdef __APPLE__
#include <libproc.h>
#include <sys/proc.h>
#endif

using namespace tovr;
using namespace std::chrono;

namespace {

using Event = ProcessStreamEvent;

// Collects every event of a stream until it ends.
QList<Event> drain(EventStream<Event> stream) {
    QList<Event> events;
    while (auto e = stream.next())
        events << *e;
    return events;
}

QList<Event> streamShell(LiveProcessRunner& runner, const QString& script) {
    return drain(runner.stream("/bin/sh", {"-c", script}, std::nullopt,
                               std::make_shared<LiveProcessCancellation>()));
}

QStringList linesOf(const QList<Event>& events) {
    QStringList lines;
    for (const auto& e : events)
        if (auto* l = e.as<Event::Line>())
            lines << l->text;
    return lines;
}

// A process that has exited but was never reaped.
bool isZombie(pid_t pid) {
#ifdef __APPLE__
    proc_bsdinfo info{}; // the argument 1 asks for zombies too
    return ::proc_pidinfo(pid, PROC_PIDTBSDINFO, 1, &info, sizeof info) == int(sizeof info) &&
           info.pbi_status == SZOMB;
#else
    QFile stat(QString("/proc/%1/stat").arg(pid));
    return stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z");
#endif
}

[[nodiscard]] bool waitUntilGone(pid_t pid, milliseconds limit = milliseconds(5000)) {
    const auto end = steady_clock::now() + limit;
    while (steady_clock::now() < end) {
        // A zombie still answers kill(); look at its state too.
        if (::kill(pid, 0) != 0 || isZombie(pid))
            return true;
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

// Children of this process that have exited but were never reaped.
int zombieChildren() {
    int zombies = 0;
#ifdef __APPLE__
    pid_t children[4096] = {}; // zombies included
    const int count = ::proc_listchildpids(::getpid(), children, int(sizeof children));
    for (int i = 0; i < count && i < 4096; ++i)
        zombies += isZombie(children[i]) ? 1 : 0;
#else
    const QString self = QString::number(::getpid());
    for (const auto& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(stat.readAll());
        const QStringList fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[0] == "Z" && fields[1] == self)
            ++zombies;
    }
#endif
    return zombies;
}

ChildTimings quickTimings() {
    return ChildTimings{milliseconds(300), milliseconds(1000)};
}

} // namespace

TEST(LiveProcessRunnerStream, LinesArriveInOrderAndExitedIsLast) {
    LiveProcessRunner runner;
    const auto events = streamShell(runner, "echo one; echo two >&2; echo three; printf four");
    ASSERT_EQ(events.size(), 5);
    EXPECT_EQ(linesOf(events), (QStringList{"one", "two", "three", "four"}));
    EXPECT_EQ(events.last(), Event::exited(0));
}

TEST(LiveProcessRunnerStream, EveryLineBreakKindAndBlankLines) {
    LiveProcessRunner runner;
    const auto events =
        streamShell(runner, R"(printf 'a\rb\r\nc\n\nd\302\205e\342\200\250f\342\200\251g')");
    EXPECT_EQ(linesOf(events), (QStringList{"a", "b", "c", "", "d", "e", "f", "g"}));
}

TEST(LiveProcessRunnerStream, ExitStatusIsReportedAsData) {
    LiveProcessRunner runner;
    EXPECT_EQ(streamShell(runner, "exit 3").last(), Event::exited(3));
    EXPECT_EQ(runner.run("/bin/sh", {"-c", "echo out; echo err >&2; exit 3"}),
              (ProcessResult{3, "out\n", "err\n"}));
}

TEST(LiveProcessRunnerStream, MissingExecutableIsOneFailedToStart) {
    LiveProcessRunner runner;
    const auto events = drain(runner.stream("/no/such/tool", {}, std::nullopt,
                                            std::make_shared<LiveProcessCancellation>()));
    ASSERT_EQ(events.size(), 1);
    ASSERT_NE(events[0].as<Event::FailedToStart>(), nullptr);
    EXPECT_EQ(events[0].as<Event::FailedToStart>()->message, "No such file or directory");
    EXPECT_THROW(runner.run("/no/such/tool", {}), SystemError);
}

TEST(LiveProcessRunnerStream, CancelBeforeLaunchTerminatesAtAttach) {
    LiveProcessRunner runner;
    auto handle = std::make_shared<LiveProcessCancellation>();
    handle->cancel();
    const auto start = steady_clock::now();
    const auto events = drain(runner.stream("/bin/sleep", {"30"}, std::nullopt, handle));
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    EXPECT_EQ(events.last(), Event::exited(SIGTERM));
}

TEST(LiveProcessRunnerStream, DroppingTheStreamTerminatesTheChildAndWhatItStarted) {
    LiveProcessRunner runner(quickTimings());
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto stream =
        runner.stream("/bin/sh", {"-c", "sleep 30 & echo $$ $!; wait"}, std::nullopt, handle);
    auto first = stream.next();
    ASSERT_TRUE(first && first->as<Event::Line>());
    const QStringList pids = first->as<Event::Line>()->text.split(' ');
    ASSERT_EQ(pids.size(), 2);
    stream.cancel();
    EXPECT_TRUE(handle->isCanceled());
    EXPECT_TRUE(waitUntilGone(pids[0].toInt()));
    EXPECT_TRUE(waitUntilGone(pids[1].toInt())) << "the grandchild outlived the cancel";
    EXPECT_FALSE(stream.next().has_value());
}

TEST(LiveProcessRunnerStream, AChildIgnoringTerminationIsKilledAfterTheGrace) {
    LiveProcessRunner runner(quickTimings());
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto stream =
        runner.stream("/bin/sh", {"-c", "trap '' TERM; echo $$; while :; do sleep 0.05; done"},
                      std::nullopt, handle);
    auto first = stream.next();
    ASSERT_TRUE(first && first->as<Event::Line>());
    stream.cancel();
    EXPECT_TRUE(waitUntilGone(first->as<Event::Line>()->text.toInt(), milliseconds(4000)));

    // A grandchild that ignores it too and holds the output open, while the leader obeys:
    // the quit returns only once the whole group is gone.
    auto quitting = runner.stream(
        "/bin/sh", {"-c", "sh -c \"trap '' TERM; while :; do sleep 0.05; done\" & echo $!; wait"},
        std::nullopt, std::make_shared<LiveProcessCancellation>());
    auto grandchild = quitting.next();
    ASSERT_TRUE(grandchild && grandchild->as<Event::Line>());
    const pid_t straggler = grandchild->as<Event::Line>()->text.toInt();
    ChildProcessRegistry::shared().shutdown();
    const bool gone = waitUntilGone(straggler, milliseconds(200));
    ::kill(straggler, SIGKILL);
    EXPECT_TRUE(gone) << "the grandchild outlived the quit";
}

TEST(LiveProcessRunnerRun, ACancelEndsTheChildAndWhatItStartedWithWhatItPrinted) {
    LiveProcessRunner runner(quickTimings());
    auto handle = std::make_shared<LiveProcessCancellation>();
    std::thread canceler([&] {
        std::this_thread::sleep_for(milliseconds(200));
        handle->cancel();
    });
    const auto start = steady_clock::now();
    const auto result =
        runner.runCancellable("/bin/sh", {"-c", "echo $$; sleep 30 & wait"}, std::nullopt, handle);
    canceler.join();
    EXPECT_LT(steady_clock::now() - start, seconds(5));
    EXPECT_EQ(result.exitCode, SIGTERM);
    EXPECT_TRUE(waitUntilGone(result.stdout_.trimmed().toInt()));

    const auto early = std::make_shared<LiveProcessCancellation>();
    early->cancel();
    EXPECT_EQ(runner.runCancellable("/bin/sleep", {"30"}, std::nullopt, early).exitCode, SIGTERM);
}

TEST(LiveProcessRunnerRun, InvalidUtf8GivesEmptyTextForThatOutputOnly) {
    LiveProcessRunner runner;
    const auto result = runner.run("/bin/sh", {"-c", R"(echo fine; printf '\377\376' >&2)"});
    EXPECT_EQ(result.stdout_, "fine\n");
    EXPECT_EQ(result.stderr_, "");
}

TEST(LiveProcessRunnerRun, BothPipesDrainedWhileTheChildWrites) {
    LiveProcessRunner runner;
    const auto result =
        runner.run("/bin/sh", {"-c", "head -c 8388608 /dev/zero | tr '\\0' e >&2 & "
                                     "head -c 8388608 /dev/zero | tr '\\0' o; wait"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.stdout_.size(), 8388608);
    EXPECT_EQ(result.stderr_.size(), 8388608);
}

TEST(LiveProcessRunnerRun, StdinIsEmptyAndTheEnvironmentIsWholeWhenGiven) {
    LiveProcessRunner runner;
    EXPECT_EQ(runner.run("/bin/cat", {}).stdout_, "");
    const auto result = runner.run("/usr/bin/env", {}, ProcessEnvironment{{"ONLY", "this one"}});
    EXPECT_EQ(result.stdout_, "ONLY=this one\n");
    qputenv("TOVR_INHERITED", "yes");
    EXPECT_TRUE(runner.run("/usr/bin/env", {}).stdout_.contains("TOVR_INHERITED=yes"));
}

TEST(LiveProcessRunnerRun, ADescendantHoldingTheOutputOpenCannotHangTheRun) {
    LiveProcessRunner runner(quickTimings());
    const auto start = steady_clock::now();
    // Far below the descendant's sleep, so a loaded machine's slow start-up does not count.
    const auto result = runner.run("/bin/sh", {"-c", "sleep 10 & echo started"});
    EXPECT_LT(steady_clock::now() - start, milliseconds(6000));
    EXPECT_EQ(result, (ProcessResult{0, "started\n", ""}));

    const auto events = streamShell(runner, "sleep 3 & echo started");
    EXPECT_EQ(events, (QList<Event>{Event::line("started"), Event::exited(0)}));
}

TEST(LiveProcessRunnerRun, TenAtOnceNeitherWaitForEachOtherNorLeaveZombies) {
    LiveProcessRunner runner;
    test::FakeExecutables bin;
    const QString tool = bin.write("probe", "echo \"$1\"; sleep 1");
    std::vector<std::thread> threads;
    std::vector<ProcessResult> results(10);
    const auto start = steady_clock::now();
    for (int i = 0; i < 10; ++i)
        threads.emplace_back([&, i] { results[i] = runner.run(tool, {QString::number(i)}); });
    for (auto& t : threads)
        t.join();
    EXPECT_LT(steady_clock::now() - start, milliseconds(5000)); // 10 s one after another
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(results[i].stdout_, QString::number(i) + "\n");
    for (int i = 0; i < 5; ++i)
        streamShell(runner, "echo x");
    ChildProcessRegistry::shared().shutdown();
    EXPECT_EQ(zombieChildren(), 0);
    EXPECT_EQ(ChildProcessRegistry::shared().liveCount(), 0u);
}
