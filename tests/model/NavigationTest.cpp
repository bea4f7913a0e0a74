#include "model/AppNavigation.h"
#include "model/NextStepPrompt.h"
#include "model/Screen.h"

#include <QCoreApplication>
#include <QSet>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

using namespace tovr;

namespace {

AuditContext nextStepAudit() {
    return AuditContext{AuditEntry::nextStepCourse, CompletionSurface::excluded(),
                        TOVRAuditContext{"course", "learn", OfferRoute::content("pack")}};
}

AuditContext nextStepAuditWithoutFollowUp() {
    AuditContext context = nextStepAudit();
    context.tovr->thenRoute.reset();
    return context;
}

} // namespace

TEST(NavigationEnums, RawValuesMatchExactly) {
    const std::pair<AuditEntry, const char*> entries[] = {
        {AuditEntry::heuristic, "heuristic"},
        {AuditEntry::buildIntent, "build_intent"},
        {AuditEntry::nextStepCourse, "next_step_course"},
        {AuditEntry::nextStepBuildSoftware, "next_step_build_software"},
        {AuditEntry::nextStepNotSure, "next_step_not_sure"},
    };
    for (const auto& [entry, raw] : entries) {
        EXPECT_EQ(toRaw(entry), QString::fromUtf8(raw));
        EXPECT_EQ(fromRaw<AuditEntry>(QString::fromUtf8(raw)), entry);
    }
    const std::pair<BuildIntentSurface, const char*> surfaces[] = {
        {BuildIntentSurface::postFix, "post_fix"},
        {BuildIntentSurface::modernHomeSet, "modern_home_set"},
        {BuildIntentSurface::noErrorsFound, "no_errors_found"},
    };
    for (const auto& [surface, raw] : surfaces) {
        EXPECT_EQ(toRaw(surface), QString::fromUtf8(raw));
        EXPECT_EQ(fromRaw<BuildIntentSurface>(QString::fromUtf8(raw)), surface);
    }
    for (const auto* miss : {"course", "Heuristic", "nextStepCourse", " heuristic", ""})
        EXPECT_EQ(fromRaw<AuditEntry>(QString::fromUtf8(miss)), std::nullopt) << miss;
    for (const auto* miss : {"modernHomeSet", "MODERN_HOME_SET", "post-fix", "excluded"})
        EXPECT_EQ(fromRaw<BuildIntentSurface>(QString::fromUtf8(miss)), std::nullopt) << miss;
}

TEST(CompletionSurface, EqualityAndHash) {
    const auto postFix = CompletionSurface::prompt(BuildIntentSurface::postFix);
    EXPECT_EQ(postFix, CompletionSurface::prompt(BuildIntentSurface::postFix));
    EXPECT_NE(postFix, CompletionSurface::excluded());
    EXPECT_NE(postFix, CompletionSurface::prompt(BuildIntentSurface::noErrorsFound));
    EXPECT_EQ(CompletionSurface::excluded(), CompletionSurface::excluded());
    EXPECT_NE(qHash(postFix), qHash(CompletionSurface::excluded()));
}

TEST(Screen, EqualityAndHashing) {
    EXPECT_EQ(Screen::diagnose(), Screen::diagnose());
    EXPECT_NE(Screen::diagnose(), Screen::setupWorkflow());
    EXPECT_NE(Screen::diagnose(), Screen::nextStep());
    EXPECT_NE(Screen::contentOffer("a"), Screen::contentOffer("b"));
    EXPECT_NE(Screen::guidedHelpOffer(), Screen::aiCodingOffer());

    const AuditContext base = nextStepAudit();
    EXPECT_EQ(Screen::audit(base), Screen::audit(nextStepAudit()));
    EXPECT_EQ(qHash(Screen::audit(base)), qHash(Screen::audit(nextStepAudit())));

    QList<AuditContext> variants(5, base);
    variants[0].entry = AuditEntry::nextStepNotSure;
    variants[1].completionSurface = CompletionSurface::prompt(BuildIntentSurface::postFix);
    variants[2].tovr.reset();
    variants[3].tovr->goal.reset();
    variants[4].tovr->thenRoute = OfferRoute::audit(OfferRoute::content("pack"));
    QSet<Screen> screens{Screen::audit(base)};
    for (const auto& variant : variants) {
        EXPECT_NE(Screen::audit(variant), Screen::audit(base));
        screens.insert(Screen::audit(variant));
    }
    EXPECT_EQ(screens.size(), 6);
}

