#pragma once

#include "workflow/MCPSection.h"
#include "workflow/views/StageSectionView.h"

#include <QMap>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tovr {

class URLOpening;

// The MCP servers to tick, an optional API key for those that take one, a link to more,
// and "Add selected".
class MCPSectionView : public StageSectionView {
    Q_OBJECT

public:
    MCPSectionView(StageScope scope, std::shared_ptr<FileSystemOperating> fs,
                   std::shared_ptr<ToolLocationsSource> locations,
                   std::shared_ptr<URLOpening> urlOpener, QWidget* parent = nullptr);

    void render(const QList<SetupRemediation>& fixes, bool canAct) override;
    DiskRead diskRead() override { return section_.diskRead(); }

private:
    struct RowWidgets {
        QCheckBox* box = nullptr;
        QLabel* caption = nullptr;
        QLabel* disclosure = nullptr;
        QLineEdit* key = nullptr;
    };
    void renderRows();

    MCPSection section_;
    QMap<QString, RowWidgets> rows_; // by slug
    QPushButton* add_ = nullptr;
    bool canAct_ = false;
};

} // namespace tovr
