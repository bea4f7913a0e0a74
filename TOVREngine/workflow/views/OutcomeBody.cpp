#include "workflow/views/OutcomeBody.h"

#include "model/ProjectTemplate.h"
#include "services/TemplateTreeCopier.h"
#include "telemetry/UsageEvent.h"
#include "ui/views/Typography.h"
#include "workflow/SetupFlowModel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

// A green, filled circle with a check cut out in the window colour.
QPixmap checkmarkPixmap(int size, qreal ratio, const QPalette& palette) {
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(toneColor(Tone::success, palette));
    painter.drawEllipse(QRectF(0, 0, size, size));
    QPainterPath check;
    check.moveTo(size * 0.28, size * 0.52);
    check.lineTo(size * 0.44, size * 0.68);
    check.lineTo(size * 0.73, size * 0.36);
    painter.setPen(QPen(palette.color(QPalette::Window), size * 0.12, Qt::SolidLine, Qt::RoundCap,
                        Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(check);
    return pixmap;
}

QString withoutAppSuffix(QString appName) {
    return appName.remove(QStringLiteral(".app"));
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        }
        delete item;
    }
}

} // namespace

OutcomeBody::OutcomeBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent)
    : QWidget(parent), context_(context), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    const SpineCopyProviding* copy = model ? model->plugins().spineCopy.get() : nullptr;

    checklist_ = new QWidget(this);
    checklist_->setObjectName(QStringLiteral("outcome-checklist"));
    auto* checklistLayout = new QVBoxLayout(checklist_);
    checklistLayout->setContentsMargins(0, 0, 0, 0);
    checklistLayout->setSpacing(14);
    auto* heading =
        makeHeadingLabel(copy ? copy->allVerifiedText() : QString(), TextStyle::subheadline);
    checklistLayout->addWidget(heading);
    sections_ = new QVBoxLayout;
    sections_->setSpacing(14);
    checklistLayout->addLayout(sections_);
    layout->addWidget(checklist_);

    // Command output: plain text, exactly as the verifier printed it.
    output_ = makePlainLabel(QString(), TextStyle::caption);
    output_->setObjectName(QStringLiteral("outcome-verify-output"));
    applyMonospace(output_);
    applySecondaryStyle(output_);
    layout->addWidget(output_);

    if (copy && !copy->extraNote().isEmpty()) {
        auto* suggestion = makePlainLabel(copy->extraNote(), TextStyle::callout);
        suggestion->setObjectName(QStringLiteral("outcome-agent-suggestion"));
        suggestion->setContentsMargins(0, 4, 0, 0);
        applySecondaryStyle(suggestion);
        layout->addWidget(suggestion);
    }

    openRow_ = new QWidget(this);
    openLayout_ = new QHBoxLayout(openRow_);
    openLayout_->setContentsMargins(0, 0, 0, 0);
    openLayout_->setSpacing(12);
    showProjects_ = makeButton(tr("Show Example Projects"), ButtonRole::bordered,
                               QStringLiteral("show-example-projects"), openRow_);
    connect(showProjects_, &QPushButton::clicked, this, &OutcomeBody::showExampleProjects);
    openLayout_->addWidget(showProjects_, 0, Qt::AlignVCenter);
    openLayout_->addStretch(1);
    layout->addWidget(openRow_);

    auto* question = makePlainLabel(copy ? copy->outcomeQuestion() : QString());
    question->setContentsMargins(0, 4, 0, 0);
    layout->addWidget(question);

    auto* answers = new QHBoxLayout;
    answers->setSpacing(12);
    resolved_ = makeButton(tr("Yes, all set"), ButtonRole::prominent,
                           QStringLiteral("outcome-resolved"), this);
    blocked_ =
        makeButton(tr("Not quite"), ButtonRole::bordered, QStringLiteral("outcome-blocked"), this);
    blocked_->setMinimumHeight(resolved_->minimumHeight());
    connect(resolved_, &QPushButton::clicked, this, [this] { answer(QStringLiteral("resolved")); });
    connect(blocked_, &QPushButton::clicked, this,
            [this] { answer(QStringLiteral("not_resolved")); });
    answers->addWidget(resolved_, 0, Qt::AlignVCenter);
    answers->addWidget(blocked_, 0, Qt::AlignVCenter);
    answers->addStretch(1);
    layout->addLayout(answers);
    layout->addStretch(1);

    if (model)
        connect(model, &SetupFlowModel::changed, this, &OutcomeBody::render);
    render();
}

void OutcomeBody::setVerification(bool passed, QList<SpineRenderPolicy::OpenableApp> apps) {
    passed_ = passed;
    apps_ = std::move(apps);
    render();
}

