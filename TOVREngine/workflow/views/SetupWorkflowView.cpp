#include "workflow/views/SetupWorkflowView.h"

#include "platform/ReadinessScreenCopy.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/ScreenScaffold.h"
#include "ui/views/Typography.h"
#include "workflow/SetupWorkflowCopy.h"
#include "workflow/views/SetupActionProgressDialog.h"
#include "workflow/views/SetupEndBodies.h"
#include "workflow/views/StageBodyView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tovr {

namespace {

using Kind = SetupFlowModel::Step::Kind;

// A page of one step. `refresh` renders a change inside the step in place.
class StepPage : public QWidget {
public:
    using QWidget::QWidget;
    virtual void refresh() {}
};

QWidget* column(QWidget* parent, int spacing) {
    auto* widget = new QWidget(parent);
    auto* layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return widget;
}

void fill(QWidget* page, QWidget* content) {
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
}

class LoadingPage : public StepPage {
public:
    LoadingPage() {
        auto* layout = new QVBoxLayout(this);
        auto* spinner = new QProgressBar(this);
        spinner->setObjectName("setup-loading");
        spinner->setAccessibleName(QStringLiteral("Checking your Mac…"));
        spinner->setRange(0, 0);
        spinner->setTextVisible(false);
        spinner->setMaximumWidth(240);
        layout->addStretch(1);
        layout->addWidget(spinner, 0, Qt::AlignCenter);
        layout->addStretch(1);
    }
};

class SummaryPage : public StepPage {
public:
    SummaryPage(const ScreenContext& context, SetupFlowModel* model) : model_(model) {
        const auto& copy = *model->plugins().spineCopy;
        auto* scaffold = new ScreenScaffold(
            {copy.summaryHeadline(), TextStyle::largeTitle, copy.consentFootnote(), std::nullopt,
             std::nullopt,
             SetupWorkflowCopy::articleURL(model->config(), copy.prerequisitesArticlePath())},
            context.urlOpener, this);
        fill(this, scaffold);
        auto* content = column(nullptr, 10);
        rows_ = column(content, 6);
        content->layout()->addWidget(rows_);
        auto* button = makeButton(QStringLiteral("Continue"), ButtonRole::prominent,
                                  QStringLiteral("diagnosis-continue"), content);
        markDefaultButton(button);
        QObject::connect(button, &QPushButton::clicked, model, &SetupFlowModel::checkReadiness);
        static_cast<QVBoxLayout*>(content->layout())->addSpacing(8);
        content->layout()->addWidget(button);
        content->layout()->setAlignment(button, Qt::AlignLeft);
        scaffold->setContent(content);
        refresh();
    }
    void refresh() override {
        const QStringList rows = SetupWorkflowCopy::summaryRows(*model_);
        if (rows == shown_)
            return;
        shown_ = rows;
        qDeleteAll(rows_->findChildren<QLabel*>(Qt::FindDirectChildrenOnly));
        for (const QString& row : rows)
            rows_->layout()->addWidget(makePlainLabel(row, TextStyle::body, rows_));
    }

private:
    SetupFlowModel* model_;
    QWidget* rows_ = nullptr;
    QStringList shown_;
};

class ReadinessPage : public StepPage {
public:
    ReadinessPage(const ScreenContext& context, SetupFlowModel* model,
                  const SetupFlowModel::ReadinessWarning& warning,
                  std::function<void()> leaveWorkflow) {
        const ReadinessScreenCopy copy = warning.asNetwork()
                                             ? ReadinessScreenCopy::network(*warning.asNetwork())
                                             : ReadinessScreenCopy::disk(*warning.asDisk());
        auto* scaffold = new ScreenScaffold({copy.headline, TextStyle::largeTitle, copy.body,
                                             std::nullopt, std::nullopt, std::nullopt},
                                            context.urlOpener, this);
        fill(this, scaffold);
        auto* content = new QWidget;
        auto* row = new QHBoxLayout(content);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(12);
        auto* go = makeButton(copy.continueLabel, ButtonRole::prominent,
                              QStringLiteral("readiness-continue"), content);
        markDefaultButton(go);
        auto* stop = makeButton(copy.stopLabel, ButtonRole::bordered,
                                QStringLiteral("readiness-stop"), content);
        // Each answer is for the warning this page shows; a late second press finds the
        // model on another step and does nothing.
        QObject::connect(go, &QPushButton::clicked, model, [model, warning] {
            model->recordReadinessAction(warning, QStringLiteral("continue"));
        });
        QObject::connect(stop, &QPushButton::clicked, model, [model, warning, leaveWorkflow] {
            if (model->recordReadinessAction(warning, QStringLiteral("stop")))
                leaveWorkflow();
        });
        row->addWidget(go);
        row->addWidget(stop);
        row->addStretch(1);
        scaffold->setContent(content);
    }
};

class StagePage : public StepPage {
public:
    StagePage(const ScreenContext& context, SetupFlowModel* model, SetupSelections* selections,
              QString domainID)
        : context_(context), model_(model), selections_(selections),
          domainID_(std::move(domainID)) {
        scaffold_ = new ScreenScaffold(
            {QString(), TextStyle::largeTitle, QString(), std::nullopt, std::nullopt,
             SetupWorkflowCopy::stageArticleURL(model->config(), domainID_)},
            context.urlOpener, this);
        fill(this, scaffold_);
        refresh();
    }
    // False when there is nothing to show: no such stage, or no profile or probes yet.
    bool hasStage() const { return hasStage_; }

