#include "workflow/views/ProjectSectionView.h"

#include "ui/views/Typography.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace tovr {

ProjectSectionView::ProjectSectionView(StageScope scope,
                                       std::shared_ptr<FolderPicking> folderPicker,
                                       QString folderPrompt, QString startFolder, QWidget* parent)
    : StageSectionView(parent), section_(std::move(scope), std::move(folderPicker),
                                         std::move(folderPrompt), std::move(startFolder)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    documents_ = makeButton(QStringLiteral("Install in Documents"), ButtonRole::prominent,
                            QStringLiteral("create-project"), this);
    choose_ = makeButton(QString::fromUtf8("Choose my folder…"), ButtonRole::bordered,
                         QStringLiteral("choose-project-folder"), this);
    layout->addWidget(documents_);
    layout->addWidget(choose_);
    connect(documents_, &QPushButton::clicked, this,
            [this] { section_.installInDocuments(fixes_); });
    connect(choose_, &QPushButton::clicked, this, [this] { section_.chooseFolder(); });
}

void ProjectSectionView::render(const QList<SetupRemediation>& fixes, bool canAct) {
    fixes_ = fixes;
    documents_->setEnabled(canAct);
    choose_->setEnabled(canAct);
}

} // namespace tovr
