#include "model/BasicSetupStage.h"
#include "model/DomainPlacement.h"
#include "model/HomebrewVersion.h"
#include "model/ProjectTemplate.h"
#include "model/SetupDiagnosis.h"
#include "model/SetupFlow.h"
#include "model/SetupVerificationResult.h"
#include "model/SetupWorkflow.h"
#include "model/TOVRLanguage.h"
#include "model/VerifyPolicy.h"

#include <gtest/gtest.h>

using namespace tovr;
using namespace Qt::Literals::StringLiterals;

namespace {

// Every case must come back from its own raw value and from nothing else nearby.
template <class E, class Cases>
void expectExactRawValues(const Cases& cases, const QStringList& raws) {
    ASSERT_EQ(qsizetype(cases.size()), raws.size());
    for (qsizetype i = 0; i < raws.size(); ++i) {
        SCOPED_TRACE(raws[i].toStdString());
        EXPECT_EQ(toRaw(cases[i]), raws[i]);
        EXPECT_EQ(fromRaw<E>(raws[i]), cases[i]);
        EXPECT_EQ(fromRaw<E>(raws[i].toUpper()), std::nullopt);
        EXPECT_EQ(fromRaw<E>(raws[i] + u' '), std::nullopt);
        EXPECT_EQ(fromRaw<E>(u' ' + raws[i]), std::nullopt);
        EXPECT_EQ(fromRaw<E>(raws[i].first(1).toUpper() + raws[i].mid(1)), std::nullopt);
    }
    EXPECT_EQ(fromRaw<E>(u""), std::nullopt);
}

using C = SetupDiagnosisClassification;

WorkflowStep step(const char* domain, DomainPlacement placement, C classification = C::fixable) {
    return {std::make_shared<BasicSetupStage>(QString::fromUtf8(domain),
                                              SetupDiagnosis{u"h"_s, u"d"_s, classification}),
            placement};
}

} // namespace

TEST(RawValues, ParseOnlyTheirExactText) {
    expectExactRawValues<C>(std::array{C::ready, C::fixable, C::blocked, C::unknown},
                            {u"ready"_s, u"fixable"_s, u"blocked"_s, u"unknown"_s});
    expectExactRawValues<VerifyPolicy>(allVerifyPolicies,
                                       {u"localVerification"_s, u"installCompletion"_s});
    expectExactRawValues<DomainPlacement>(allDomainPlacements,
                                          {u"primary"_s, u"offer"_s, u"optional"_s});
    expectExactRawValues<SetupFlow>(allSetupFlows, {u"diagnose"_s, u"setupWorkflow"_s});
    expectExactRawValues<ProjectTemplate>(allProjectTemplates, {u"simple"_s, u"coding"_s});
    expectExactRawValues<TOVRLanguage>(allTOVRLanguages,
                                       {u"python"_s, u"node"_s, u"java"_s, u"ruby"_s, u"rust"_s});
}

TEST(RawValues, NearMissesAreAbsent) {
    EXPECT_EQ(fromRaw<DomainPlacement>(u"Primary"), std::nullopt);
    EXPECT_EQ(fromRaw<C>(u"Ready"), std::nullopt);
    EXPECT_EQ(fromRaw<C>(u"still_blocked "), std::nullopt);
    EXPECT_EQ(fromRaw<VerifyPolicy>(u"local_verification"), std::nullopt);
    EXPECT_EQ(fromRaw<SetupFlow>(u"setup_workflow"), std::nullopt);
    EXPECT_EQ(fromRaw<TOVRLanguage>(u"javascript"), std::nullopt);
}

TEST(SetupWorkflow, EmptyWorkflowAnswersNothing) {
    const SetupWorkflow workflow;
    EXPECT_EQ(workflow.placement(u"clt"_s), std::nullopt);
    EXPECT_EQ(workflow.firstDomainID(), std::nullopt);
    EXPECT_EQ(workflow.domainIDAfter(u"clt"_s), std::nullopt);
    EXPECT_EQ(workflow.nextPendingDomainID(DomainPlacement::primary), std::nullopt);
    EXPECT_TRUE(workflow.primaryDomainIDs().isEmpty());
    EXPECT_TRUE(workflow.offerDomainIDs().isEmpty());
    EXPECT_TRUE(workflow.optionalDomainIDs().isEmpty());
}

