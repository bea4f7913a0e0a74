#pragma once

#include "model/NextStepPrompt.h"

#include <QObject>
#include <QPointer>

#include <optional>

namespace tovr {

class AppNavigation;

// The next-step question: the chosen answer and where it leads. GUI thread only.
class NextStepModel : public QObject {
    Q_OBJECT

public:
    NextStepModel(NextStepPrompt prompt, AppNavigation* navigation, QObject* parent = nullptr);

    const NextStepPrompt& prompt() const { return prompt_; }
    const std::optional<QString>& selectedKey() const { return selectedKey_; }
    bool canContinue() const { return selectedKey_.has_value(); }

    void select(const QString& key);
    // "Show next step": stores the choice, sends "next_step_selected", pushes the answer's
    // destination. Nothing happens without a choice that matches an option.
    void continueWithSelection();

Q_SIGNALS:
    void changed();

private:
    NextStepPrompt prompt_;
    QPointer<AppNavigation> navigation_;
    std::optional<QString> selectedKey_;
};

} // namespace tovr
