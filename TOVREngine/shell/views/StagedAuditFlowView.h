#pragma once

#include "shell/StagedAuditFlowModel.h"
#include "ui/ScreenContext.h"
#include "ui/views/ScreenTask.h"

#include <QWidget>

class QStackedWidget;

namespace tovr {

class FinalAuditReportView;
class SimplifiedCompletionView;
class Stage1View;
class Stage2View;

// The audit's screen: shows whichever page its model is on. Each page is built the first
// time it is needed and afterwards updated in place, so a profile change never rebuilds a
// stage under its open dialog.
class StagedAuditFlowView : public QWidget, public ScreenTask {
    Q_OBJECT

public:
    StagedAuditFlowView(const ScreenContext& context, const AuditContext& audit,
                        QWidget* parent = nullptr);

    // The model's appear task: the fresh profile and the audit's first events.
    void startTask() override;
    // Back on top after a pop: the appear task runs again (no new profile, no new events
    // but the current stage's outcome).
    void screenReappeared() override;

    StagedAuditFlowModel* model() const { return model_; }

private:
    void render();

    ScreenContext context_;
    StagedAuditFlowModel* model_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QWidget* waiting_ = nullptr;
    QWidget* skipping_ = nullptr;
    SimplifiedCompletionView* completion_ = nullptr;
    Stage1View* stage1_ = nullptr;
    Stage2View* stage2_ = nullptr;
    FinalAuditReportView* report_ = nullptr;
};

} // namespace tovr
