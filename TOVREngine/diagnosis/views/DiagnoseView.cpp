#include "diagnosis/views/DiagnoseView.h"

#include "diagnosis/DiagnosisDetailModel.h"
#include "diagnosis/views/DiagnosisDetailView.h"
#include "diagnosis/views/RemediationProgressDialog.h"
#include "model/ProductConfig.h"
#include "platform/FileChecks.h"
#include "platform/URLOpening.h"
#include "ui/views/ClickGuard.h"
#include "ui/views/KeyboardFocus.h"
#include "ui/views/NPSFeedbackCard.h"
#include "ui/views/ScreenScaffold.h"
#include "ui/views/Typography.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tovr {

namespace {

using Model = DiagnoseViewModel;

QProgressBar* makeLargeSpinner(QWidget* parent, const QString& accessibleName) {
    auto* spinner = new QProgressBar(parent);
    spinner->setAccessibleName(accessibleName);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedWidth(160);
    return spinner;
}

ScreenScaffold* makeScaffold(const QString& title, const QString& explainer,
                             const ScreenContext& context) {
    ScreenScaffold::Options options;
    options.title = title;
    options.titleFont = TextStyle::largeTitle;
    options.explainer = explainer;
    return new ScreenScaffold(options, context.urlOpener);
}

QWidget* makeStack(QVBoxLayout** layout, int spacing) {
    auto* content = new QWidget;
    *layout = new QVBoxLayout(content);
    (*layout)->setContentsMargins(0, 0, 0, 0);
    (*layout)->setSpacing(spacing);
    return content;
}

// A page of a title, a paragraph and a spinner under it.
QWidget* makeWaitingPage(const QString& title, const QString& explainer, int gapAbove,
                         const ScreenContext& context) {
    auto* scaffold = makeScaffold(title, explainer, context);
    QVBoxLayout* stack = nullptr;
    auto* content = makeStack(&stack, 0);
    stack->addSpacing(gapAbove);
    stack->addWidget(makeLargeSpinner(content, title), 0, Qt::AlignLeft);
    scaffold->setContent(content);
    return scaffold;
}

// A labelled box of command output, shown as plain text and selectable.
QWidget* makeOutputBlock(const QString& label, QLabel** value, QWidget* parent) {
    auto* block = new QWidget(parent);
    auto* stack = new QVBoxLayout(block);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(4);
    auto* caption = makePlainLabel(label, TextStyle::caption, block);
    applySecondaryStyle(caption);
    stack->addWidget(caption);
    auto* box = new QFrame(block);
    box->setObjectName(QStringLiteral("verify-output-box"));
    applySurface(box, Surface::textBox);
    auto* inner = new QVBoxLayout(box);
    inner->setContentsMargins(8, 8, 8, 8);
    *value = makePlainLabel({}, TextStyle::callout, box);
    applyMonospace(*value);
    inner->addWidget(*value);
    stack->addWidget(box);
    return block;
}

QHBoxLayout* makeRow(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    return layout;
}

} // namespace