TEST(Screen, NextStepAnswerLeadsToItsOfferRoute) {
    const auto option = [](const QString& key, OfferRoute route) {
        return NextStepOption{key, "label", Outcome::unsure, std::move(route)};
    };
    const std::optional<QString> goal = "learn";

    EXPECT_EQ(Screen::forNextStep(option("x", OfferRoute::content("pack")), goal),
              Screen::contentOffer("pack"));
    EXPECT_EQ(Screen::forNextStep(option("x", OfferRoute::guidedHelpWTP()), goal),
              Screen::guidedHelpOffer());
    EXPECT_EQ(Screen::forNextStep(option("x", OfferRoute::aiCodingInterest()), goal),
              Screen::aiCodingOffer());

    const std::pair<const char*, AuditEntry> entries[] = {
        {"course", AuditEntry::nextStepCourse},
        {"build_software", AuditEntry::nextStepBuildSoftware},
        {"Course", AuditEntry::nextStepNotSure},
        {"not_sure", AuditEntry::nextStepNotSure},
    };
    for (const auto& [key, entry] : entries) {
        const QString k = QString::fromUtf8(key);
        EXPECT_EQ(Screen::forNextStep(option(k, OfferRoute::audit(OfferRoute::guidedHelpWTP())),
                                      std::nullopt),
                  Screen::audit(
                      AuditContext{entry, CompletionSurface::excluded(),
                                   TOVRAuditContext{k, std::nullopt, OfferRoute::guidedHelpWTP()}}))
            << key;
    }
    EXPECT_EQ(Screen::forNextStep(option("course", OfferRoute::audit()), goal),
              Screen::audit(nextStepAuditWithoutFollowUp()));
}

TEST(AppNavigation, StartsEmptyAndSignalsEachAssignmentOnce) {
    AppNavigation nav;
    EXPECT_TRUE(nav.path().isEmpty());
    EXPECT_EQ(nav.selectedGoal(), std::nullopt);
    EXPECT_EQ(nav.selectedNextStep(), std::nullopt);

    int emitted = 0;
    QObject::connect(&nav, &AppNavigation::changed, [&] { ++emitted; });
    nav.setPath({Screen::diagnose()});
    EXPECT_EQ(emitted, 1);
    nav.setPath(nav.path() + QList<Screen>{Screen::nextStep()});
    EXPECT_EQ(emitted, 2);
    EXPECT_EQ(nav.path(), (QList<Screen>{Screen::diagnose(), Screen::nextStep()}));

    nav.setSelectedGoal("learn");
    nav.setSelectedNextStep("course");
    EXPECT_EQ(emitted, 4);
    EXPECT_EQ(nav.selectedGoal(), "learn");
    EXPECT_EQ(nav.selectedNextStep(), "course");

    nav.setPath({});
    EXPECT_EQ(emitted, 5);
    EXPECT_TRUE(nav.path().isEmpty());
}

TEST(AppNavigation, ChangesFromAWorkerThreadLandOnTheGuiThread) {
    AppNavigation nav;
    QThread* signalledOn = nullptr;
    int emitted = 0;
    QObject::connect(&nav, &AppNavigation::changed, [&] {
        signalledOn = QThread::currentThread();
        ++emitted;
    });

    std::thread worker([&] {
        nav.setPath({Screen::setupWorkflow()});
        nav.setSelectedGoal("learn");
    });
    worker.join();
    EXPECT_TRUE(nav.path().isEmpty()) << "nothing changes off the GUI thread";
    EXPECT_EQ(nav.selectedGoal(), std::nullopt);
    EXPECT_EQ(emitted, 0);

    QCoreApplication::processEvents();
    EXPECT_EQ(nav.path(), QList<Screen>{Screen::setupWorkflow()});
    EXPECT_EQ(nav.selectedGoal(), "learn");
    EXPECT_EQ(emitted, 2);
    EXPECT_EQ(signalledOn, QCoreApplication::instance()->thread());
}

TEST(AppNavigation, DeferredChangeIsDroppedWhenTheObjectIsGone) {
    auto nav = std::make_unique<AppNavigation>();
    std::thread worker([&] { nav->setPath({Screen::diagnose()}); });
    worker.join();
    nav.reset();
    QCoreApplication::processEvents(); // must not touch the destroyed object
    SUCCEED();
}

TEST(AppNavigation, ARunUnderWayHoldsThePathUntilItEndsOrIsGone) {
    AppNavigation nav;
    nav.setPath({Screen::setupWorkflow()});
    QObject run;
    auto other = std::make_unique<QObject>();
    nav.holdWhileRunning(&run, true);
    nav.holdWhileRunning(other.get(), true);
    nav.setPath({}); // "‹ Back" mid-run
    nav.setPath({Screen::setupWorkflow(), Screen::nextStep()});
    EXPECT_EQ(nav.path(), QList<Screen>{Screen::setupWorkflow()});

    nav.holdWhileRunning(&run, false);
    nav.setPath({});
    EXPECT_EQ(nav.path(), QList<Screen>{Screen::setupWorkflow()}) << "the other run still holds";
    other.reset();
    EXPECT_FALSE(nav.isHeldByRun());
    nav.setPath({});
    EXPECT_TRUE(nav.path().isEmpty());
}
