#include "platform/EventStream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace tovr;

TEST(EventStream, DeliversInOrderThenEnds) {
    auto [stream, c] = EventStream<int>::make();
    std::atomic<int> terminations{0};
    StreamTermination why = StreamTermination::canceled;
    c.onTermination([&](StreamTermination t) {
        why = t;
        ++terminations;
    });
    std::thread producer([c = c] {
        for (int i = 0; i < 1000; ++i)
            c.yield(i);
        c.finish();
        c.finish();
    });
    int expected = 0;
    while (auto v = stream.next())
        EXPECT_EQ(*v, expected++);
    producer.join();
    EXPECT_EQ(expected, 1000);
    EXPECT_EQ(terminations.load(), 1);
    EXPECT_EQ(why, StreamTermination::finished);
}

TEST(EventStream, DroppingTheStreamCancelsOnceAndRejectsLaterEvents) {
    std::atomic<int> terminations{0};
    EventStream<int>::Continuation c;
    {
        auto [stream, cont] = EventStream<int>::make();
        c = cont;
        c.onTermination([&](StreamTermination t) {
            EXPECT_EQ(t, StreamTermination::canceled);
            ++terminations;
        });
        EXPECT_TRUE(c.yield(1));
    }
    EXPECT_FALSE(c.yield(2));
    EXPECT_TRUE(c.isTerminated());
    c.finish();
    EXPECT_EQ(terminations.load(), 1);
}

TEST(EventStream, TerminationInstalledAfterTheEndRunsAtOnce) {
    auto [stream, c] = EventStream<int>::make();
    c.finish();
    bool ran = false;
    c.onTermination([&](StreamTermination t) { ran = t == StreamTermination::finished; });
    EXPECT_TRUE(ran);
    EXPECT_FALSE(stream.next().has_value());
}

TEST(EventStream, ForEachDrainsBufferedEventsThenFollowsTheProducer) {
    auto [stream, c] = EventStream<int>::make();
    c.yield(1);
    c.yield(2);
    std::vector<int> seen;
    bool ended = false;
    std::move(stream).forEach([&](int v) { seen.push_back(v); }, [&] { ended = true; });
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));
    c.yield(3);
    EXPECT_FALSE(ended);
    c.finish();
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(ended);
}

// A batch's events are made as they are taken, in their place among single events, and a
// batch partly pulled goes on where it stopped when the rest is handed to forEach.
TEST(EventStream, BatchedEventsKeepTheirPlaceWhetherPulledOrHandedOn) {
    struct Counting : EventBatch<int> {
        int first, count;
        Counting(int first, int count) : first(first), count(count) {}
        std::size_t size() const override { return std::size_t(count); }
        int make(std::size_t i) override { return first + int(i); }
    };
    auto [stream, c] = EventStream<int>::make();
    c.yield(0);
    c.yieldBatch(std::make_unique<Counting>(1, 3));
    c.yieldBatch(std::make_unique<Counting>(99, 0));
    c.yield(4);
    std::vector<int> seen{*stream.next(), *stream.next()};
    std::move(stream).forEach([&](int v) { seen.push_back(v); });
    c.yieldBatch(std::make_unique<Counting>(5, 2));
    c.finish();
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(EventStream, NothingIsDeliveredAfterCancelReturns) {
    auto [stream, c] = EventStream<int>::make();
    std::atomic<int> afterCancel{0};
    std::atomic<bool> canceled{false};
    auto cancel = std::move(stream).forEach([&](int) {
        if (canceled.load())
            ++afterCancel;
    });
    std::thread producer([c = c] {
        for (int i = 0; i < 100000 && c.yield(i); ++i) {
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    cancel();
    canceled = true;
    producer.join();
    EXPECT_EQ(afterCancel.load(), 0);
}
