#include "diagnosis/views/DiagnosisDetailView.h"

#include "diagnosis/DiagnosisDetailModel.h"
#include "diagnosis/views/JavaVersionChooserView.h"
#include "model/ProductConfig.h"
#include "platform/URLOpening.h"
#include "ui/views/ScreenScaffold.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

using Section = DiagnosisDetailModel::Section;

QVBoxLayout* sectionStack(QWidget* section, int spacing) {
    auto* stack = new QVBoxLayout(section);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(spacing);
    return stack;
}

} // namespace

DiagnosisDetailView::DiagnosisDetailView(DiagnosisDetailModel* model,
                                         std::shared_ptr<URLOpening> urlOpener,
                                         ScoreCardFactory makeScoreCard, QWidget* parent)
    : QWidget(parent), model_(model), urlOpener_(std::move(urlOpener)),
      makeScoreCard_(std::move(makeScoreCard)) {
    if (model->parent() == nullptr)
        model->setParent(this);
    const Diagnosis& diagnosis = model->diagnosis();
    ScreenScaffold::Options options;
    options.title = diagnosis.title();
    options.titleFont = TextStyle::largeTitle;
    options.titleAccessibilityIdentifier = QStringLiteral("diagnose-headline");
    const auto markdown = model->detailMarkdown();
    if (markdown) {
        options.explainer = *markdown;
        options.explainerAccessibilityIdentifier = QStringLiteral("diagnose-detail");
    }
    auto* scaffold = new ScreenScaffold(options, urlOpener_, this);
    if (markdown) {
        scaffold->setContent(makeSection());
    } else {
        // The same paragraph in plain text, where the explainer would stand.
        auto* content = new QWidget;
        auto* stack = sectionStack(content, 20);
        auto* detail = makePlainLabel(diagnosis.detailText(), TextStyle::body, content);
        detail->setObjectName(QStringLiteral("diagnose-detail"));
        applySecondaryStyle(detail);
        stack->addWidget(detail);
        auto* section = makeSection();
        section->setParent(content);
        stack->addWidget(section);
        scaffold->setContent(content);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scaffold);

    connect(model, &DiagnosisDetailModel::changed, this, &DiagnosisDetailView::render);
    render();
}

QWidget* DiagnosisDetailView::makeSection() {
    auto* section = new QWidget;
    switch (model_->section()) {
    case Section::proposedFix:
        addProposedFix(section);
        break;
    case Section::choosingFix:
        addChoosingFix(section);
        break;
    case Section::installD1:
    case Section::installD3:
        addInstallChooser(section, model_->section() == Section::installD1);
        break;
    case Section::nothingToFix:
    case Section::unknown:
        addContinue(section, model_->section() == Section::nothingToFix);
        break;
    }
    return section;
}

std::function<void()> DiagnosisDetailView::forward(void (DiagnosisDetailModel::*action)()) {
    return [this, action] {
        if (model_)
            (model_.data()->*action)();
    };
}

void DiagnosisDetailView::addProposedFix(QWidget* section) {
    auto* stack = sectionStack(section, 8);
    auto* button = makeButton(model_->proposedFixTitle(), ButtonRole::prominent,
                              QStringLiteral("remediation-primary-button"), section);
    proposedFix_ = button;
    connect(button, &QPushButton::clicked, this, forward(&DiagnosisDetailModel::remediate));
    stack->addWidget(button, 0, Qt::AlignLeft);
    auto* explanation =
        makePlainLabel(model_->proposedFixExplanation(), TextStyle::footnote, section);
    proposedFixExplanation_ = explanation;
    applySecondaryStyle(explanation);
    stack->addWidget(explanation);
    auto* article = makeButton(QStringLiteral("Read the JAVA_HOME article"), ButtonRole::link,
                               QString(), section);
    applyTextStyle(article, TextStyle::footnote);
    connect(article, &QPushButton::clicked, this,
            [this, url = ProductConfig::current().urls.envConfig] { openArticle(url); });
    stack->addWidget(article, 0, Qt::AlignLeft);
}

