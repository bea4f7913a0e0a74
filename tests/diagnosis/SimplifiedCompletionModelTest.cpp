#include "diagnosis/SimplifiedCompletionModel.h"

#include "support/MemoryKeyValueStore.h"
#include "support/RecordedTelemetry.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

TEST(SimplifiedCompletion, SendsTheBuildIntentEventsForItsSurfaceAndLeavesThroughItsOwner) {
    RecordedTelemetry telemetry;
    auto defaults = std::make_shared<MemoryKeyValueStore>();
    int opened = 0;
    int done = 0;
    SimplifiedCompletionModel prompt(
        CompletionSurface::prompt(BuildIntentSurface::noErrorsFound), [&] { ++opened; },
        [&] { ++done; }, defaults);
    ASSERT_TRUE(prompt.showsBuildIntentPrompt());
    prompt.buildIntentPromptAppeared();
    prompt.buildIntentPromptAppeared();
    prompt.optIn();
    prompt.optIn();
    EXPECT_EQ(opened, 2);
    const auto shown = telemetry.withName("build_intent_prompt_shown");
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0]["surface"].toString(), "no_errors_found");
    EXPECT_EQ(telemetry.count("build_intent_opted_in"), 2);

    // Seen and not submitted: "nps_dismissed", then home.
    ASSERT_TRUE(prompt.showsCard());
    prompt.cardAppeared();
    prompt.finish();
    EXPECT_EQ(telemetry.count("nps_dismissed"), 1);
    EXPECT_EQ(done, 1);

    SimplifiedCompletionModel excluded(
        CompletionSurface::excluded(), [&] { ++opened; }, [&] { ++done; }, defaults);
    EXPECT_FALSE(excluded.showsBuildIntentPrompt());
    excluded.buildIntentPromptAppeared();
    excluded.optIn();
    excluded.cardAppeared();
    excluded.cardSubmitted();
    EXPECT_FALSE(excluded.showsCard());
    excluded.finish();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(telemetry.count("build_intent_prompt_shown"), 1);
    EXPECT_EQ(telemetry.count("nps_dismissed"), 1);
}
