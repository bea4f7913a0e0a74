#pragma once

#include "ui/NPSFeedbackCardModel.h"
#include "ui/ScreenContext.h"

#include <QFrame>
#include <QList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tovr {

// The recommendation-score card. The host shows it only while no feedback was given and
// sends "nps_shown" itself; it learns what happened through the two signals.
class NPSFeedbackCard : public QFrame {
    Q_OBJECT

public:
    explicit NPSFeedbackCard(
        const ScreenContext& context, QWidget* parent = nullptr,
        std::chrono::milliseconds thanksDelay = NPSFeedbackCardModel::kThanksDelay);

    NPSFeedbackCardModel* model() const { return model_; }

Q_SIGNALS:
    void submitted();
    void dismissed();

private:
    void render();

    NPSFeedbackCardModel* model_ = nullptr;
    QList<QPushButton*> scores_;
    QWidget* reasonArea_ = nullptr;
    QPlainTextEdit* reason_ = nullptr;
    QWidget* thanksRow_ = nullptr;
};

} // namespace tovr
