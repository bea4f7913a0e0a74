#pragma once

#include "platform/KeyValueStoring.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace tovr {

// The recommendation-score card: a score from 0 to 10 and an optional reason, sent once as
// "nps_submitted" and remembered in the user defaults, or dismissed. GUI thread only.
class NPSFeedbackCardModel : public QObject {
    Q_OBJECT

public:
    enum class Phase { scored, notYet, submitting, thanks };

    static constexpr std::chrono::milliseconds kThanksDelay{1500};

    // `userDefaults` is where "<prefix>.nps_submitted" is written; `thanksDelay` is the pause
    // between a submit and the thanks.
    explicit NPSFeedbackCardModel(std::shared_ptr<KeyValueStoring> userDefaults,
                                  std::chrono::milliseconds thanksDelay = kThanksDelay,
                                  QObject* parent = nullptr);

    Phase phase() const { return phase_; }
    // The chosen score while `scored`.
    std::optional<int> score() const {
        return phase_ == Phase::scored ? std::optional<int>(score_) : std::nullopt;
    }
    const QString& reasonText() const { return reasonText_; }
    bool didDismiss() const { return didDismiss_; }

    void selectScore(int score);
    // The reason as typed; no change signal, the editor already shows it.
    void setReasonText(const QString& text) { reasonText_ = text; }
    void submit();
    void dismiss();

Q_SIGNALS:
    void changed();
    // After the thanks delay that follows a submit; never once the card is gone.
    void submitted();
    void dismissed();

private:
    std::shared_ptr<KeyValueStoring> userDefaults_;
    std::chrono::milliseconds thanksDelay_;
    Phase phase_ = Phase::notYet;
    int score_ = 0;
    QString reasonText_;
    bool didDismiss_ = false;
};

} // namespace tovr
