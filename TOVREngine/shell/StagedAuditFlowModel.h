#pragma once

#include "model/AuditContext.h"
#include "platform/SystemProfile.h"
#include "shell/AuditStage.h"
#include "ui/ScreenContext.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

class FinalAuditReportModel;
class SimplifiedCompletionModel;
class Stage1Foundations;
class Stage2Terminal;
class WorkerTask;

// The staged system audit behind `Screen::audit`: the gate for newcomers (the short completion
// screen), the foundations and terminal stages, each skipped when it has nothing to offer, and
// the final report, after which it follows the context's route. It works from its own fresh
// profile, else the window's. GUI thread.
class StagedAuditFlowModel : public QObject {
    Q_OBJECT

public:
    enum class Step { waitingForProfile, simplifiedCompletion, stage, finalReport };
    static constexpr int kStageCount = 2;

    StagedAuditFlowModel(ScreenContext context, AuditContext auditContext,
                         QObject* parent = nullptr);
    ~StagedAuditFlowModel() override;

    // The heuristic entry on a Mac that does not look like a developer's.
    static bool isGated(const AuditContext& context, const SystemProfile& profile);

    const AuditContext& auditContext() const { return auditContext_; }
    std::optional<SystemProfile> profile() const;
    const std::optional<SystemProfile>& freshProfile() const { return freshProfile_; }
    int currentIndex() const { return currentIndex_; }

    Step step() const { return step_; }
    // The stage on screen (step `stage`); when its outcome is a skip the screen shows the
    // small spinner until the flow has moved on.
    AuditStage* currentStage() const;
    bool isStageRendered() const { return stageOutcome_ == StageOutcome::rendered; }
    Stage1Foundations* foundations() const { return foundations_; }
    Stage2Terminal* terminal() const { return terminal_; }
    // Present from the first time the step is shown.
    SimplifiedCompletionModel* simplifiedCompletion() const { return completion_; }
    FinalAuditReportModel* finalReport() const { return report_; }

    // Each time the screen comes on screen: collects the fresh profile unless one is held and
    // sends "audit_reached" (and "audit_gated") once; a current stage counts as shown again.
    void appearTask();
    // Collects a new profile (not in fixture mode), then calls `then`.
    void refreshProfile(std::function<void()> then);

    // The short completion screen's two ways out and the report's.
    void openFullAudit();
    void goHome();
    void followThenRoute();

Q_SIGNALS:
    void changed();

private:
    AuditStage* stageAt(int index) const;
    void update();
    void advanceFrom(int index);
    void sendReachedOnce();
    bool isHolding() const;
    std::function<SystemProfile()> profileWork() const;

    ScreenContext context_;
    AuditContext auditContext_;
    std::optional<SystemProfile> freshProfile_;
    int currentIndex_ = 0;
    bool didEmitAuditReached_ = false;

    bool appeared_ = false;
    bool updating_ = false;
    Step step_ = Step::waitingForProfile;
    std::optional<StageOutcome> stageOutcome_;
    // The stage whose "audit_stage_outcome" went out for this showing; -1 for none.
    int reportedIndex_ = -1;

    Stage1Foundations* foundations_ = nullptr;
    Stage2Terminal* terminal_ = nullptr;
    SimplifiedCompletionModel* completion_ = nullptr;
    FinalAuditReportModel* report_ = nullptr;
    std::shared_ptr<WorkerTask> appearProfiling_;
    std::shared_ptr<WorkerTask> refreshProfiling_;
};

} // namespace tovr
