#pragma once

#include "workflow/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;
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

private:
    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
    SetupSelections* selections_;
    QString domainID_;
};

} // namespace tovr
