#pragma once

#include "model/DomainPlacement.h"
#include "model/OutcomeAuditSection.h"
#include "model/ProductConfig.h"
#include "model/SetupProbeBundle.h"
#include "model/SetupRemediation.h"
#include "model/SetupVerificationResult.h"
#include "model/SetupWorkflow.h"
#include "platform/DiskReadinessConfig.h"
#include "platform/NetworkReadinessConfig.h"
#include "platform/SystemProfile.h"
#include "platform/VolumeCapacityReading.h"
#include "platform/WorkerTask.h"
#include "products/EffectivePlugins.h"
#include "ui/ScreenContext.h"
#include "workflow/SetupActionOutcome.h"
#include "workflow/SetupActionProgressModel.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

namespace tovr {

// Leads the user through a setup product's workflow: profiles and probes the Mac, shows
// the diagnosis summary, runs the readiness checks, walks the stages by placement, re-probes
// after each install, verifies, gathers the outcome checklist and hands over to the score
// step. GUI thread only; the screens render its state and call its actions. Blocking work
// runs on worker threads; a result that arrives after the model moved on, or after it is
// gone, is dropped.
//
// Every action acts only while the step it was offered on is still current, so a double
// press, a press during a refresh or a late result acts once and on what the user saw.
class SetupFlowModel : public QObject {
    Q_OBJECT

public:
    // A readiness finding that needs the user's answer.
    struct ReadinessWarning {
        std::variant<NetworkReadinessResult, DiskReadinessResult> value;

        static ReadinessWarning network(NetworkReadinessResult result) { return {result}; }
        static ReadinessWarning disk(DiskReadinessResult result) { return {result}; }
        const NetworkReadinessResult* asNetwork() const {
            return std::get_if<NetworkReadinessResult>(&value);
        }
        const DiskReadinessResult* asDisk() const {
            return std::get_if<DiskReadinessResult>(&value);
        }
        bool operator==(const ReadinessWarning&) const = default;
    };

    // The screen the workflow shows. Only `stage` carries a domain id and only
    // `readinessWarning` a warning; the other payload stays empty.
    struct Step {
        enum class Kind {
            readinessWarning,
            stage,
            loading,
            diagnosisSummary,
            interstitial,
            verifying,
            keepGoingGate,
            outcome,
            nps,
        };
        Kind kind = Kind::loading;
        QString domainID;
        std::optional<ReadinessWarning> warning;

        static Step readinessWarning(ReadinessWarning w) { return {Kind::readinessWarning, {}, w}; }
        static Step stage(QString domainID) { return {Kind::stage, std::move(domainID), {}}; }
        static Step loading() { return {Kind::loading, {}, {}}; }
        static Step diagnosisSummary() { return {Kind::diagnosisSummary, {}, {}}; }
        static Step interstitial() { return {Kind::interstitial, {}, {}}; }
        static Step verifying() { return {Kind::verifying, {}, {}}; }
        static Step keepGoingGate() { return {Kind::keepGoingGate, {}, {}}; }
        static Step outcome() { return {Kind::outcome, {}, {}}; }
        static Step nps() { return {Kind::nps, {}, {}}; }
        bool operator==(const Step&) const = default;
    };

    // One approved install, run by the install sheet. `domainID` is the stage it was started
    // on: its end acts on that stage, whatever the step shows by then.
    struct PendingInstall {
        QString id;
        QString title;
        QList<SetupRemediation> remediations; // run in order
        bool continuesPastFailure = false;
        QString domainID;
        bool operator==(const PendingInstall&) const = default;
    };

    // `volumes` reads the free space of the home folder's disk; null means this machine's.
    SetupFlowModel(ProductConfig config, ScreenContext context,
                   std::shared_ptr<const VolumeCapacityReading> volumes = nullptr,
                   QObject* parent = nullptr);
    ~SetupFlowModel() override;

    // Published state; `changed` follows every change.
    const std::optional<SystemProfile>& profile() const { return profile_; }
    const std::optional<SetupProbeBundle>& probes() const { return probes_; }
    const std::optional<SetupWorkflow>& workflow() const { return workflow_; }
    const Step& step() const { return step_; }
    const std::optional<SetupVerificationResult>& verifyResult() const { return verifyResult_; }
    const QList<OutcomeAuditSection>& outcomeAudit() const { return outcomeAudit_; }
    const std::optional<PendingInstall>& pendingInstall() const { return pendingInstall_; }
    // How the install sheet starts each fix: the live runner with the first Homebrew the
    // Mac has now, else none.
    SetupActionProgressModel::FixStarter fixStarter() const;
    // The warnings still to show after the one on screen.
    const QList<ReadinessWarning>& pendingReadiness() const { return pendingReadiness_; }
    // The stage on screen is being re-probed after its install; its controls wait for it.
    bool isRefreshing() const {
        return step_.kind == Step::Kind::stage && refreshingDomains_.contains(step_.domainID);
    }

    const ProductConfig& config() const { return config_; }
    // The product's plug-ins with the Claude Code fall-backs.
    const EffectivePlugins& plugins() const { return plugins_; }
    // The first workflow step of that domain.
    std::optional<WorkflowStep> workflowStep(const QString& domainID) const;
    // A stage's text naming the files this Mac's login shell uses: zsh's start-up files
    // where ZDOTDIR moved them, and Git's global file where git writes it.
    QString namingUsersFiles(const QString& text) const;