    void refresh() override {
        const auto step = model_->workflowStep(domainID_);
        hasStage_ = step && model_->profile() && model_->probes();
        scaffold_->setVisible(hasStage_);
        if (!hasStage_)
            return;
        const SetupDiagnosis diagnosis = step->stage->diagnosis();
        const auto screen = model_->plugins().spineCopy->screenCopy(domainID_, diagnosis);
        scaffold_->setTitle(screen ? screen->headline : diagnosis.headline);
        scaffold_->setExplainer(model_->namingUsersFiles(screen ? screen->body : diagnosis.detail));
        auto footer = screen ? screen->footer : std::nullopt;
        if (footer)
            footer = model_->namingUsersFiles(*footer);
        if (classification_ == diagnosis.classification && footer == footer_)
            return;
        classification_ = diagnosis.classification;
        footer_ = footer;
        auto* content = column(nullptr, 16);
        switch (diagnosis.classification) {
        case SetupDiagnosisClassification::ready:
            break;
        case SetupDiagnosisClassification::fixable:
        case SetupDiagnosisClassification::unknown: {
            content->layout()->addWidget(
                new StageBodyView(context_, model_, selections_, domainID_, content));
            if (footer) {
                auto* note = makePlainLabel(*footer, TextStyle::footnote, content);
                applySecondaryStyle(note);
                content->layout()->addWidget(note);
            }
            break;
        }
        case SetupDiagnosisClassification::blocked: {
            auto* detail = makePlainLabel(model_->namingUsersFiles(diagnosis.detail),
                                          TextStyle::callout, content);
            applySecondaryStyle(detail);
            content->layout()->addWidget(detail);
            auto* button = makeButton(QStringLiteral("Continue"), ButtonRole::prominent,
                                      QStringLiteral("stage-blocked-continue"), content);
            markDefaultButton(button);
            const QString id = domainID_;
            QObject::connect(button, &QPushButton::clicked, model_,
                             [model = model_, id] { model->advanceFromStage(id); });
            content->layout()->addWidget(button);
            content->layout()->setAlignment(button, Qt::AlignLeft);
            break;
        }
        }
        scaffold_->setContent(content);
    }

private:
    ScreenContext context_;
    SetupFlowModel* model_;
    SetupSelections* selections_;
    QString domainID_;
    ScreenScaffold* scaffold_ = nullptr;
    bool hasStage_ = false;
    std::optional<SetupDiagnosisClassification> classification_;
    std::optional<QString> footer_;
};

class FramedPage : public StepPage {
public:
    FramedPage(const ScreenContext& context, ScreenScaffold::Options options, QWidget* body,
               int spacing = 16) {
        scaffold_ = new ScreenScaffold(std::move(options), context.urlOpener, this);
        fill(this, scaffold_);
        auto* content = column(nullptr, spacing);
        content->layout()->addWidget(body);
        scaffold_->setContent(content);
    }
    ScreenScaffold* scaffold() const { return scaffold_; }

private:
    ScreenScaffold* scaffold_ = nullptr;
};

class VerifyingPage : public StepPage {
public:
    VerifyingPage(const ScreenContext& context, SetupFlowModel* model) {
        auto* layout = new QVBoxLayout(this);
        layout->setSpacing(12);
        layout->addStretch(1);
        layout->addWidget(new VerifyingBody(context, model, this), 0, Qt::AlignCenter);
        layout->addStretch(1);
    }
};

class OutcomePage : public StepPage {
public:
    OutcomePage(const ScreenContext& context, SetupFlowModel* model) : model_(model) {
        body_ = new OutcomeBody(context, model);
        page_ = new FramedPage(context,
                               {SetupWorkflowCopy::outcomeTitle(*model), TextStyle::title,
                                QString(), std::nullopt, std::nullopt, std::nullopt},
                               body_);
        fill(this, page_);
        refresh();
    }
    void refresh() override {
        const auto& copy = *model_->plugins().spineCopy;
        const bool passed = SetupWorkflowCopy::verificationPassed(*model_);
        page_->scaffold()->setTitle(SetupWorkflowCopy::outcomeTitle(*model_));
        page_->scaffold()->setExplainer(passed ? QString() : copy.someUnverifiedText());
        page_->scaffold()->setArticleURL(SetupWorkflowCopy::articleURL(
            model_->config(),
            passed ? copy.updateArticlePath() : copy.commandNotFoundArticlePath()));
        body_->setVerification(passed, SetupWorkflowCopy::outcomeApps(*model_));
    }

private:
    SetupFlowModel* model_;
    OutcomeBody* body_ = nullptr;
    FramedPage* page_ = nullptr;
};

} // namespace