void DiagnosisDetailView::addChoosingFix(QWidget* section) {
    auto* stack = sectionStack(section, 8);
    auto* line = new QHBoxLayout;
    line->setSpacing(8);
    auto* spinner = new QProgressBar(section);
    spinner->setRange(0, 0);
    spinner->setTextVisible(false);
    spinner->setFixedWidth(80);
    spinner->setAccessibleName(QStringLiteral("Choosing fix method…"));
    line->addWidget(spinner);
    auto* waiting =
        makePlainLabel(QStringLiteral("Choosing fix method…"), TextStyle::footnote, section);
    applySecondaryStyle(waiting);
    line->addWidget(waiting, 1);
    stack->addLayout(line);
}

void DiagnosisDetailView::addInstallChooser(QWidget* section, bool d1) {
    auto* stack = sectionStack(section, 12);
    chooser_ = new JavaVersionChooserView(model_->chosenMajor(), model_->chooserContext(), section);
    connect(chooser_, &JavaVersionChooserView::majorPicked, this, [this](qint64 major) {
        if (model_)
            model_->chooseMajor(major);
    });
    stack->addWidget(chooser_);
    install_ = makeButton(model_->installTitle(), ButtonRole::prominent,
                          d1 ? QStringLiteral("diagnosis-d1-install-chosen")
                             : QStringLiteral("diagnosis-d3-install-chosen"),
                          section);
    connect(install_, &QPushButton::clicked, this, forward(&DiagnosisDetailModel::installChosen));
    stack->addWidget(install_, 0, Qt::AlignLeft);
    if (d1) {
        auto* other = makeButton(QStringLiteral("Other Java install methods"), ButtonRole::link,
                                 QStringLiteral("remediation-secondary-link"), section);
        applyTextStyle(other, TextStyle::footnote);
        connect(other, &QPushButton::clicked, this,
                [this, url = ProductConfig::current().urls.installMethods] { openArticle(url); });
        stack->addWidget(other, 0, Qt::AlignLeft);
    } else {
        auto* keep = makeButton(QStringLiteral("Keep my current Java"), ButtonRole::borderless,
                                QStringLiteral("diagnosis-d3-keep-legacy"), section);
        applyTextStyle(keep, TextStyle::footnote);
        applySecondaryStyle(keep);
        connect(keep, &QPushButton::clicked, this, forward(&DiagnosisDetailModel::keepLegacy));
        stack->addWidget(keep, 0, Qt::AlignLeft);
    }
}

void DiagnosisDetailView::addContinue(QWidget* section, bool nothingToFix) {
    auto* stack = sectionStack(section, nothingToFix ? 16 : 8);
    auto* next = makeButton(QStringLiteral("Continue to system audit"), ButtonRole::prominent,
                            QStringLiteral("continue-to-audit"), section);
    connect(next, &QPushButton::clicked, this, forward(&DiagnosisDetailModel::continueToAudit));
    stack->addWidget(next, 0, Qt::AlignLeft);
    if (!nothingToFix || !makeScoreCard_ || !model_->showsScoreCard())
        return;
    QPointer<DiagnosisDetailModel> model = model_;
    scoreCard_ = makeScoreCard_(
        section,
        [model] {
            if (model)
                model->scoreSubmitted();
        },
        [] {});
    if (scoreCard_)
        stack->addWidget(scoreCard_);
}

void DiagnosisDetailView::render() {
    if (!model_)
        return;
    if (chooser_)
        chooser_->setChosenMajor(model_->chosenMajor());
    if (install_)
        install_->setText(model_->installTitle());
    if (proposedFix_)
        proposedFix_->setText(model_->proposedFixTitle());
    if (proposedFixExplanation_)
        proposedFixExplanation_->setText(model_->proposedFixExplanation());
    // A submitted score takes the card out of the section.
    if (scoreCard_ && !model_->showsScoreCard())
        scoreCard_->deleteLater();
}

void DiagnosisDetailView::openArticle(const QUrl& url) const {
    if (urlOpener_)
        urlOpener_->open(url);
}

} // namespace tovr
