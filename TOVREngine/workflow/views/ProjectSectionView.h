#pragma once

#include "workflow/ProjectSection.h"
#include "workflow/views/StageSectionView.h"

class QPushButton;

namespace tovr {

// "Install in Documents" and "Choose my folder…".
class ProjectSectionView : public StageSectionView {
    Q_OBJECT

public:
    ProjectSectionView(StageScope scope, std::shared_ptr<FolderPicking> folderPicker,
                       QString folderPrompt, QString startFolder, QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;

private:
    ProjectSection section_;
    QList<SetupRemediation> fixes_;
    QPushButton* documents_ = nullptr;
    QPushButton* choose_ = nullptr;
};

} // namespace tovr
