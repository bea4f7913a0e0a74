#include "support/RecordedTelemetry.h"

#include "shell/GoalPromptModel.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

TEST(GoalPromptModel, TheSentDetailDropsControlAndFormatCharactersAndCountsGraphemes) {
    // A tab or line break between words goes, nothing in its place; only the ends are trimmed.
    EXPECT_EQ(GoalPromptModel::cleanedDetail(" web\tapps \n", 100), QString("webapps"));
    // A family emoji is one character of several scalars; its joiners are format characters.
    const QString family = QString::fromUtf8("👨\u200D👩\u200D👧");
    EXPECT_EQ(GoalPromptModel::cleanedDetail("ab" + family + "cd", 3), QString::fromUtf8("ab👨"));
    EXPECT_EQ(GoalPromptModel::cleanedDetail("   ", 10), std::nullopt);
    EXPECT_EQ(GoalPromptModel::cleanedDetail("text", 0), std::nullopt);
    EXPECT_EQ(GoalPromptModel::cleanedDetail("text", -5), std::nullopt);
}

TEST(GoalPromptModel, ChoosingAnOptionWithoutDetailEmptiesTheDetailAndSendsNull) {
    RecordedTelemetry telemetry;
    QString continued;
    GoalPromptModel model(
        {"Q", "S", "welcome", -1, {{"a", "A", QString("Why?")}, {"b", "B", std::nullopt}}},
        [&](const QString& key) { continued = key; });
    model.submit();
    EXPECT_TRUE(continued.isEmpty());
    model.select("a");
    model.setDetail("anything"); // a negative limit counts as 0
    EXPECT_EQ(model.detail(), "");
    model.select("b");
    model.submit();
    EXPECT_EQ(continued, "b");
    const auto sent = telemetry.withName("goal_selected");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_TRUE(sent.first().value("detail").isNull());
    EXPECT_EQ(sent.first().value("surface").toString(), "welcome");
}
