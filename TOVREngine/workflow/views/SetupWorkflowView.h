#pragma once

#include "ui/ScreenContext.h"
#include "ui/views/ScreenTask.h"
#include "workflow/SetupFlowModel.h"
#include "workflow/SetupSelections.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QStackedWidget;

namespace tovr {

// The setup workflow: one page for the model's current step, the install sheet whenever the
// model holds a pending install. A step change swaps the page; a change inside a step
// updates it in place. The stage screens' choices live here, so they outlive the pages.
class SetupWorkflowView : public QWidget, public ScreenTask {
    Q_OBJECT

public:
    // `volumes` reads the home disk's free space; null: this machine's.
    explicit SetupWorkflowView(const ScreenContext& context,
                               std::shared_ptr<const VolumeCapacityReading> volumes = nullptr,
                               QWidget* parent = nullptr);

    SetupFlowModel* model() const { return model_; }
    SetupSelections& selections() { return selections_; }
    // The page on screen.
    QWidget* currentPage() const { return page_; }

    // Pushed: profile, probe and show the summary.
    void startTask() override;

    // How the install sheet starts its fixes, as the model has it ready.
    SetupActionProgressModel::FixStarter makeRunner() const { return model_->fixStarter(); }

private:
    void render();
    void showWindowTitle();
    QWidget* makePage(const SetupFlowModel::Step& step);
    void updatePage();
    void presentInstallSheet(const SetupFlowModel::PendingInstall& install);
    void leaveWorkflow();

    ScreenContext context_;
    SetupFlowModel* model_ = nullptr;
    SetupSelections selections_;
    QStackedWidget* stack_ = nullptr;
    QPointer<QWidget> page_;
    std::optional<SetupFlowModel::Step> shownStep_;
    std::optional<QString> presentedInstall_;
    bool focusAfterSheet_ = false; // a sheet closed over the page that is still up
};

} // namespace tovr