void OutcomeBody::render() {
    checklist_->setVisible(passed_);
    if (passed_ && model_)
        renderSections(model_->outcomeAudit());

    const auto result = model_ ? model_->verifyResult() : std::nullopt;
    const bool showOutput = !passed_ && result && !result->rawOutput.trimmed().isEmpty();
    if (showOutput && output_->text() != result->rawOutput)
        output_->setText(result->rawOutput);
    output_->setVisible(showOutput);

    renderApps();
}

void OutcomeBody::renderSections(const QList<OutcomeAuditSection>& audit) {
    if (audit == shownAudit_)
        return;
    shownAudit_ = audit;
    clearLayout(sections_);
    const int iconSize = fontMetrics().height() * 9 / 10;
    for (const OutcomeAuditSection& section : audit) {
        auto* box = new QWidget(checklist_);
        box->setObjectName(section.title);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(0, 0, 0, 0);
        boxLayout->setSpacing(8);
        auto* title = makeHeadingLabel(section.title, TextStyle::subheadline);
        applySecondaryStyle(title);
        boxLayout->addWidget(title);
        for (const QString& item : section.items) {
            auto* row = new QHBoxLayout;
            row->setSpacing(8);
            auto* icon = new QLabel(box);
            icon->setAccessibleName(QStringLiteral("Installed")); // every item is in place
            followPalette(icon, [icon, iconSize] {
                icon->setPixmap(
                    checkmarkPixmap(iconSize, icon->devicePixelRatioF(), QApplication::palette()));
            });
            icon->setFixedSize(iconSize, fontMetrics().height());
            icon->setAlignment(Qt::AlignCenter);
            row->addWidget(icon, 0, Qt::AlignTop);
            row->addWidget(makePlainLabel(item, TextStyle::callout, box), 1);
            boxLayout->addLayout(row);
        }
        sections_->addWidget(box);
    }
}

void OutcomeBody::renderApps() {
    if (apps_ != shownApps_) {
        shownApps_ = apps_;
        for (QPushButton* button : std::as_const(appButtons_)) {
            openLayout_->removeWidget(button);
            button->hide();
            button->deleteLater();
        }
        appButtons_.clear();
        for (const auto& app : std::as_const(apps_)) {
            auto* button =
                makeButton(app.label, ButtonRole::bordered,
                           QStringLiteral("open-") + withoutAppSuffix(app.appName), openRow_);
            connect(button, &QPushButton::clicked, this,
                    [this, appName = app.appName] { openApp(appName); });
            openLayout_->insertWidget(int(appButtons_.size()), button, 0, Qt::AlignVCenter);
            appButtons_.append(button);
        }
    }
    // Folders on disk may come and go while the screen is up.
    const bool anyFolder = !exampleFolders().isEmpty();
    showProjects_->setVisible(anyFolder);
    openRow_->setVisible(anyFolder || !apps_.isEmpty());
}

QStringList OutcomeBody::exampleFolders() const {
    QStringList folders;
    const auto& fs = context_.services.fs;
    if (!fs)
        return folders;
    const QString documents = fs->homeDirectory() + QStringLiteral("/Documents/");
    for (ProjectTemplate projectTemplate : allProjectTemplates) {
        const QString folder = documents + TemplateTreeCopier::folderName(projectTemplate);
        if (fs->fileExists(folder))
            folders << folder;
    }
    return folders;
}

void OutcomeBody::openApp(const QString& appName) {
    const auto& fs = context_.services.fs;
    if (!fs)
        return;
    const QStringList candidates{QStringLiteral("/Applications/") + appName,
                                 fs->homeDirectory() + QStringLiteral("/Applications/") + appName};
    for (const QString& path : candidates) {
        if (!fs->fileExists(path))
            continue;
        sendUsageEvent(
            {QStringLiteral("app_opened"), {{QStringLiteral("app"), withoutAppSuffix(appName)}}});
        if (context_.urlOpener)
            context_.urlOpener->open(QUrl::fromLocalFile(path));
        return;
    }
}

void OutcomeBody::showExampleProjects() {
    // All of them, selected together in one window.
    const QStringList folders = exampleFolders();
    if (context_.fileRevealer && !folders.isEmpty())
        context_.fileRevealer->reveal(folders);
}

void OutcomeBody::answer(const QString& answer) {
    // One answer per screen: a second press must not report the outcome again.
    if (answered_ || !model_)
        return;
    answered_ = true;
    resolved_->setEnabled(false);
    blocked_->setEnabled(false);
    if (model_->resolveOutcome(answer) && context_.navigation)
        context_.navigation->setPath({});
}

} // namespace tovr