DiagnoseView::DiagnoseView(const ScreenContext& context,
                           std::shared_ptr<RemediationWorkers> workers, QWidget* parent)
    : QWidget(parent), context_(context), workers_(std::move(workers)),
      model_(new DiagnoseViewModel(context, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QStackedWidget(this);
    layout->addWidget(pages_);

    blank_ = new QWidget;
    probing_ = makeWaitingPage(QStringLiteral("Diagnosing Java…"),
                               QStringLiteral("Running three quick checks to figure out what's "
                                              "going on."),
                               8, context_);
    probing_->setObjectName(QStringLiteral("diagnose-probing"));
    verifying_ = makeWaitingPage(QStringLiteral("Verifying…"),
                                 QStringLiteral("Re-running `java -version` in a fresh login "
                                                "shell to confirm the fix took."),
                                 0, context_);
    verifying_->setObjectName(QStringLiteral("diagnose-verifying"));
    makeResultPage();
    makeEndPages();

    for (QWidget* page : {blank_, probing_, verifying_, static_cast<QWidget*>(result_),
                          static_cast<QWidget*>(completed_), static_cast<QWidget*>(error_)})
        pages_->addWidget(page);

    connect(model_, &DiagnoseViewModel::changed, this, &DiagnoseView::render);
    render();
}

// The verification result: every part is built once and shown by outcome.
void DiagnoseView::makeResultPage() {
    result_ = makeScaffold({}, {}, context_);
    result_->setObjectName(QStringLiteral("diagnose-verified"));
    QVBoxLayout* stack = nullptr;
    auto* content = makeStack(&stack, 16);
    versionBlock_ = makeOutputBlock(QStringLiteral("java -version"), &versionValue_, content);
    stack->addWidget(versionBlock_);
    stack->addWidget(makeOutputBlock(QStringLiteral("JAVA_HOME"), &javaHomeValue_, content));
    legacyWarning_ = makePlainLabel({}, TextStyle::callout, content);
    legacyWarning_->setObjectName(QStringLiteral("verify-legacy-warning"));
    legacyWarning_->setContentsMargins(10, 10, 10, 10);
    applySurface(legacyWarning_, Surface::warning);
    stack->addWidget(legacyWarning_);

    passedRow_ = new QWidget(content);
    auto* passed = makeRow(passedRow_);
    auto* passedContinue =
        makeButton(QStringLiteral("Continue to system audit"), ButtonRole::prominent,
                   QStringLiteral("continue-to-audit"), passedRow_);
    markDefaultButton(passedContinue);
    connect(passedContinue, &QPushButton::clicked, model_, &DiagnoseViewModel::continueFlow);
    passed->addWidget(passedContinue);
    passed->addStretch(1);
    stack->addWidget(passedRow_);

    stack->addWidget(makeFollowUp(content));

    failedRow_ = new QWidget(content);
    auto* failed = makeRow(failedRow_);
    auto* article =
        makeButton(QStringLiteral("Open the article"), ButtonRole::link, QString(), failedRow_);
    connect(article, &QPushButton::clicked, this, [this] {
        if (context_.urlOpener)
            context_.urlOpener->open(ProductConfig::current().urls.troubleshooting);
    });
    failed->addWidget(article);
    auto* failedBack =
        makeButton(QStringLiteral("Back"), ButtonRole::prominent, QString(), failedRow_);
    connect(failedBack, &QPushButton::clicked, model_, &DiagnoseViewModel::returnToDiagnosis);
    failed->addWidget(failedBack);
    failed->addStretch(1);
    stack->addWidget(failedRow_);
    result_->setContent(content);
}

// The offer to set JAVA_HOME after an install that left it unset.
QWidget* DiagnoseView::makeFollowUp(QWidget* content) {
    followUp_ = new QWidget(content);
    auto* followStack = new QVBoxLayout(followUp_);
    followStack->setContentsMargins(0, 4, 0, 0);
    followStack->setSpacing(10);
    auto* headline = makeHeadingLabel(QStringLiteral("Now point JAVA_HOME at the new Java"),
                                      TextStyle::headline, followUp_);
    followStack->addWidget(headline);
    auto* followRowWidget = new QWidget(followUp_);
    auto* followRow = makeRow(followRowWidget);
    setJavaHome_ = makeButton(QStringLiteral("Set JAVA_HOME (recommended)"), ButtonRole::prominent,
                              QString(), followRowWidget);
    markDefaultButton(setJavaHome_);
    connect(setJavaHome_, &QPushButton::clicked, model_, &DiagnoseViewModel::startJavaHomeFollowUp);
    followRow->addWidget(setJavaHome_);
    auto* followContinue =
        makeButton(QStringLiteral("Continue to system audit"), ButtonRole::bordered,
                   QStringLiteral("continue-to-audit"), followRowWidget);
    connect(followContinue, &QPushButton::clicked, model_, &DiagnoseViewModel::continueFlow);
    followRow->addWidget(followContinue);
    followRow->addStretch(1);
    followStack->addWidget(followRowWidget);
    return followUp_;
}

void DiagnoseView::makeEndPages() {
    completed_ = makeScaffold(QStringLiteral("Done"), {}, context_);
    completed_->setObjectName(QStringLiteral("diagnose-completed"));
    auto* completedContinue =
        makeButton(QStringLiteral("Continue to system audit"), ButtonRole::prominent,
                   QStringLiteral("continue-to-audit"));
    connect(completedContinue, &QPushButton::clicked, model_, &DiagnoseViewModel::continueFlow);
    completed_->setContent(completedContinue);

    error_ = makeScaffold(QStringLiteral("Something went wrong"), {}, context_);
    error_->setObjectName(QStringLiteral("diagnose-error"));
    auto* errorBack = makeButton(QStringLiteral("Back"), ButtonRole::prominent, QString());
    connect(errorBack, &QPushButton::clicked, model_, &DiagnoseViewModel::returnToDiagnosis);
    error_->setContent(errorBack);
}

void DiagnoseView::startTask() {
    model_->rediagnose();
}

QWidget* DiagnoseView::currentPage() const {
    return pages_->currentWidget();
}

void DiagnoseView::render() {
    const bool entered = model_->stateSerial() != shownStateSerial_;
    shownStateSerial_ = model_->stateSerial();
    QWidget* page = blank_;
    const Model::State& state = model_->state();
    if (std::holds_alternative<Model::Probing>(state)) {
        page = probing_;
    } else if (std::holds_alternative<Model::Diagnosed>(state) ||
               std::holds_alternative<Model::Remediating>(state)) {
        page = showDetail(entered);
    } else if (std::holds_alternative<Model::Verifying>(state)) {
        page = verifying_;
    } else if (const auto* verified = std::get_if<Model::Verified>(&state)) {
        renderResult(*verified);
        page = result_;
    } else if (const auto* completed = std::get_if<Model::Completed>(&state)) {
        completed_->setExplainer(completed->message);
        page = completed_;
    } else if (const auto* error = std::get_if<Model::Error>(&state)) {
        error_->setExplainer(error->message);
        page = error_;
    }
    if (pages_->currentWidget() != page || entered) {
        pages_->setCurrentWidget(page);
        // The second press of a double click must not reach what now stands there.
        guardAgainstSecondClick(page);
        focusFirstControl(page);
    }
    presentSheet();
}

QWidget* DiagnoseView::showDetail(bool entered) {
    if (const auto* diagnosed = std::get_if<Model::Diagnosed>(&model_->state())) {
        if (entered || !detail_) {
            makeDetail(diagnosed->diagnosis, diagnosed->d1Remediation, diagnosed->d2Remediation,
                       true);
            pages_->setCurrentWidget(detail_);
            detail_->model()->appeared();
        }
        return detail_;
    }
    // Behind the sheet: the diagnosis the fix started from, doing nothing. The view the
    // fix was chosen on stays as the user left it.
    const auto& last = model_->lastDiagnosis();
    if (!last)
        return blank_;
    const bool showsLast = detail_ && detail_->model() && detail_->model()->diagnosis() == *last &&
                           detail_->model()->d2Remediation() == model_->lastD2Remediation();
    if (!showsLast)
        makeDetail(*last, model_->lastD1Remediation(), model_->lastD2Remediation(), false);
    return detail_;
}

DiagnosisDetailView* DiagnoseView::makeDetail(const Diagnosis& diagnosis,
                                              std::optional<Remediation> d1,
                                              std::optional<Remediation> d2, bool active) {
    DiagnosisDetailModel::Callbacks callbacks;
    if (active) {
        QPointer<DiagnoseViewModel> model = model_;
        callbacks.onRemediate = [model](const Remediation& remediation) {
            if (model)
                model->applyRemediation(remediation);
        };
        callbacks.onInstallChosen = [model](qint64 major) {
            if (model)
                model->installChosenJava(major);
        };
        callbacks.onKeepLegacy = [model] {
            if (model)
                model->keepLegacyJava();
        };
        callbacks.onContinue = [model] {
            if (model)
                model->continueFlow();
        };
    }
    const ScreenContext& known = context_;
    callbacks.namingFiles = [known](const QString& text) {
        return known.services.fs
                   ? namingStartupFiles(*known.services.fs, known.knownLocations(), text)
                   : text;
    };
    callbacks.filesNote = [known](const QString& text) {
        return unansweredShellNote(known.knownLocations(), text);
    };
    auto* detailModel = new DiagnosisDetailModel(diagnosis, std::move(d1), std::move(d2),
                                                 std::move(callbacks), *context_.userDefaults);
    // Its sentences follow what the window learns of the user's files, with its own signal.
    if (context_.locations)
        connect(context_.locations, &ToolLocationsState::changed, detailModel,
                &DiagnosisDetailModel::changed);
    const ScreenContext context = context_;
    auto* view = new DiagnosisDetailView(
        detailModel, context_.urlOpener,
        [context](QWidget* parent, std::function<void()> onSubmitted,
                  std::function<void()> onDismissed) -> QWidget* {
            auto* card = new NPSFeedbackCard(context, parent);
            connect(card, &NPSFeedbackCard::submitted, card, std::move(onSubmitted));
            connect(card, &NPSFeedbackCard::dismissed, card, std::move(onDismissed));
            return card;
        });
    view->setObjectName(QStringLiteral("diagnose-detail-page"));
    pages_->addWidget(view);
    if (QPointer<DiagnosisDetailView> old = std::exchange(detail_, view)) {
        // Possibly replaced from inside one of its own buttons: deleted later.
        pages_->removeWidget(old);
        old->deleteLater();
    }
    return view;
}

void DiagnoseView::renderResult(const DiagnoseViewModel::Verified& verified) {
    const auto outcome = Model::verifyOutcome(verified.remediation, verified.result);
    result_->setTitle(Model::verifyTitle(verified.remediation, outcome));
    result_->setExplainer(Model::verifyExplainer(outcome));
    const Verifier::Result& result = verified.result;
    versionBlock_->setObjectName(outcome == Model::VerifyOutcome::failed
                                     ? QStringLiteral("verify-result-fail")
                                     : QStringLiteral("verify-result-pass"));
    versionValue_->setText(result.javaVersionOutput.isEmpty() ? QStringLiteral("(no output)")
                                                              : result.javaVersionOutput);
    javaHomeValue_->setText(result.javaHomeValue.value_or(QStringLiteral("(unset)")));
    const auto warning = Model::legacyWarning(verified.remediation, result);
    legacyWarning_->setVisible(warning.has_value());
    legacyWarning_->setText(warning.value_or(QString()));
    passedRow_->setVisible(outcome == Model::VerifyOutcome::passed);
    followUp_->setVisible(outcome == Model::VerifyOutcome::passedNeedsJavaHome);
    setJavaHome_->setEnabled(!model_->isFollowUpRunning());
    failedRow_->setVisible(outcome == Model::VerifyOutcome::failed);
}

void DiagnoseView::presentSheet() {
    const auto& remediation = model_->sheetRemediation();
    if (!remediation || model_->sheetSerial() == presentedSheetSerial_)
        return;
    presentedSheetSerial_ = model_->sheetSerial();
    // The screen learns exactly one outcome: the sheet's own, or canceled when the sheet
    // went away without one.
    auto delivered = std::make_shared<bool>(false);
    QPointer<DiagnoseViewModel> model = model_;
    auto* sheet = RemediationProgressDialog::present(
        this, context_, *remediation,
        [model, delivered](const RemediationOutcome& outcome) {
            if (std::exchange(*delivered, true))
                return;
            if (model)
                model->handleRemediationFinished(outcome);
        },
        workers_);
    connect(sheet, &QObject::destroyed, model_, [model, delivered] {
        if (!std::exchange(*delivered, true) && model)
            model->handleRemediationFinished(RemediationOutcome::canceled());
    });
}

} // namespace tovr
