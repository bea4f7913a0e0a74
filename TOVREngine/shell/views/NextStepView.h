#pragma once

#include "model/NextStepPrompt.h"
#include "ui/ScreenContext.h"

#include <QWidget>

class QPushButton;

namespace tovr {

class ChoiceList;
class NextStepModel;

// What next, once a check or repair is done: one answer to choose, then its destination.
class NextStepView : public QWidget {
    Q_OBJECT

public:
    NextStepView(const ScreenContext& context, NextStepPrompt prompt, QWidget* parent = nullptr);

    NextStepModel* model() const { return model_; }

private:
    void render();

    NextStepModel* model_ = nullptr;
    ChoiceList* options_ = nullptr;
    QPushButton* continue_ = nullptr;
};

} // namespace tovr
