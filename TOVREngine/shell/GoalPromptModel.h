#pragma once

#include "model/GoalPrompt.h"

#include <QObject>

#include <functional>
#include <optional>

namespace tovr {

// The goal prompt's state: the chosen option and the detail text. GUI thread only.
class GoalPromptModel : public QObject {
    Q_OBJECT

public:
    GoalPromptModel(GoalPrompt prompt, std::function<void(const QString&)> onContinue,
                    QObject* parent = nullptr);

    const GoalPrompt& prompt() const { return prompt_; }
    const std::optional<QString>& selectedKey() const { return selectedKey_; }
    const QString& detail() const { return detail_; }
    std::optional<GoalOption> selectedOption() const;
    // True when the chosen option asks for a detail.
    bool asksForDetail() const;
    bool canContinue() const { return selectedKey_.has_value(); }

    void select(const QString& key);
    // Every edit goes through here; a text longer than the limit is cut to it.
    void setDetail(const QString& text);
    // Sends "goal_selected", then hands the key on. Does nothing with no choice.
    void submit();

    // The detail as it is sent: control and format characters dropped, ends trimmed, cut to
    // `maxChars` characters; absent when nothing is left.
    static std::optional<QString> cleanedDetail(const QString& detail, qint64 maxChars);

Q_SIGNALS:
    void changed();

private:
    qint64 maxChars() const { return std::max<qint64>(prompt_.detailMaxChars, 0); }

    GoalPrompt prompt_;
    std::function<void(const QString&)> onContinue_;
    std::optional<QString> selectedKey_;
    QString detail_;
};

} // namespace tovr
