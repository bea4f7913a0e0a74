#include "shell/views/FinalAuditReportView.h"

#include "ui/views/NPSFeedbackCard.h"

#include "ui/views/ScreenScaffold.h"
#include "ui/views/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

namespace {

QString glyph(FinalAuditReportModel::Mark mark) {
    switch (mark) {
    case FinalAuditReportModel::Mark::installed:
        return QString::fromUtf8("✓");
    case FinalAuditReportModel::Mark::missing:
        return QString::fromUtf8("✗");
    case FinalAuditReportModel::Mark::recommended:
        break;
    }
    return QString::fromUtf8("→");
}

// What the mark means, for a screen reader.
QString meaning(FinalAuditReportModel::Mark mark) {
    switch (mark) {
    case FinalAuditReportModel::Mark::installed:
        return QStringLiteral("Installed");
    case FinalAuditReportModel::Mark::missing:
        return QStringLiteral("Missing");
    case FinalAuditReportModel::Mark::recommended:
        break;
    }
    return QStringLiteral("Recommended");
}

Tone tone(FinalAuditReportModel::Mark mark) {
    switch (mark) {
    case FinalAuditReportModel::Mark::installed:
        return Tone::success;
    case FinalAuditReportModel::Mark::missing:
        return Tone::failure;
    case FinalAuditReportModel::Mark::recommended:
        break;
    }
    return Tone::accent;
}

} // namespace

FinalAuditReportView::FinalAuditReportView(const ScreenContext& context,
                                           FinalAuditReportModel* model, QWidget* parent)
    : QWidget(parent), model_(model) {
    QVBoxLayout* stack = nullptr;
    fillWithScaffold(this,
                     {QStringLiteral("Your Mac at a glance"), TextStyle::largeTitle,
                      QStringLiteral("Here's what we found while running the system audit."),
                      std::nullopt, std::nullopt, std::nullopt},
                     context.urlOpener, &stack, 18);
    QWidget* content = stack->parentWidget();
    auto* checklist = new QWidget(content);
    checklist->setObjectName(QStringLiteral("audit-final-report"));
    auto* rows = new QVBoxLayout(checklist);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(6);
    for (int i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        auto* mark = makePlainLabel(QString(), TextStyle::callout, checklist);
        applyTextStyle(mark, TextStyle::callout, true);
        auto* label = makePlainLabel(QString(), TextStyle::callout, checklist);
        row->addWidget(mark);
        row->addWidget(label, 1);
        rows->addLayout(row);
        rows_.append(qMakePair(mark, label));
    }
    stack->addWidget(checklist);
    // The page is built when it comes on screen: the score card is shown then. Its own
    // dismissal needs nothing from this screen.
    addScoreCard(model_, context, content, stack);
    auto* done = makeButton(QString::fromUtf8("Done — back to home"), ButtonRole::prominent,
                            QString(), content);
    stack->addSpacing(8);
    stack->addWidget(done, 0, Qt::AlignLeft);

    connect(done, &QPushButton::clicked, this, [this] {
        if (model_)
            model_->finish();
    });
    connect(model_, &FinalAuditReportModel::changed, this, &FinalAuditReportView::render);
    render();
}

void FinalAuditReportView::render() {
    if (!model_)
        return;
    const auto rows = model_->rows();
    for (qsizetype i = 0; i < rows.size() && i < rows_.size(); ++i) {
        auto [mark, label] = rows_[i];
        mark->setText(glyph(rows[i].mark));
        mark->setAccessibleName(meaning(rows[i].mark));
        applyTone(mark, tone(rows[i].mark));
        label->setText(rows[i].label);
    }
}

} // namespace tovr
