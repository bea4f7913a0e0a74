#include "workflow/views/LanguagesSectionView.h"

#include "ui/views/Typography.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

LanguagesSectionView::LanguagesSectionView(StageScope scope,
                                           std::shared_ptr<FileSystemOperating> fs, QWidget* parent)
    : StageSectionView(parent), section_(std::move(scope), std::move(fs)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (const auto language : allTOVRLanguages) {
        auto* row = new QWidget(this);
        auto* rowLayout = new QVBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(1);
        RowWidgets widgets;
        widgets.box = makeCheckBox(displayName(language), row);
        widgets.box->setObjectName(QStringLiteral("lang-") + toRaw(language));
        widgets.note = stagerows::makeCaption(QString(), row);
        widgets.note->setObjectName(QStringLiteral("lang-note-") + toRaw(language));
        rowLayout->addWidget(widgets.box);
        rowLayout->addWidget(widgets.note);
        layout->addWidget(row);
        connect(widgets.box, &QCheckBox::toggled, this, [this, language](bool ticked) {
            section_.setTicked(language, ticked);
            renderRows();
        });
        rows_.insert(language, widgets);
    }
    layout->addSpacing(4);
    install_ = makeButton(QStringLiteral("Install selected languages"), ButtonRole::prominent,
                          QStringLiteral("install-languages"), this);
    layout->addWidget(install_);
    connect(install_, &QPushButton::clicked, this, [this] { section_.install(); });
}

void LanguagesSectionView::render(const QList<SetupRemediation>&, bool canAct) {
    canAct_ = canAct;
    renderRows();
}

void LanguagesSectionView::renderRows() {
    for (const auto& row : section_.rows()) {
        auto& widgets = rows_[row.language];
        stagerows::setCheckedQuietly(widgets.box, row.ticked);
        widgets.box->setEnabled(row.enabled);
        stagerows::setTextQuietly(widgets.note, row.note.value_or(QString()));
        widgets.note->setVisible(row.note.has_value());
        stagerows::describe(widgets.box, {row.note.value_or(QString())});
        if (widgets.warns != row.noteWarns) {
            widgets.warns = row.noteWarns;
            if (row.noteWarns)
                stagerows::applyWarningStyle(widgets.note);
            else
                applySecondaryStyle(widgets.note);
        }
    }
    install_->setEnabled(canAct_ && section_.canInstall());
}

} // namespace tovr
