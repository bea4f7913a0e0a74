#include "support/MemoryKeyValueStore.h"
#include "support/RecordedTelemetry.h"
#include "support/SpinUntil.h"

#include "model/ProductConfig.h"
#include "ui/NPSFeedbackCardModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;
using namespace std::chrono_literals;

namespace {

QString submittedKey() {
    return ProductConfig::current().userDefaultsPrefix + ".nps_submitted";
}

} // namespace

TEST(NPSFeedbackCard, SubmitSendsTheLastScoreRemembersAtOnceAndThanksAfterTheDelay) {
    RecordedTelemetry telemetry;
    auto defaults = std::make_shared<MemoryKeyValueStore>();
    NPSFeedbackCardModel card(defaults, 30ms);
    int submitted = 0;
    QObject::connect(&card, &NPSFeedbackCardModel::submitted, [&] { ++submitted; });
    card.selectScore(3);
    card.setReasonText("  \n ");
    card.selectScore(9);
    card.submit();
    EXPECT_EQ(card.phase(), NPSFeedbackCardModel::Phase::submitting);
    EXPECT_EQ(defaults->boolean(submittedKey()), true);
    card.selectScore(1); // ignored while submitting
    card.submit();
    EXPECT_EQ(card.phase(), NPSFeedbackCardModel::Phase::submitting);

    // Dismissing meanwhile empties the card at once; the thanks still follow.
    card.dismiss();
    EXPECT_TRUE(card.didDismiss());
    ASSERT_TRUE(spinUntil([&] { return submitted == 1; }));
    EXPECT_EQ(card.phase(), NPSFeedbackCardModel::Phase::thanks);
    const auto sent = telemetry.withName("nps_submitted");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0]["score"].toInteger(), 9);
    EXPECT_TRUE(sent[0]["reason"].isNull());
    EXPECT_EQ(telemetry.names(), QStringList({"nps_submitted", "nps_dismissed"}));
}

TEST(NPSFeedbackCard, NothingIsRememberedWithoutSubmitAndAGoneCardSaysNothingLater) {
    RecordedTelemetry telemetry;
    auto defaults = std::make_shared<MemoryKeyValueStore>();
    {
        NPSFeedbackCardModel card(defaults);
        card.selectScore(7);
        card.dismiss();
        EXPECT_FALSE(defaults->boolean(submittedKey()).has_value());
    }
    // The screen hosting the card went away during the delay: its host hears nothing.
    QObject host;
    int submitted = 0;
    auto card = std::make_unique<NPSFeedbackCardModel>(defaults, 20ms);
    QObject::connect(card.get(), &NPSFeedbackCardModel::submitted, &host, [&] { ++submitted; });
    card->selectScore(10);
    card->submit();
    card.reset();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(submitted, 0);
}
