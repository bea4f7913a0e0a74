#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tovr {

class ChoiceList;
class GoalPromptModel;

// The goal question as a single-choice list with an optional detail field. It renders the
// model in place, so typed text and focus survive every change.
class GoalPromptView : public QWidget {
    Q_OBJECT

public:
    explicit GoalPromptView(GoalPromptModel* model, QWidget* parent = nullptr);

private:
    void render();

    QPointer<GoalPromptModel> model_;
    ChoiceList* options_ = nullptr;
    QWidget* detailBox_ = nullptr;
    QLabel* detailPrompt_ = nullptr;
    QLineEdit* detailField_ = nullptr;
    QPushButton* continue_ = nullptr;
};

} // namespace tovr
