#include "platform/ReadinessScreenCopy.h"
#include "platform/DiskReadinessConfig.h"

#include <gtest/gtest.h>

using namespace tovr;

namespace {

const DiskReadinessConfig productDisk{15'000'000'000, 10'000'000'000, 3'000'000'000};

} // namespace

TEST(DiskReadiness, StrictThresholds) {
    const struct {
        std::optional<qint64> free;
        DiskVerdict verdict;
    } rows[] = {
        {std::nullopt, DiskVerdict::unmeasured}, {0, DiskVerdict::critical},
        {2'999'999'999, DiskVerdict::critical},  {3'000'000'000, DiskVerdict::low},
        {24'999'999'999, DiskVerdict::low},      {25'000'000'000, DiskVerdict::ok},
    };
    for (const auto& row : rows) {
        const auto result = productDisk.evaluate(row.free);
        EXPECT_EQ(result,
                  (DiskReadinessResult{row.verdict, row.free, 15'000'000'000, 10'000'000'000}))
            << row.free.value_or(-1);
        EXPECT_EQ(result.needsWarning(),
                  row.verdict == DiskVerdict::low || row.verdict == DiskVerdict::critical);
    }
    // A sum past the 64-bit range does not wrap round to "ok".
    const DiskReadinessConfig huge{std::numeric_limits<qint64>::max(), 10, 0};
    EXPECT_EQ(huge.evaluate(1'000'000'000'000).verdict, DiskVerdict::low);
    for (auto v :
         {DiskVerdict::ok, DiskVerdict::low, DiskVerdict::critical, DiskVerdict::unmeasured})
        EXPECT_EQ(fromRaw<DiskVerdict>(toRaw(v)), v);
    EXPECT_EQ(fromRaw<DiskVerdict>(u"Low"), std::nullopt);
}

TEST(ReadinessScreenCopy, EveryTextAsWritten) {
    const QString slowBody = "Tovrin downloads several hundred megabytes from Apple and Homebrew. "
                             "On this connection that will take about %1 minutes. You can continue "
                             "now, or stop and try again later when your connection is faster. "
                             "Nothing has changed on your Mac yet.";
    const QString criticalBody = "Your Mac has only about %1 GB free. Installing new software now "
                                 "is likely to fail partway and may leave your Mac unstable. "
                                 "Freeing up space first is strongly recommended.";
    const QString lowBody = "Tovrin can add up to about %1 GB if you install everything we "
                            "recommend. Your Mac has about %2 GB free right now. You can continue "
                            "and choose fewer items, free up some space first, or stop and come "
                            "back later. Nothing has changed on your Mac yet.";
    const ReadinessScreenCopy unreachable{
        "Your connection", "We can't reach the servers needed to install",
        "The Apple and Homebrew download servers aren't responding right now. You can still "
        "try, but it may fail partway. Checking your internet connection first is recommended.",
        "Continue now", "Stop and try later"};
    auto slow = [&](const char* minutes) {
        return ReadinessScreenCopy{"Your connection", "Slow Internet Connection",
                                   slowBody.arg(minutes), "Continue now", "Stop and try later"};
    };
    auto critical = [&](const char* gb) {
        return ReadinessScreenCopy{"Your disk space", "Your Mac is almost out of space",
                                   criticalBody.arg(gb), "Continue anyway",
                                   "Stop and free up space"};
    };
    auto low = [&](const char* worst, const char* gb) {
        return ReadinessScreenCopy{"Your disk space", "Low on disk space", lowBody.arg(worst, gb),
                                   "Continue anyway", "Stop and free up space"};
    };
    const struct {
        ReadinessScreenCopy actual;
        ReadinessScreenCopy expected;
    } rows[] = {
        {ReadinessScreenCopy::network(NetworkVerdict::unreachable, 750), unreachable},
        {ReadinessScreenCopy::network(NetworkVerdict::slow, 750), slow("13")},
        {ReadinessScreenCopy::network(NetworkVerdict::slow, 749), slow("12")},
        {ReadinessScreenCopy::network(NetworkVerdict::slow, std::nullopt), slow("10")},
        {ReadinessScreenCopy::network(NetworkVerdict::slow, 5), slow("1")},
        {ReadinessScreenCopy::network(NetworkVerdict::ok, 3600), slow("60")},
        {ReadinessScreenCopy::disk(DiskVerdict::critical, 2'400'000'000, 15'000'000'000),
         critical("2")},
        {ReadinessScreenCopy::disk(DiskVerdict::critical, 300'000'000, 15'000'000'000),
         critical("1")},
        {ReadinessScreenCopy::disk(DiskVerdict::critical, 2'500'000'000, 15'000'000'000),
         critical("3")},
        {ReadinessScreenCopy::disk(DiskVerdict::critical, std::nullopt, 15'000'000'000),
         critical("a few")},
        {ReadinessScreenCopy::disk(DiskVerdict::low, 18'600'000'000, 15'000'000'000),
         low("15", "19")},
        {ReadinessScreenCopy::disk(DiskVerdict::low, std::nullopt, 15'000'000'000),
         low("15", "a little")},
        {ReadinessScreenCopy::disk(productDisk.evaluate(2'400'000'000)), critical("2")},
        {ReadinessScreenCopy::network(
             NetworkReadinessResult{NetworkVerdict::slow, 16.0, 750, 1, 3}),
         slow("13")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.actual.windowTitle, row.expected.windowTitle);
        EXPECT_EQ(row.actual.headline, row.expected.headline);
        EXPECT_EQ(row.actual.body, row.expected.body);
        EXPECT_EQ(row.actual.continueLabel, row.expected.continueLabel);
        EXPECT_EQ(row.actual.stopLabel, row.expected.stopLabel);
    }
}
