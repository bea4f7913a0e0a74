#include "support/MemoryKeyValueStore.h"
#include "support/QtPrinting.h"
#include "support/RecordedTelemetry.h"
#include "support/ScopedProductConfig.h"

#include "diagnosis/DiagnosisDetailModel.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace tovr::test;

namespace {

JDKInfo temurin21() {
    return {"21.0.2", "Eclipse Adoptium", "arm64",
            "/Library/Java/JavaVirtualMachines/temurin-21.jdk/Contents/Home"};
}

} // namespace

// The only test of this program that puts a score card on screen: "nps_shown" goes out
// once per process.
TEST(DiagnosisDetailModel, ScoreCardIsCountedOnceAndLeavingWithoutAScoreIsADismissal) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    RecordedTelemetry telemetry;
    MemoryKeyValueStore defaults;
    int continued = 0;
    DiagnosisDetailModel::Callbacks callbacks;
    callbacks.onContinue = [&] { ++continued; };

    DiagnosisDetailModel first(Diagnosis::D4_ModernHomeSet(temurin21()), std::nullopt, std::nullopt,
                               callbacks, defaults);
    ASSERT_EQ(first.section(), DiagnosisDetailModel::Section::nothingToFix);
    ASSERT_TRUE(first.showsScoreCard());
    first.appeared();
    first.appeared();
    first.continueToAudit();
    EXPECT_EQ(telemetry.names(), (QStringList{"nps_shown", "nps_dismissed"}));
    EXPECT_EQ(continued, 1);

    // A later screen shows the card again but does not count it again; a score given
    // there ends the dismissals.
    DiagnosisDetailModel second(Diagnosis::noErrorsFound(), std::nullopt, std::nullopt, callbacks,
                                defaults);
    second.appeared();
    second.continueToAudit();
    second.scoreSubmitted();
    EXPECT_FALSE(second.showsScoreCard());
    second.continueToAudit();
    EXPECT_EQ(telemetry.names(), (QStringList{"nps_shown", "nps_dismissed", "nps_dismissed"}));
    EXPECT_EQ(continued, 3);
}

TEST(DiagnosisDetailModel, OffersOnlyTheStepThatFitsTheDiagnosis) {
    ScopedProductConfig java(ProductConfig::javaDiagnosis());
    RecordedTelemetry telemetry;
    MemoryKeyValueStore defaults;
    defaults.set(true, ProductConfig::javaDiagnosis().userDefaultsPrefix + ".nps_submitted");
    QList<Remediation> remediated;
    int continued = 0;
    DiagnosisDetailModel::Callbacks callbacks;
    callbacks.onRemediate = [&](const Remediation& r) { remediated << r; };
    callbacks.onContinue = [&] { ++continued; };
    callbacks.onInstallChosen = [&](qint64) { ADD_FAILURE() << "no chooser here"; };

    // Feedback already given: no card, nothing sent, continue goes on at once.
    DiagnosisDetailModel done(Diagnosis::D4_ModernHomeSet(temurin21()), std::nullopt, std::nullopt,
                              callbacks, defaults);
    EXPECT_FALSE(done.showsScoreCard());
    done.appeared();
    done.installChosen();
    done.continueToAudit();
    EXPECT_EQ(continued, 1);

    // The proposed JAVA_HOME fix runs as proposed; without one there is nothing to press.
    const auto fix = Remediation::writeJavaHomeToZprofile(temurin21().path);
    DiagnosisDetailModel proposed(Diagnosis::D2_HomeUnset(temurin21()), std::nullopt, fix,
                                  callbacks, defaults);
    proposed.continueToAudit();
    proposed.remediate();
    DiagnosisDetailModel waiting(Diagnosis::D2_HomeUnset(temurin21()), std::nullopt, std::nullopt,
                                 callbacks, defaults);
    EXPECT_EQ(waiting.section(), DiagnosisDetailModel::Section::choosingFix);
    waiting.remediate();
    EXPECT_EQ(remediated, QList<Remediation>{fix});

    // A diagnosis the engine could not make: continue only, never the score card.
    MemoryKeyValueStore noFeedback;
    DiagnosisDetailModel unknown(Diagnosis::unknown("odd"), std::nullopt, std::nullopt, callbacks,
                                 noFeedback);
    unknown.appeared();
    unknown.chooseMajor(17);
    unknown.continueToAudit();
    EXPECT_EQ(continued, 2);
    EXPECT_TRUE(telemetry.names().isEmpty());
}
