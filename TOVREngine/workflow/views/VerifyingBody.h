#pragma once

#include "ui/ScreenContext.h"

#include <QPointer>
#include <QWidget>

namespace tovr {

class SetupFlowModel;

// The progress indicator and wording while the tools are checked again. The frame starts
// the verification; the model moves the step on when it is done.
class VerifyingBody : public QWidget {
    Q_OBJECT
public:
    VerifyingBody(const ScreenContext& context, SetupFlowModel* model, QWidget* parent = nullptr);

private:
    QPointer<SetupFlowModel> model_;
};

} // namespace tovr
