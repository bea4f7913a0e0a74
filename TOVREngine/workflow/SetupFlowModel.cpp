#include "workflow/SetupFlowModel.h"

#include "platform/Concurrently.h"
#include "platform/FileChecks.h"
#include "platform/NetworkReadinessProbe.h"
#include "platform/SystemProfiler.h"
#include "telemetry/UsageEvent.h"
#include "telemetry/UsageEventCatalogue.h"
#include "ui/BackgroundCall.h"

namespace tovr {

namespace {

using Classification = SetupDiagnosisClassification;

const QString kContinue = QStringLiteral("continue");
const QString kStop = QStringLiteral("stop");

// The Mac's profile and the product's facts, and the step list built from them.
struct Probed {
    SystemProfile profile;
    SetupProbeBundle probes;
    QList<WorkflowStep> steps;
};

// Live: profiles the Mac afresh while the prober runs. Fixture: the given profile, none
// without one.
std::optional<Probed> probeMac(const AppServices& services, std::optional<SystemProfile> given,
                               const std::shared_ptr<const SystemEnvironment>& environment,
                               const EffectivePlugins& plugins) {
    const ShellRunner shell{services.processRunner, services.toolLocations};
    Probed result;
    if (!services.isFixtureMode) {
        const SystemProfiler profiler{shell, services.fs, environment};
        auto [profile, probes] =
            concurrently([&] { return profiler.profile(); },
                         [&] { return plugins.prober->probe(shell, services.fs); });
        result.profile = std::move(profile);
        result.probes = std::move(probes);
    } else {
        if (!given)
            return std::nullopt;
        result.profile = std::move(*given);
        result.probes = plugins.prober->probe(shell, services.fs);
    }
    result.steps = plugins.spine(result.profile, result.probes);
    return result;
}

UsageEvent offerEvent(const QString& name, const SpineRenderPolicy::SpineOffer& offer) {
    return {name,
            {{QStringLiteral("offer_id"), offer.offerID},
             {QStringLiteral("offer_surface"), offer.offerSurface}}};
}

void sendOfferShown(const SpineRenderPolicy::SpineOffer& offer) {
    UsageEvent event = offerEvent(QStringLiteral("offer_shown"), offer);
    event.properties.insert(QStringLiteral("eligibility_reason"), offer.eligibilityReason);
    event.properties.insert(QStringLiteral("next_step"), JSONValue());
    event.properties.insert(QStringLiteral("goal"), JSONValue());
    sendUsageEvent(event);
}

void sendOfferAction(const SpineRenderPolicy::SpineOffer& offer, const QString& action) {
    UsageEvent event = offerEvent(QStringLiteral("offer_action"), offer);
    event.properties.insert(QStringLiteral("action"), action);
    event.properties.insert(QStringLiteral("result"), JSONValue());
    event.properties.insert(QStringLiteral("next_step"), JSONValue());
    sendUsageEvent(event);
}

} // namespace

SetupFlowModel::SetupFlowModel(ProductConfig config, ScreenContext context,
                               std::shared_ptr<const VolumeCapacityReading> volumes,
                               QObject* parent)
    : QObject(parent), config_(std::move(config)), plugins_(resolvePlugins(config_)),
      context_(std::move(context)),
      volumes_(volumes ? std::move(volumes) : VolumeCapacityReading::live()) {
    // The sentences that name the user's files follow what the window learns of them.
    if (context_.locations)
        connect(context_.locations, &ToolLocationsState::changed, this, &SetupFlowModel::changed);
}

SetupFlowModel::~SetupFlowModel() {
    for (const auto& weak : tasks_)
        if (const auto task = weak.lock())
            task->cancel();
}

std::optional<WorkflowStep> SetupFlowModel::workflowStep(const QString& domainID) const {
    if (!workflow_)
        return std::nullopt;
    for (const auto& step : workflow_->steps)
        if (step.stage->domainID() == domainID)
            return step;
    return std::nullopt;
}

QString SetupFlowModel::namingUsersFiles(const QString& text) const {
    const auto& fs = context_.services.fs;
    if (!fs)
        return text;
    const auto locations = context_.knownLocations();
    QString named = namingStartupFiles(*fs, locations, text);
    if (probes_ && !probes_->gitConfigFile.isEmpty())
        named.replace(QStringLiteral("~/.gitconfig"), shownFromHome(*fs, probes_->gitConfigFile));
    if (const QString note = unansweredShellNote(locations, named); !note.isEmpty())
        named += u' ' + note;
    return named;
}

void SetupFlowModel::keep(std::shared_ptr<WorkerTask> task) {
    tasks_.removeIf([](const std::weak_ptr<WorkerTask>& weak) { return weak.expired(); });
    tasks_.append(task);
}

void SetupFlowModel::runProbe(std::function<void(bool)> done) {
    const quint64 run = ++probeRuns_;
    std::optional<SystemProfile> given = profile_ ? profile_ : context_.currentProfile();
    const auto environment =
        context_.environment ? context_.environment : SystemEnvironment::live();
    keep(runInBackground(
        this,
        [services = context_.services, given = std::move(given), environment, plugins = plugins_](
            WorkerTask&) { return probeMac(services, given, environment, plugins); },
        [this, run, done = std::move(done)](std::optional<Probed> result) {
            // An older probe never overwrites what a newer one published.
            const bool found = result.has_value();
            if (result && run > publishedProbe_) {
                publishedProbe_ = run;
                profile_ = std::move(result->profile);
                probes_ = std::move(result->probes);
                workflow_ = SetupWorkflow{std::move(result->steps)};
            }
            done(found);
        }));
}

void SetupFlowModel::start() {
    if (left_)
        return;
    // Only the latest start ends on the summary.
    startRun_ = probeRuns_ + 1;
    runProbe([this, run = startRun_](bool found) {
        if (!found || run != startRun_ || left_)
            return;
        emitDiagnosisIfNeeded(workflow_->steps);
        changeStep(Step::diagnosisSummary());
    });
}

void SetupFlowModel::emitDiagnosisIfNeeded(const QList<WorkflowStep>& steps) {
    if (std::exchange(didEmitDiagnosis_, true))
        return;
    qint64 fixable = 0;
    qint64 blocked = 0;
    for (const auto& step : steps) {
        if (step.placement != DomainPlacement::primary)
            continue;
        const auto classification = step.stage->diagnosis().classification;
        fixable += classification == Classification::fixable;
        blocked += classification == Classification::blocked;
    }
    const QString reason = blocked > 0   ? QStringLiteral("blocked")
                           : fixable > 0 ? QStringLiteral("fixable")
                                         : QStringLiteral("ready");
    const QStringList terminals = profile_ ? profile_->terminals.detectedIDs() : QStringList{};
    sendUsageEvent(setupDiagnosisReachedEvent(reason, fixable, blocked, terminals));
}

void SetupFlowModel::checkReadiness() {
    if (left_ || step_.kind != Step::Kind::diagnosisSummary)
        return;
    const auto& policy = config_.spinePolicy;
    if (context_.services.isFixtureMode || (!policy.networkReadiness && !policy.diskReadiness)) {
        enterFirstStage();
        return;
    }
    const quint64 run = ++readinessRun_;
    changeStep(Step::loading());
    keep(runInBackground(
        this,
        [network = policy.networkReadiness, disk = policy.diskReadiness,
         http = context_.services.http, fs = context_.services.fs,
         volumes = volumes_](WorkerTask&) {
            ReadinessResult result;
            if (network && http)
                result.network = NetworkReadinessProbe(http).measure(*network);
            if (disk)
                result.disk = disk->evaluate(volumes->availableVolumeCapacity(fs->homeDirectory()));
            return result;
        },
        [this, run](ReadinessResult result) {
            if (run != readinessRun_ || left_ || step_.kind != Step::Kind::loading)
                return;
            QList<ReadinessWarning> warnings;
            if (result.network) {
                sendUsageEvent(networkCheckEvent(*result.network));
                if (result.network->needsWarning())
                    warnings << ReadinessWarning::network(*result.network);
            }
            if (result.disk) {
                sendUsageEvent(diskSpaceCheckEvent(*result.disk));
                if (result.disk->needsWarning())
                    warnings << ReadinessWarning::disk(*result.disk);
            }
            showNextReadinessWarning(std::move(warnings));
        }));
}

void SetupFlowModel::showNextReadinessWarning(QList<ReadinessWarning> warnings) {
    if (warnings.isEmpty()) {
        pendingReadiness_.clear();
        enterFirstStage();
        return;
    }
    const ReadinessWarning first = warnings.takeFirst();
    pendingReadiness_ = std::move(warnings);
    changeStep(Step::readinessWarning(first));
}

bool SetupFlowModel::recordReadinessAction(const ReadinessWarning& shown, const QString& action) {
    if (left_ || step_ != Step::readinessWarning(shown) || (action != kContinue && action != kStop))
        return false;
    if (const auto* network = shown.asNetwork())
        sendUsageEvent(networkWarningActionEvent(action, network->verdict));
    else if (const auto* disk = shown.asDisk())
        sendUsageEvent(diskWarningActionEvent(action, disk->verdict));
    if (action == kContinue) {
        showNextReadinessWarning(pendingReadiness_);
    } else {
        left_ = true;
        pendingReadiness_.clear();
        Q_EMIT changed();
    }
    return true;
}

SetupFlowModel::Step SetupFlowModel::afterPrimaryStages() const {
    return config_.spinePolicy.postPrimaryInterstitial ? Step::interstitial() : Step::verifying();
}

void SetupFlowModel::enterFirstStage() {
    const auto first =
        workflow_ ? workflow_->nextPendingDomainID(DomainPlacement::primary) : std::nullopt;
    changeStep(first ? Step::stage(*first) : afterPrimaryStages());
}

bool SetupFlowModel::isOnStage(const QString& domainID) const {
    return step_.kind == Step::Kind::stage && step_.domainID == domainID;
}

bool SetupFlowModel::stageActionAllowed(const QString& domainID) const {
    return !left_ && isOnStage(domainID) && !refreshingDomains_.contains(domainID);
}

void SetupFlowModel::stageAppeared(const QString& domainID) {
    if (!stageActionAllowed(domainID))
        return;
    const auto step = workflowStep(domainID);
    if (!step)
        return;
    const auto classification = step->stage->diagnosis().classification;
    if (classification == Classification::blocked && probes_ &&
        !emittedBlockedDomains_.contains(domainID)) {
        emittedBlockedDomains_.insert(domainID);
        if (config_.spinePolicy.onStageBlocked)
            config_.spinePolicy.onStageBlocked(domainID, *probes_);
    }
    if (classification == Classification::ready)
        advanceFrom(domainID);
    const auto offer = config_.spinePolicy.offers.constFind(domainID);
    if (offer != config_.spinePolicy.offers.constEnd() && classification != Classification::ready &&
        !emittedOfferDomains_.contains(domainID)) {
        emittedOfferDomains_.insert(domainID);
        sendOfferShown(*offer);
    }
}

void SetupFlowModel::advanceFromStage(const QString& domainID) {
    if (stageActionAllowed(domainID))
        advanceFrom(domainID);
}

void SetupFlowModel::advanceFrom(const QString& domainID) {
    const auto placement = workflow_ ? workflow_->placement(domainID) : std::nullopt;
    if (!placement) {
        changeStep(afterPrimaryStages());
        return;
    }
    const auto next = workflow_->nextPendingDomainID(*placement, domainID);
    if (next) {
        changeStep(Step::stage(*next));
        return;
    }
    switch (*placement) {
    case DomainPlacement::primary:
        changeStep(afterPrimaryStages());
        break;
    case DomainPlacement::offer:
        changeStep(Step::keepGoingGate());
        break;
    case DomainPlacement::optional:
        changeStep(Step::outcome());
        break;
    }
}

void SetupFlowModel::recordOfferSelected(const QString& domainID) {
    if (!stageActionAllowed(domainID))
        return;
    const auto offer = config_.spinePolicy.offers.constFind(domainID);
    if (offer == config_.spinePolicy.offers.constEnd() || actedOfferDomains_.contains(domainID))
        return;
    actedOfferDomains_.insert(domainID);
    sendOfferAction(*offer, QStringLiteral("selected"));
}

void SetupFlowModel::recordOfferDismissed(const QString& domainID) {
    if (!stageActionAllowed(domainID))
        return;
    const auto offer = config_.spinePolicy.offers.constFind(domainID);
    if (offer != config_.spinePolicy.offers.constEnd() && !actedOfferDomains_.contains(domainID)) {
        actedOfferDomains_.insert(domainID);
        sendOfferAction(*offer, QStringLiteral("dismissed"));
    }
    advanceFrom(domainID);
}

bool SetupFlowModel::requestInstall(PendingInstall install) {
    if (!stageActionAllowed(install.domainID) || pendingInstall_)
        return false;
    pendingInstall_ = std::move(install);
    Q_EMIT changed();
    return true;
}

void SetupFlowModel::finishStageAfterInstall(SetupActionOutcome outcome) {
    if (!pendingInstall_)
        return;
    const QString domainID = pendingInstall_->domainID;
    pendingInstall_.reset();
    Q_EMIT changed();
    if (left_ || outcome == SetupActionOutcome::canceled)
        return;
    if (outcome == SetupActionOutcome::failure &&
        !config_.spinePolicy.advanceOnPartialFailureDomains.contains(domainID))
        return;
    refreshProbes(domainID);
}

void SetupFlowModel::refreshProbes(const QString& domainID) {
    refreshingDomains_.insert(domainID);
    Q_EMIT changed();
    runProbe([this, domainID](bool) {
        refreshingDomains_.remove(domainID);
        // Fresh probes are kept either way; the stage is left only while it is on screen.
        if (!left_ && isOnStage(domainID))
            advanceFrom(domainID);
        else
            Q_EMIT changed();
    });
}

void SetupFlowModel::advance(DomainPlacement placement, const Step& fallback) {
    if (left_)
        return;
    const auto first = workflow_ ? workflow_->nextPendingDomainID(placement) : std::nullopt;
    changeStep(first ? Step::stage(*first) : fallback);
}

void SetupFlowModel::setStep(const Step& step) {
    if (!left_)
        changeStep(step);
}

void SetupFlowModel::changeStep(const Step& step) {
    step_ = step;
    Q_EMIT changed();
}

SetupActionProgressModel::FixStarter SetupFlowModel::fixStarter() const {
    return SetupActionProgressModel::starterFor(SetupRemediationRunner::live(context_.services));
}

} // namespace tovr
