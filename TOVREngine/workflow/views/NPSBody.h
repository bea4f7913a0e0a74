#pragma once

#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;

// The feedback step: the recommendation-score card and "Done" ("nps-done", pressed by
// Return), which ends the workflow, recording a dismissal unless the card already reported
// one or a submission.
class NPSBody : public QWidget {
    Q_OBJECT
public:
    NPSBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);

private:
    void done();

    ScreenContext context_;
    QPointer<SetupFlowModel> model_;
};

} // namespace tovr
