#pragma once

#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;

// "Keep going" ("keep-going"): the first optional stage that still needs work, else the
// outcome. "Finish here" ("finish-here"): the outcome.
class KeepGoingButtons : public QWidget {
    Q_OBJECT
public:
    KeepGoingButtons(const ScreenContext& context, SetupFlowModel* model,
                     QWidget* parent = nullptr);

private:
    bool onGate() const;
    void keepGoing();
    void finishHere();

    QPointer<SetupFlowModel> model_;
};

} // namespace tovr