SetupWorkflowView::SetupWorkflowView(const ScreenContext& context,
                                     std::shared_ptr<const VolumeCapacityReading> volumes,
                                     QWidget* parent)
    : QWidget(parent), context_(context) {
    model_ = new SetupFlowModel(ProductConfig::current(), context_, std::move(volumes), this);
    setMinimumSize(720, 700);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stack_ = new QStackedWidget(this);
    layout->addWidget(stack_);
    connect(model_, &SetupFlowModel::changed, this, &SetupWorkflowView::render);
    render();
}

void SetupWorkflowView::startTask() {
    // On screen now: the loading step's title too, which no change of step would set.
    showWindowTitle();
    model_->start();
}

void SetupWorkflowView::showWindowTitle() {
    if (isVisible())
        window()->setWindowTitle(SetupWorkflowCopy::windowTitle(*model_) +
                                 window()->property("tovrTitleSuffix").toString());
}

void SetupWorkflowView::render() {
    const auto& step = model_->step();
    if (!shownStep_ || !(*shownStep_ == step)) {
        shownStep_ = step;
        QWidget* next = makePage(step);
        stack_->addWidget(next);
        stack_->setCurrentWidget(next);
        if (page_) {
            // Replaced from inside one of its own buttons' signals: deleted later.
            stack_->removeWidget(page_);
            page_->deleteLater();
        }
        page_ = next;
        guardAgainstSecondClick(next);
        focusFirstControl(next);
        focusAfterSheet_ = false;
    } else {
        updatePage();
    }
    showWindowTitle();

    // The sheet opens when a pending install appears (or another one replaces it).
    const auto& pending = model_->pendingInstall();
    if (!pending) {
        if (std::exchange(presentedInstall_, std::nullopt))
            focusAfterSheet_ = true;
    } else if (presentedInstall_ != pending->id) {
        presentedInstall_ = pending->id;
        presentInstallSheet(*pending);
    }
    // The sheet is gone and the page can act again (its stage checked anew): the focus goes
    // back to the page's main control, wherever it was left.
    if (focusAfterSheet_ && !pending && !model_->isRefreshing()) {
        focusAfterSheet_ = false;
        focusFirstControl(page_);
    }
}

