#include "shell/views/StagedAuditFlowView.h"

#include "diagnosis/views/SimplifiedCompletionView.h"
#include "shell/Stage1Foundations.h"
#include "shell/Stage2Terminal.h"
#include "shell/views/FinalAuditReportView.h"
#include "shell/views/Stage1View.h"
#include "shell/views/Stage2View.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"

#include <QProgressBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tovr {

namespace {

// An indeterminate progress indicator, centred; `large` for the wait for a profile.
QWidget* spinnerPage(bool large, const QString& name) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    auto* bar = new QProgressBar(page);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setAccessibleName(QStringLiteral("Checking your Mac…"));
    bar->setFixedWidth(large ? 160 : 80);
    layout->addStretch(1);
    layout->addWidget(bar, 0, Qt::AlignCenter);
    layout->addStretch(1);
    return page;
}

} // namespace

StagedAuditFlowView::StagedAuditFlowView(const ScreenContext& context, const AuditContext& audit,
                                         QWidget* parent)
    : QWidget(parent), context_(context), model_(new StagedAuditFlowModel(context, audit, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_);
    waiting_ = spinnerPage(true, QStringLiteral("audit-waiting"));
    skipping_ = spinnerPage(false, QStringLiteral("audit-stage-passing"));
    pages_->addWidget(waiting_);
    pages_->addWidget(skipping_);
    connect(model_, &StagedAuditFlowModel::changed, this, &StagedAuditFlowView::render);
    render();
}

void StagedAuditFlowView::startTask() {
    model_->appearTask();
}

void StagedAuditFlowView::screenReappeared() {
    model_->appearTask();
}

void StagedAuditFlowView::render() {
    QWidget* page = waiting_;
    switch (model_->step()) {
    case StagedAuditFlowModel::Step::waitingForProfile:
        break;
    case StagedAuditFlowModel::Step::simplifiedCompletion:
        if (!completion_) {
            completion_ = new SimplifiedCompletionView(context_, model_->simplifiedCompletion());
            pages_->addWidget(completion_);
        }
        page = completion_;
        break;
    case StagedAuditFlowModel::Step::stage:
        if (!model_->isStageRendered()) {
            page = skipping_;
        } else if (model_->currentStage() == model_->foundations()) {
            if (!stage1_) {
                stage1_ = new Stage1View(context_, model_->foundations());
                pages_->addWidget(stage1_);
            }
            page = stage1_;
        } else {
            if (!stage2_) {
                stage2_ = new Stage2View(context_, model_->terminal());
                pages_->addWidget(stage2_);
            }
            page = stage2_;
        }
        break;
    case StagedAuditFlowModel::Step::finalReport:
        if (!report_) {
            report_ = new FinalAuditReportView(context_, model_->finalReport());
            pages_->addWidget(report_);
            model_->finalReport()->appearTask();
        }
        page = report_;
        break;
    }
    if (pages_->currentWidget() == page)
        return;
    pages_->setCurrentWidget(page);
    // The second press of a double click must not reach the next stage's buttons.
    guardAgainstSecondClick(page);
    focusFirstControl(page);
}

} // namespace tovr
