#pragma once

#include "ui/NPSFeedbackCardModel.h"
#include "ui/ScreenContext.h"

#include <QBoxLayout>
#include <QFrame>
#include <QList>
#include <QPointer>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;
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
    void addHeader(QVBoxLayout* stack);
    void addScores(QVBoxLayout* stack);
    void addReason(QVBoxLayout* stack);
    void addThanks(QVBoxLayout* stack);
    void render();
    // A score's checked state changed, by whatever means: the model takes it, and the cells
    // show the model's choice again.
    void scoreToggled(int score, bool checked);

    NPSFeedbackCardModel* model_ = nullptr;
    QList<QPushButton*> scores_;
    QButtonGroup* scoreGroup_ = nullptr;
    QWidget* reasonArea_ = nullptr;
    QPlainTextEdit* reason_ = nullptr;
    QWidget* thanksRow_ = nullptr;
};

// Puts the score card at the end of `stack` when `host` shows one (call it as the page comes
// on screen): the card hides once submitted, and the host hears of that and of its appearing.
template <class Host>
void addScoreCard(const QPointer<Host>& host, const ScreenContext& context, QWidget* content,
                  QBoxLayout* stack) {
    if (!host || !host->showsCard())
        return;
    auto* card = new NPSFeedbackCard(context, content);
    stack->addWidget(card);
    QObject::connect(card, &NPSFeedbackCard::submitted, card, [host, card] {
        card->hide();
        if (host)
            host->cardSubmitted();
    });
    host->cardAppeared();
}

} // namespace tovr
