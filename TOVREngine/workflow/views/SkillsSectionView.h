#pragma once

#include "workflow/SkillsSection.h"
#include "workflow/views/StageSectionView.h"

#include <QMap>

class QCheckBox;
class QPushButton;

namespace tovr {

class URLOpening;

// The agent skills to tick, a link to more, and "Add selected".
class SkillsSectionView : public StageSectionView {
    Q_OBJECT

public:
    SkillsSectionView(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                      std::shared_ptr<ToolLocationsSource> locations,
                      std::shared_ptr<URLOpening> urlOpener, QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;
    DiskRead diskRead() override { return section_.diskRead(); }
    void appeared(const QList<SetupRemediation>&) override { section_.seed(); }

private:
    struct RowWidgets {
        QWidget* row = nullptr;
        QCheckBox* box = nullptr;
        QLabel* caption = nullptr;
    };
    void renderRows();

    SkillsSection section_;
    QMap<QString, RowWidgets> rows_; // by slug, every skill of the catalogue
    QPushButton* add_ = nullptr;
    bool canAct_ = false;
};

} // namespace tovr
