#include "platform/Concurrently.h"
#include "platform/ChildProcessRegistry.h"
#include "platform/ReleaseOnWorker.h"
#include "support/SpinUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

using namespace tovr;
using namespace std::chrono;

TEST(Concurrently, RunsTheCallsAtOnceAndKeepsTheirResults) {
    const auto start = steady_clock::now();
    auto [a, b, c, d] = concurrently(
        [] {
            std::this_thread::sleep_for(milliseconds(1000));
            return 1;
        },
        [] {
            std::this_thread::sleep_for(milliseconds(1000));
            return QString("two");
        },
        [] {
            std::this_thread::sleep_for(milliseconds(1000));
            return 3.0;
        },
        [] {
            std::this_thread::sleep_for(milliseconds(1000));
            return true;
        });
    EXPECT_LT(steady_clock::now() - start, milliseconds(3000)); // 4 s one after another
    EXPECT_TRUE(d);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, "two");
    EXPECT_EQ(c, 3.0);
}

TEST(Concurrently, NestedBlockingUseDoesNotStarve) {
    // 16 outer calls each waiting on 16 inner ones: a small bounded pool would deadlock.
    QList<int> outer(16);
    const auto start = steady_clock::now();
    auto sums = concurrentlyMap(outer, [](int) {
        QList<int> inner(16, 1);
        auto ones = concurrentlyMap(inner, [](int v) {
            std::this_thread::sleep_for(milliseconds(50));
            return v;
        });
        int sum = 0;
        for (int v : ones)
            sum += v;
        return sum;
    });
    // Sequentially this takes 12.8 s; a bounded pool would not finish at all. Concurrently it
    // takes about a second, several on a loaded machine under a sanitizer.
    EXPECT_LT(steady_clock::now() - start, milliseconds(10000));
    EXPECT_EQ(sums, QList<int>(16, 16));
}

TEST(Concurrently, RethrowsAfterEveryCallHasEnded) {
    std::atomic<bool> slowFinished{false};
    EXPECT_THROW(concurrently([]() -> int { throw std::runtime_error("boom"); },
                              [&] {
                                  std::this_thread::sleep_for(milliseconds(50));
                                  slowFinished = true;
                                  return 0;
                              }),
                 std::runtime_error);
    EXPECT_TRUE(slowFinished.load());
    EXPECT_TRUE(concurrentlyMap(QList<int>{}, [](int v) { return v; }).isEmpty());
}

TEST(ReleaseOnWorker, ALongLogIsLetGoOnAWorkerThatEndsAndAShortOneAtOnce) {
    auto& workers = ChildProcessRegistry::shared();
    const std::size_t started = workers.startedCount();
    QStringList shortLog{QString::number(42)};
    const QString shortProbe = shortLog.first();
    releaseOnWorker(std::move(shortLog));
    EXPECT_TRUE(shortProbe.isDetached()); // no thread for a few lines
    EXPECT_EQ(workers.startedCount(), started);

    QStringList longLog;
    for (int i = 0; i < 20000; ++i)
        longLog.append(QString::number(i));
    const QString longProbe = longLog.last();
    releaseOnWorker(std::move(longLog));
    EXPECT_TRUE(longLog.isEmpty());
    EXPECT_EQ(workers.startedCount(), started + 1);
    ASSERT_TRUE(test::spinUntil([&] { return test::noWorkerRunning(); }));
    EXPECT_TRUE(longProbe.isDetached()); // the worker held the only other reference
}