TEST(SetupWorkflow, QueriesFollowStepOrder) {
    using P = DomainPlacement;
    const SetupWorkflow workflow{{step("clt", P::primary, C::ready), step("homebrew", P::optional),
                                  step("shell-config", P::primary), step("warp", P::offer),
                                  step("editor", P::optional, C::ready), step("git", P::optional),
                                  step("homebrew", P::primary)}};
    EXPECT_EQ(workflow.primaryDomainIDs(),
              (QStringList{u"clt"_s, u"shell-config"_s, u"homebrew"_s}));
    EXPECT_EQ(workflow.offerDomainIDs(), QStringList{u"warp"_s});
    EXPECT_EQ(workflow.optionalDomainIDs(), (QStringList{u"homebrew"_s, u"editor"_s, u"git"_s}));
    EXPECT_EQ(workflow.placement(u"homebrew"_s), P::optional); // the first step wins
    EXPECT_EQ(workflow.placement(u"Homebrew"_s), std::nullopt);
    EXPECT_EQ(workflow.firstDomainID(), u"clt"_s);
    EXPECT_EQ(workflow.domainIDAfter(u"clt"_s), u"homebrew"_s);
    EXPECT_EQ(workflow.domainIDAfter(u"homebrew"_s), u"shell-config"_s);
    EXPECT_EQ(workflow.domainIDAfter(u"git"_s), u"homebrew"_s);
    EXPECT_EQ(workflow.domainIDAfter(u"mcp"_s), std::nullopt);

    // Ready stages are skipped; "after" is looked up only within the placement.
    EXPECT_EQ(workflow.nextPendingDomainID(P::primary), u"shell-config"_s);
    EXPECT_EQ(workflow.nextPendingDomainID(P::primary, u"shell-config"_s), u"homebrew"_s);
    EXPECT_EQ(workflow.nextPendingDomainID(P::primary, u"homebrew"_s), std::nullopt);
    EXPECT_EQ(workflow.nextPendingDomainID(P::offer, u"clt"_s), std::nullopt);
    EXPECT_EQ(workflow.nextPendingDomainID(P::optional), u"homebrew"_s);
    EXPECT_EQ(workflow.nextPendingDomainID(P::optional, u"homebrew"_s), u"git"_s);
}

TEST(SetupWorkflow, EveryNonReadyVerdictIsPending) {
    using P = DomainPlacement;
    const SetupWorkflow workflow{{step("a", P::primary, C::ready),
                                  step("b", P::primary, C::blocked),
                                  step("c", P::primary, C::unknown)}};
    EXPECT_EQ(workflow.nextPendingDomainID(P::primary), u"b"_s);
    EXPECT_EQ(workflow.nextPendingDomainID(P::primary, u"b"_s), u"c"_s);
}

TEST(SetupValues, StagesAndResultsCompareByValue) {
    const SetupAction zed{u"brew:zed"_s, u"Install Zed"_s, {}, VerifyPolicy::installCompletion};
    const BasicSetupStage stage{u"editor"_s, {u"h"_s, u"d"_s, C::fixable}, {zed}};
    EXPECT_EQ(stage, (BasicSetupStage{u"editor"_s, {u"h"_s, u"d"_s, C::fixable}, {zed}}));
    EXPECT_NE(stage, (BasicSetupStage{u"editor"_s, {u"h"_s, u"d"_s, C::ready}, {zed}}));
    EXPECT_NE(stage, (BasicSetupStage{u"editor"_s, {u"h"_s, u"d"_s, C::fixable}}));

    const SetupVerificationResult brief{QString(), false};
    EXPECT_EQ(brief.exitCode, std::nullopt);
    EXPECT_EQ(brief.engineOutcome, std::nullopt);
    EXPECT_TRUE(brief.verifiedItems.isEmpty());
    EXPECT_TRUE(brief.details.isEmpty());
    auto exited = brief;
    exited.exitCode = 0;
    EXPECT_NE(brief, exited);
    auto detailed = brief;
    detailed.details.insert(u"brew"_s, u"4.4"_s);
    EXPECT_NE(brief, detailed);
}

TEST(HomebrewVersion, RealOutputAndGarbage) {
    const struct {
        const char* output;
        std::optional<QString> version;
    } cases[] = {
        {"Homebrew 4.4.6\n", "4.4.6"},
        {"Homebrew 4.2.9\nHomebrew/homebrew-core (git revision 5d0c1a; last commit "
         "2024-02-20)\nHomebrew/homebrew-cask (git revision 9a1b; last commit 2024-02-20)\n",
         "4.2.9"},
        {"Homebrew 3.6.21-12-g4f2f0b1\n", "3.6.21-12-g4f2f0b1"},
        {"Homebrew >=2.5.0 (shallow or no git repository)\n", ">=2.5.0"},
        {"\n  Homebrew   4.1.0  \n", "4.1.0"},
        // A warning before the version line hides the version.
        {"Warning: No remote 'origin' in /opt/homebrew, skipping update!\nHomebrew 4.2.9\n",
         std::nullopt},
        {"Homebrew\n", std::nullopt},
        {"homebrew 4.0.0\n", std::nullopt},
        {"zsh:1: command not found: brew\n", std::nullopt},
        {"", std::nullopt},
        {"  \n\n ", std::nullopt},
        {"\x01\x02\xff\xfe", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseHomebrewVersion(QString::fromUtf8(c.output)), c.version) << c.output;
}
