#include "model/SharedDomainCopy.h"
#include "model/SpineCopyProviding.h"
#include "model/SpineRenderPolicy.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

// A copy provider that leaves the working-folder prompt to the interface.
class MinimalCopy : public SpineCopyProviding {
public:
    std::optional<SpineScreenCopy> screenCopy(const QString&,
                                              const std::optional<SetupDiagnosis>&) const override {
        return std::nullopt;
    }
    QString statusText(const QString&, const SetupDiagnosis& d) const override {
        return d.headline;
    }
    QString diagnosisWindowTitle() const override { return {}; }
    QString summaryHeadline() const override { return {}; }
    QString consentFootnote() const override { return {}; }
    QString prerequisitesArticlePath() const override { return {}; }
    QString verifyingTitle() const override { return {}; }
    QString keepGoingTitle() const override { return {}; }
    QString keepGoingHeadline() const override { return {}; }
    QString keepGoingBody() const override { return {}; }
    QString doneLabel() const override { return {}; }
    QString readyTitle() const override { return {}; }
    QString notReadyTitle() const override { return {}; }
    QString allVerifiedText() const override { return {}; }
    QString someUnverifiedText() const override { return {}; }
    QString extraNote() const override { return {}; }
    QString outcomeQuestion() const override { return {}; }
    QString updateArticlePath() const override { return {}; }
    QString commandNotFoundArticlePath() const override { return {}; }
    QString lastQuestionTitle() const override { return {}; }
};

} // namespace

TEST(SpineCopyProviding, WorkspacePromptHasADefault) {
    EXPECT_EQ(MinimalCopy().workspacePrompt(), u"Choose a folder to work in"_s);
}

TEST(SpineRenderPolicy, DefaultPolicyChangesNothing) {
    const SpineRenderPolicy policy;
    EXPECT_EQ(policy.homebrewIndependentDomains, (QSet<QString>{u"clt"_s, u"homebrew"_s}));
    EXPECT_TRUE(policy.summaryExcludedDomains.isEmpty());
    EXPECT_TRUE(policy.offers.isEmpty());
    EXPECT_TRUE(policy.advanceOnPartialFailureDomains.isEmpty());
    EXPECT_TRUE(policy.stageArticlePaths.isEmpty());
    EXPECT_TRUE(policy.fallbackArticlePath.isEmpty());
    EXPECT_EQ(policy.privilegedActionReason, std::nullopt);
    EXPECT_TRUE(policy.privilegedReasons.isEmpty());
    EXPECT_FALSE(policy.onStageBlocked);
    EXPECT_EQ(policy.postPrimaryInterstitial, std::nullopt);
    EXPECT_EQ(policy.networkReadiness, nullptr);
    EXPECT_EQ(policy.diskReadiness, nullptr);
    EXPECT_TRUE(policy.remediationCaptions.isEmpty());
    EXPECT_FALSE(policy.onOutcomeReported);
    EXPECT_FALSE(policy.outcomeOpenableApps);
    EXPECT_TRUE(policy.specialStages.isEmpty());
}

TEST(SpineRenderPolicy, SpecialStageKindsCompareByCaseAndPayload) {
    using K = SpineRenderPolicy::SpecialStageKind;
    const SpineRenderPolicy::CaskChoice zed{u"Zed"_s, u"brew:zed"_s, u"cask-zed"_s};
    EXPECT_EQ(K::caskMultiselect(u"T"_s, u"i"_s, {zed}), K::caskMultiselect(u"T"_s, u"i"_s, {zed}));
    EXPECT_NE(K::caskMultiselect(u"T"_s, u"i"_s, {zed}), K::caskMultiselect(u"T"_s, u"i"_s, {}));
    EXPECT_NE(K::groupedInstall(u"T"_s, u"i"_s, u"a"_s), K::groupedInstall(u"T"_s, u"i"_s, u"b"_s));
    EXPECT_NE(K::skillsMultiselect(), K::mcpMultiselect());
    EXPECT_EQ(K::gitActions(), K::gitActions());
}

TEST(SharedDomainCopy, StandardCopyDrivesTheTwoSharedVerdicts) {
    const auto& copy = SharedDomainCopy::standard();
    EXPECT_EQ(&copy, &SharedDomainCopy::standard());
    const QList<std::pair<SharedDomainCopy::State, SharedDomainCopy::State>> expected{
        {copy.cltReady,
         {u"Command Line Tools are installed"_s,
          u"Apple's Command Line Tools are present — required for Homebrew and Git."_s}},
        {copy.cltFixable,
         {u"Install Apple's Command Line Tools"_s,
          u"Homebrew and Git need Apple's Command Line Tools. We'll open Apple's installer; it "
          "takes a few minutes."_s}},
        {copy.homebrewReady,
         {u"Homebrew is installed"_s,
          u"Homebrew is present — we'll use it to install your tools coherently and keep them "
          "updatable."_s}},
        {copy.homebrewFixable,
         {u"Homebrew isn't installed"_s,
          u"We'll install Homebrew first — it's how we install your tools as one coherent, "
          "updatable, removable setup."_s}},
        {copy.warpReady, {u"Warp is installed"_s, u"You already have Warp."_s}},
        {copy.warpFixable,
         {u"Try Warp — the AI-assisted terminal"_s,
          u"Warp is a modern macOS terminal we recommend."_s}},
    };
    for (const auto& [actual, wanted] : expected)
        EXPECT_EQ(actual, wanted) << wanted.headline.toStdString();

    SystemProfile bare;
    SystemProfile ready;
    ready.xcodeCommandLineToolsPath = u"/Library/Developer/CommandLineTools"_s;
    ready.homebrewPrefix = u"/opt/homebrew/bin/brew"_s;
    using C = SetupDiagnosisClassification;
    EXPECT_EQ(copy.cltDiagnosis(ready),
              (SetupDiagnosis{copy.cltReady.headline, copy.cltReady.detail, C::ready}));
    EXPECT_EQ(copy.cltDiagnosis(bare),
              (SetupDiagnosis{copy.cltFixable.headline, copy.cltFixable.detail, C::fixable}));
    EXPECT_EQ(copy.homebrewDiagnosis(ready),
              (SetupDiagnosis{copy.homebrewReady.headline, copy.homebrewReady.detail, C::ready}));
    EXPECT_EQ(
        copy.homebrewDiagnosis(bare),
        (SetupDiagnosis{copy.homebrewFixable.headline, copy.homebrewFixable.detail, C::fixable}));
}
