#include "support/FakeDesktop.h"
#include "support/RecordedTelemetry.h"
#include "support/SpinUntil.h"
#include "support/TestScreenContext.h"

#include "telemetry/UsageEvent.h"
#include "ui/BackgroundCall.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace tovr;
using namespace tovr::test;

namespace {} // namespace

TEST(BackgroundCall, HandsTheResultToTheGuiThreadAndDropsItForAGoneOrCanceledReceiver) {
    QObject receiver;
    QThread* deliveredOn = nullptr;
    int value = 0;
    runInBackground(
        &receiver, [](WorkerTask&) { return 42; },
        [&](int v) {
            value = v;
            deliveredOn = QThread::currentThread();
        });
    ASSERT_TRUE(spinUntil([&] { return value == 42; }));
    EXPECT_EQ(deliveredOn, QCoreApplication::instance()->thread());

    std::atomic<bool> ran{false};
    bool delivered = false;
    {
        auto gone = std::make_unique<QObject>();
        runInBackground(
            gone.get(), [&](WorkerTask&) { ran = true; }, [&] { delivered = true; });
        gone.reset();
    }
    auto task = runInBackground(
        &receiver, [](WorkerTask& self) { return self.sleepFor(std::chrono::seconds(5)); },
        [&](bool) { delivered = true; });
    task->cancel();
    ASSERT_TRUE(settleWorkers());
    EXPECT_TRUE(ran);
    EXPECT_FALSE(delivered);
}

TEST(RecordedTelemetry, SeesEventsSentThroughTheEngine) {
    RecordedTelemetry telemetry;
    sendUsageEvent({"consent_given", {}});
    EXPECT_EQ(telemetry.names(), QStringList{"consent_given"});
}