void SetupWorkflowView::updatePage() {
    if (auto* page = dynamic_cast<StepPage*>(page_.data()))
        page->refresh();
}

QWidget* SetupWorkflowView::makePage(const SetupFlowModel::Step& step) {
    QPointer<SetupFlowModel> model = model_;
    const ProductConfig& config = model_->config();
    const auto& copy = *model_->plugins().spineCopy;
    // A step's task runs once the page is up, by a queued call, never inside `changed`.
    auto later = [this, model](std::function<void(SetupFlowModel&)> task) {
        QTimer::singleShot(0, model_, [model, task] {
            if (model)
                task(*model);
        });
    };
    switch (step.kind) {
    case Kind::loading:
        return new LoadingPage;
    case Kind::diagnosisSummary:
        return new SummaryPage(context_, model_);
    case Kind::readinessWarning:
        return new ReadinessPage(context_, model_, *step.warning, [this] { leaveWorkflow(); });
    case Kind::stage: {
        auto* page = new StagePage(context_, model_, &selections_, step.domainID);
        if (page->hasStage())
            later([id = step.domainID](SetupFlowModel& m) { m.stageAppeared(id); });
        return page;
    }
    case Kind::interstitial: {
        const auto& interstitial = config.spinePolicy.postPrimaryInterstitial;
        if (!interstitial) {
            // Nothing to show: on to verification, as the interstitial's button would.
            later([](SetupFlowModel& m) {
                if (m.step().kind == Kind::interstitial)
                    m.setStep(SetupFlowModel::Step::verifying());
            });
            return new StepPage;
        }
        return new FramedPage(context_,
                              {interstitial->headline, TextStyle::largeTitle, interstitial->body,
                               std::nullopt, std::nullopt,
                               SetupWorkflowCopy::articleURL(config, interstitial->articlePath)},
                              new InterstitialBody(context_, model_, *interstitial));
    }
    case Kind::verifying:
        later([](SetupFlowModel& m) { m.verify(); });
        return new VerifyingPage(context_, model_);
    case Kind::keepGoingGate:
        return new FramedPage(context_,
                              {copy.keepGoingHeadline(), TextStyle::largeTitle,
                               copy.keepGoingBody(), std::nullopt, std::nullopt,
                               config.urls.articleBase},
                              new KeepGoingButtons(context_, model_), 12);
    case Kind::outcome:
        later([](SetupFlowModel& m) { m.buildOutcomeAudit(); });
        return new OutcomePage(context_, model_);
    case Kind::nps:
        return new FramedPage(context_,
                              {QStringLiteral("We need your feedback"), TextStyle::largeTitle,
                               QStringLiteral("One quick question before you go."), std::nullopt,
                               std::nullopt, config.urls.articleBase},
                              new NPSBody(context_, model_));
    }
    return new StepPage;
}

void SetupWorkflowView::presentInstallSheet(const SetupFlowModel::PendingInstall& install) {
    QPointer<SetupFlowModel> model = model_;
    SetupActionProgressDialog::present(
        this, context_, {install.title, install.remediations, install.continuesPastFailure},
        makeRunner(), [model](SetupActionOutcome outcome) {
            if (model)
                model->finishStageAfterInstall(outcome);
        });
}

void SetupWorkflowView::leaveWorkflow() {
    if (context_.navigation)
        context_.navigation->setPath({});
}

} // namespace tovr
