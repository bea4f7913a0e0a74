#include "shell/StagedAuditFlowModel.h"

#include "diagnosis/SimplifiedCompletionModel.h"
#include "platform/SystemProfiler.h"
#include "shell/FinalAuditReportModel.h"
#include "shell/Stage1Foundations.h"
#include "shell/Stage2Terminal.h"
#include "telemetry/UsageEvent.h"
#include "ui/BackgroundCall.h"

#include <QScopedValueRollback>

namespace tovr {

StagedAuditFlowModel::StagedAuditFlowModel(ScreenContext context, AuditContext auditContext,
                                           QObject* parent)
    : QObject(parent), context_(std::move(context)), auditContext_(std::move(auditContext)) {
    foundations_ = new Stage1Foundations(
        [this](std::function<void()> then) { refreshProfile(std::move(then)); }, context_.urlOpener,
        this);
    terminal_ = new Stage2Terminal(auditContext_.tovr, context_.urlOpener, this);
    foundations_->setOnAdvance([this] { advanceFrom(0); });
    terminal_->setOnAdvance([this] { advanceFrom(1); });
    // A stage that stops being busy lets the flow catch up with what changed meanwhile.
    for (int index = 0; index < kStageCount; ++index)
        connect(stageAt(index), &AuditStage::changed, this, &StagedAuditFlowModel::update);
    if (context_.profile)
        connect(context_.profile, &SystemProfileState::changed, this,
                &StagedAuditFlowModel::update);
}

StagedAuditFlowModel::~StagedAuditFlowModel() {
    for (const auto& task : {appearProfiling_, refreshProfiling_})
        if (task)
            task->cancel();
}

bool StagedAuditFlowModel::isGated(const AuditContext& context, const SystemProfile& profile) {
    return context.entry == AuditEntry::heuristic && !profile.isLikelyDeveloper();
}

std::optional<SystemProfile> StagedAuditFlowModel::profile() const {
    return freshProfile_ ? freshProfile_ : context_.currentProfile();
}

AuditStage* StagedAuditFlowModel::stageAt(int index) const {
    return index == 0 ? static_cast<AuditStage*>(foundations_)
                      : static_cast<AuditStage*>(terminal_);
}

AuditStage* StagedAuditFlowModel::currentStage() const {
    return step_ == Step::stage ? stageAt(currentIndex_) : nullptr;
}

std::function<SystemProfile()> StagedAuditFlowModel::profileWork() const {
    const SystemProfiler profiler{ShellRunner{context_.services.processRunner},
                                  context_.services.fs, context_.environment};
    return [profiler] { return profiler.profile(); };
}

void StagedAuditFlowModel::appearTask() {
    if (std::exchange(appeared_, true))
        reportedIndex_ = -1; // back on screen: the current stage is shown anew
    if (!freshProfile_) {
        if (context_.services.isFixtureMode) {
            freshProfile_ = context_.currentProfile();
            sendReachedOnce();
        } else if (!appearProfiling_) {
            appearProfiling_ = runInBackground(
                this, [work = profileWork()](WorkerTask&) { return work(); },
                [this](SystemProfile profile) {
                    appearProfiling_.reset();
                    if (!freshProfile_) // a refresh may have brought a newer one
                        freshProfile_ = std::move(profile);
                    sendReachedOnce();
                    update();
                });
        }
    }
    update();
}

void StagedAuditFlowModel::refreshProfile(std::function<void()> then) {
    if (context_.services.isFixtureMode) {
        if (then)
            then();
        return;
    }
    refreshProfiling_ = runInBackground(
        this, [work = profileWork()](WorkerTask&) { return work(); },
        [this, then = std::move(then)](SystemProfile profile) {
            refreshProfiling_.reset();
            freshProfile_ = std::move(profile);
            update();
            if (then)
                then();
        });
}

void StagedAuditFlowModel::sendReachedOnce() {
    if (!freshProfile_ || didEmitAuditReached_)
        return;
    didEmitAuditReached_ = true;
    sendUsageEvent(auditReachedEvent(*freshProfile_, auditContext_.entry));
    if (auditContext_.entry == AuditEntry::heuristic)
        sendUsageEvent(
            {QStringLiteral("audit_gated"),
             {{QStringLiteral("likely_developer"), freshProfile_->isLikelyDeveloper()}}});
}

bool StagedAuditFlowModel::isHolding() const {
    return foundations_->isBusy() || terminal_->isBusy();
}

void StagedAuditFlowModel::update() {
    // Nothing switches under an open dialog or a refresh; the stage's end calls back here.
    if (updating_ || !appeared_ || isHolding())
        return;
    const QScopedValueRollback guard(updating_, true);
    const auto current = profile();
    stageOutcome_.reset();
    if (!current) {
        step_ = Step::waitingForProfile;
    } else if (isGated(auditContext_, *current)) {
        step_ = Step::simplifiedCompletion;
        if (!completion_)
            completion_ = new SimplifiedCompletionModel(
                auditContext_.completionSurface, [this] { openFullAudit(); }, [this] { goHome(); },
                context_.userDefaults, this);
    } else {
        // The outcome step runs again whenever the current stage's outcome may have changed,
        // so a stage that turns into a skip is passed; it reports once per showing.
        while (currentIndex_ < kStageCount) {
            AuditStage* stage = stageAt(currentIndex_);
            stage->setProfile(*current);
            const StageOutcome outcome = stage->evaluate(*current);
            if (std::exchange(reportedIndex_, currentIndex_) != currentIndex_)
                sendUsageEvent(auditStageOutcomeEvent(stage->id(), outcome));
            if (outcome == StageOutcome::rendered) {
                stageOutcome_ = outcome;
                break;
            }
            ++currentIndex_;
        }
        if (currentIndex_ < kStageCount) {
            step_ = Step::stage;
        } else {
            step_ = Step::finalReport;
            if (!report_)
                report_ = new FinalAuditReportModel(
                    context_, *current, [this] { followThenRoute(); }, this);
            else
                report_->setInitialProfile(*current);
        }
    }
    Q_EMIT changed();
}

void StagedAuditFlowModel::advanceFrom(int index) {
    // Only the showing the advance was offered on counts: a skip during the refresh after an
    // install and the install's own advance must not pass two stages.
    if (index != currentIndex_ || step_ != Step::stage)
        return;
    ++currentIndex_;
    update();
}

void StagedAuditFlowModel::openFullAudit() {
    if (!context_.navigation)
        return;
    auto path = context_.navigation->path();
    path.append(Screen::audit(
        AuditContext{AuditEntry::buildIntent, CompletionSurface::excluded(), std::nullopt}));
    context_.navigation->setPath(std::move(path));
}

void StagedAuditFlowModel::goHome() {
    if (context_.navigation)
        context_.navigation->setPath({});
}

void StagedAuditFlowModel::followThenRoute() {
    if (!context_.navigation)
        return;
    const std::optional<OfferRoute> route =
        auditContext_.tovr ? auditContext_.tovr->thenRoute : std::nullopt;
    auto path = context_.navigation->path();
    if (!route || route->as<OfferRoute::Audit>()) {
        context_.navigation->setPath({});
        return;
    }
    if (const auto* content = route->as<OfferRoute::Content>())
        path.append(Screen::contentOffer(content->offerID));
    else if (route->as<OfferRoute::GuidedHelpWTP>())
        path.append(Screen::guidedHelpOffer());
    else
        path.append(Screen::aiCodingOffer());
    context_.navigation->setPath(std::move(path));
}

} // namespace tovr
