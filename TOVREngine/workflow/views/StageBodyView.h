#pragma once

#include "model/SetupProbeBundle.h"
#include "platform/SystemProfile.h"
#include "platform/WorkerTask.h"
#include "ui/ScreenContext.h"
#include "workflow/StageBodyPresenter.h"

#include <QMap>
#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace tovr {

class SetupFlowModel;
class StageSectionView;
struct SetupSelections;

// The body of a stage screen: the stage's fixes and choices (languages and apps, project,
// skills and MCP servers, Git and GitHub). It updates itself in place when the model
// changes. `selections` belongs to the workflow screen and outlives this body.
class StageBodyView : public QWidget {
    Q_OBJECT

public:
    StageBodyView(const ScreenContext& context, SetupFlowModel* model, SetupSelections* selections,
                  QString domainID, QWidget* parent = nullptr);

    const QString& domainID() const { return domainID_; }
    // The disk was read once and the body shows its fixes.
    bool hasReadDisk() const { return diskRead_; }

private:
    void refresh();
    void renderFixRows(const QList<SetupRemediation>& fixes, bool canAct);
    StageSectionView* makeSection(const SpineRenderPolicy::SpecialStageKind& kind);
    bool probedAgain();
    void readDisk();

    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
    SetupSelections* selections_;
    QString domainID_;
    StageBodyPresenter presenter_;

    QWidget* banner_ = nullptr;
    QPushButton* homebrewFirst_ = nullptr;
    QWidget* fixList_ = nullptr;
    QVBoxLayout* fixLayout_ = nullptr;
    QMap<QString, QWidget*> fixRows_; // by fix id
    QPushButton* group_ = nullptr;
    StageSectionView* section_ = nullptr;
    bool sectionAppeared_ = false;
    QPushButton* skip_ = nullptr;
    QWidget* busy_ = nullptr;

    // What the disk was last read for.
    std::optional<SystemProfile> readProfile_;
    std::optional<SetupProbeBundle> readProbes_;
    bool wasRefreshing_ = false;
    std::shared_ptr<WorkerTask> diskTask_;
    bool diskRead_ = false;
};

} // namespace tovr
