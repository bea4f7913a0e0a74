#include "shell/NextStepModel.h"

#include "model/AppNavigation.h"
#include "telemetry/UsageEventCatalogue.h"

namespace tovr {

NextStepModel::NextStepModel(NextStepPrompt prompt, AppNavigation* navigation, QObject* parent)
    : QObject(parent), prompt_(std::move(prompt)), navigation_(navigation) {}

void NextStepModel::select(const QString& key) {
    if (selectedKey_ == key)
        return;
    selectedKey_ = key;
    Q_EMIT changed();
}

void NextStepModel::continueWithSelection() {
    if (!selectedKey_ || !navigation_)
        return;
    const NextStepOption* option = nullptr;
    for (const auto& candidate : prompt_.options)
        if (candidate.key == *selectedKey_) {
            option = &candidate;
            break;
        }
    if (!option)
        return;
    const std::optional<QString> goal = navigation_->selectedGoal();
    navigation_->setSelectedNextStep(*selectedKey_);
    trackNextStepSelected(*selectedKey_, toRaw(option->outcome), goal, prompt_.surface);
    QList<Screen> path = navigation_->path();
    path.append(Screen::forNextStep(*option, goal));
    navigation_->setPath(std::move(path));
}

} // namespace tovr
