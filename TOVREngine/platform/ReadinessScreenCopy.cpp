#include "platform/ReadinessScreenCopy.h"

#include <algorithm>
#include <cmath>

namespace tovr {

namespace {

// Whole figures: halves away from zero, never below 1.
QString wholeAtLeastOne(double value) {
    return QString::number(std::max<qint64>(static_cast<qint64>(std::round(value)), 1));
}

} // namespace

ReadinessScreenCopy ReadinessScreenCopy::network(NetworkVerdict verdict,
                                                 std::optional<qint64> estimatedInstallSeconds) {
    ReadinessScreenCopy copy;
    copy.windowTitle = QStringLiteral("Your connection");
    copy.continueLabel = QStringLiteral("Continue now");
    copy.stopLabel = QStringLiteral("Stop and try later");
    if (verdict == NetworkVerdict::unreachable) {
        copy.headline = QStringLiteral("We can't reach the servers needed to install");
        copy.body = QStringLiteral(
            "The Apple and Homebrew download servers aren't responding right now. You can "
            "still try, but it may fail partway. Checking your internet connection first is "
            "recommended.");
    } else {
        const QString minutes = estimatedInstallSeconds
                                    ? wholeAtLeastOne(double(*estimatedInstallSeconds) / 60.0)
                                    : QStringLiteral("10");
        copy.headline = QStringLiteral("Slow Internet Connection");
        copy.body = QStringLiteral("Tovrin downloads several hundred megabytes from Apple and "
                                   "Homebrew. On this connection that will take about ") +
                    minutes +
                    QStringLiteral(" minutes. You can continue now, or stop and try again later "
                                   "when your connection is faster. Nothing has changed on your "
                                   "Mac yet.");
    }
    return copy;
}

ReadinessScreenCopy ReadinessScreenCopy::disk(DiskVerdict verdict,
                                              std::optional<qint64> availableBytes,
                                              qint64 worstCaseBytes) {
    auto gigabytes = [](qint64 bytes) { return wholeAtLeastOne(double(bytes) / 1e9); };
    ReadinessScreenCopy copy;
    copy.windowTitle = QStringLiteral("Your disk space");
    copy.continueLabel = QStringLiteral("Continue anyway");
    copy.stopLabel = QStringLiteral("Stop and free up space");
    if (verdict == DiskVerdict::critical) {
        const QString available =
            availableBytes ? gigabytes(*availableBytes) : QStringLiteral("a few");
        copy.headline = QStringLiteral("Your Mac is almost out of space");
        copy.body = QStringLiteral("Your Mac has only about ") + available +
                    QStringLiteral(" GB free. Installing new software now is likely to fail "
                                   "partway and may leave your Mac unstable. Freeing up space "
                                   "first is strongly recommended.");
    } else {
        const QString available =
            availableBytes ? gigabytes(*availableBytes) : QStringLiteral("a little");
        copy.headline = QStringLiteral("Low on disk space");
        copy.body = QStringLiteral("Tovrin can add up to about ") + gigabytes(worstCaseBytes) +
                    QStringLiteral(" GB if you install everything we recommend. Your Mac has "
                                   "about ") +
                    available +
                    QStringLiteral(" GB free right now. You can continue and choose fewer items, "
                                   "free up some space first, or stop and come back later. "
                                   "Nothing has changed on your Mac yet.");
    }
    return copy;
}

} // namespace tovr
