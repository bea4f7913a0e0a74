#include "workflow/views/CaskSectionView.h"

#include "ui/views/Typography.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

CaskSectionView::CaskSectionView(StageScope scope, CaskSection::Entry entry, QWidget* parent)
    : StageSectionView(parent), section_(std::move(scope), std::move(entry)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (const auto& item : section_.entry().items) {
        if (rows_.contains(item.remediationID))
            continue;
        auto* row = new QWidget(this);
        auto* rowLayout = new QVBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(1);
        RowWidgets widgets;
        widgets.box = makeCheckBox(item.label, row);
        widgets.box->setObjectName(item.accessibilityID);
        widgets.installed = stagerows::makeCaption(QStringLiteral("Already installed"), row);
        widgets.installed->setObjectName(item.accessibilityID + QStringLiteral("-installed"));
        rowLayout->addWidget(widgets.box);
        rowLayout->addWidget(widgets.installed);
        layout->addWidget(row);
        const QString id = item.remediationID;
        connect(widgets.box, &QCheckBox::toggled, this, [this, id](bool ticked) {
            section_.setTicked(id, ticked);
            renderRows();
        });
        rows_.insert(item.remediationID, widgets);
    }
    layout->addSpacing(4);
    install_ = makeButton(QStringLiteral("Install selected"), ButtonRole::prominent,
                          section_.entry().installID, this);
    layout->addWidget(install_);
    connect(install_, &QPushButton::clicked, this, [this] { section_.install(offered_); });
}

void CaskSectionView::appeared(const QList<SetupRemediation>& fixes) {
    section_.seed(CaskSection::offeredByID(fixes));
}

void CaskSectionView::render(const QList<SetupRemediation>& fixes, bool canAct) {
    offered_ = CaskSection::offeredByID(fixes);
    canAct_ = canAct;
    renderRows();
}

void CaskSectionView::renderRows() {
    for (const auto& row : section_.rows(offered_)) {
        const auto& widgets = rows_[row.remediationID];
        stagerows::setCheckedQuietly(widgets.box, row.ticked);
        widgets.box->setEnabled(row.offered);
        widgets.installed->setVisible(!row.offered);
        stagerows::describe(widgets.box, {row.offered ? QString() : widgets.installed->text()});
    }
    install_->setEnabled(canAct_ && section_.canInstall(offered_));
}

} // namespace tovr
