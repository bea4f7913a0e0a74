#include "support/RecordedTelemetry.h"
#include "support/TestScreenContext.h"
#include "support/ui/WidgetDriver.h"

#include "ui/views/NPSFeedbackCard.h"

#include <QAccessible>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tovr;
using namespace tovr::test;

// The scores are one group of exclusive choices: a screen reader hears each as a radio
// button and the chosen one as selected; keys choose as clicks do. Once the feedback is
// sent, none can be chosen.
TEST(NPSFeedbackCard, TheScoresAreOneChoiceThatIsSpentOnceSent) {
    RecordedTelemetry telemetry;
    TestScreenContext context{AppServices{}};
    NPSFeedbackCard card(context.context, nullptr, std::chrono::milliseconds(20));
    card.resize(640, 420);
    card.show();
    const auto heard = [&](int n) {
        return QAccessible::queryAccessibleInterface(
            card.findChild<QPushButton*>(QStringLiteral("nps-score-%1").arg(n)));
    };
    card.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&card));
    card.findChild<QPushButton*>("nps-dismiss")->setFocus();
    for (const auto key : {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Space}) // on the second score
        QTest::keyClick(card.focusWidget(), key);
    QTest::keyClick(card.focusWidget(), Qt::Key_Right); // the choice moves with the focus
    EXPECT_EQ(card.model()->score(), 2);

    clickButton(&card, "nps-score-9");
    EXPECT_EQ(heard(9)->role(), QAccessible::RadioButton);
    EXPECT_TRUE(heard(9)->state().checked);
    EXPECT_FALSE(heard(2)->state().checked);

    card.findChild<QPushButton*>("nps-submit")->setFocus();
    QTest::keyClick(card.focusWidget(), Qt::Key_Space);
    const auto anyEnabled = [&] {
        const auto scores = card.findChildren<QPushButton*>(QRegularExpression("^nps-score-"));
        return std::any_of(scores.cbegin(), scores.cend(),
                           [](const QPushButton* score) { return score->isEnabled(); });
    };
    EXPECT_FALSE(anyEnabled()) << "while the score is sent";
    ASSERT_TRUE(
        spinUntil([&] { return card.model()->phase() == NPSFeedbackCardModel::Phase::thanks; }));
    EXPECT_FALSE(anyEnabled()) << "after the thanks";
}