    // Whether the score card already reported a submission or dismissal. Not published.
    bool npsResolved() const { return npsResolved_; }
    void setNpsResolved(bool resolved) { npsResolved_ = resolved; }

    // When the workflow screen is pushed: profile (live) or take the given profile
    // (fixture), probe, build the workflow and show the diagnosis summary. In fixture mode
    // without any profile the step stays `loading`.
    void start();
    // The diagnosis summary's "Continue": the readiness checks, then the first stage.
    void checkReadiness();
    // A readiness warning's answer, "continue" or "stop", for the warning on screen: sends
    // the warning's action event; "continue" shows the next warning or the first stage,
    // "stop" drops the rest. True when it acted; after "stop" the view leaves the workflow.
    bool recordReadinessAction(const ReadinessWarning& shown, const QString& action);

    // The stage screen's task, each time the stage comes on screen.
    void stageAppeared(const QString& domainID);
    // The stage's "Continue": the next pending stage of its placement, or what follows it.
    void advanceFromStage(const QString& domainID);
    // A stage's single-fix install button, before `requestInstall`; reports only for a
    // domain with an offer.
    void recordOfferSelected(const QString& domainID);
    // The stage's "Skip": reports the dismissed offer, then leaves the stage.
    void recordOfferDismissed(const QString& domainID);
    // An install button: presents the install sheet for `install`. Refused (false) unless
    // its stage is on screen and no other install is pending.
    bool requestInstall(PendingInstall install);
    // The sheet's report: clears the pending install; success re-probes and then leaves the
    // install's stage while it is on screen, as does a failure in a domain that advances
    // after a partial failure; any other failure, and a cancel, leaves the stage as it is.
    // A second report finds nothing pending and does nothing.
    void finishStageAfterInstall(SetupActionOutcome outcome);

    // The first pending stage of `placement`, else `fallback`.
    void advance(DomainPlacement placement, const Step& fallback);
    // Shows `step` at once: no advance logic, no events.
    void setStep(const Step& step);

    // The verifying screen's task: verifies, then the outcome (failed) or the offer stages
    // and the keep-going gate (passed).
    void verify();
    // The outcome screen's task: after a passed verification, the checklist of what is in
    // place.
    void buildOutcomeAudit();
    // The outcome answer, "resolved" or "not_resolved". True when feedback was given before
    // and the view leaves the workflow; otherwise the score step follows.
    bool resolveOutcome(const QString& answer);

    // The outcome checklist: version commands in the login shell, one at a time, and the
    // profile's apps. Blocks; never fails.
    static QList<OutcomeAuditSection>
    collectOutcomeAudit(const std::optional<SystemProfile>& profile, ProcessRunning& runner,
                        const std::shared_ptr<FileSystemOperating>& fs,
                        const ToolLocations& locations = {});

Q_SIGNALS:
    void changed();

private:
    struct ReadinessResult {
        std::optional<NetworkReadinessResult> network;
        std::optional<DiskReadinessResult> disk;
    };

    // Probes off the GUI thread and publishes the result on it, unless a newer probe has
    // published since; then `done` learns whether there was a result. Dropped when the
    // model is gone.
    void runProbe(std::function<void(bool)> done);
    void emitDiagnosisIfNeeded(const QList<WorkflowStep>& steps);
    void showNextReadinessWarning(QList<ReadinessWarning> warnings);
    void enterFirstStage();
    void advanceFrom(const QString& domainID);
    Step afterPrimaryStages() const;
    void refreshProbes(const QString& domainID);
    void emitVerifyIfNeeded(const SetupVerificationResult& result);
    bool isOnStage(const QString& domainID) const;
    // Stage actions act only on the stage on screen, and not while it is being re-probed.
    bool stageActionAllowed(const QString& domainID) const;
    void changeStep(const Step& step);
    void keep(std::shared_ptr<WorkerTask> task);

    const ProductConfig config_;
    const EffectivePlugins plugins_;
    const ScreenContext context_;
    const std::shared_ptr<const VolumeCapacityReading> volumes_;

    std::optional<SystemProfile> profile_;
    std::optional<SetupProbeBundle> probes_;
    std::optional<SetupWorkflow> workflow_;
    Step step_;
    std::optional<SetupVerificationResult> verifyResult_;
    QList<OutcomeAuditSection> outcomeAudit_;
    std::optional<PendingInstall> pendingInstall_;

    QSet<QString> emittedBlockedDomains_;
    bool didEmitDiagnosis_ = false;
    bool didEmitVerify_ = false;
    QSet<QString> emittedOfferDomains_;
    QSet<QString> actedOfferDomains_;
    bool npsResolved_ = false;
    QList<ReadinessWarning> pendingReadiness_;

    // Tokens and flags of the work in flight.
    quint64 probeRuns_ = 0;      // every probe run gets the next number
    quint64 publishedProbe_ = 0; // the run whose result is published
    quint64 startRun_ = 0;       // the probe run of the latest start
    quint64 readinessRun_ = 0;
    QSet<QString> refreshingDomains_;
    bool verifying_ = false;
    quint64 auditRun_ = 0;
    bool auditRunning_ = false;
    bool left_ = false; // the user left the workflow; nothing acts any more
    QList<std::weak_ptr<WorkerTask>> tasks_;
};

} // namespace tovr
