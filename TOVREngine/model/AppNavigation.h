#pragma once

#include "model/Screen.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace tovr {

// The window's navigation state: the stack of destinations above the welcome screen and the
// answers given on the goal and next-step prompts. Screens move the user on by assigning
// these fields. It belongs to the GUI thread; an assignment made on any other thread is
// handed over to the GUI thread instead of racing the views that read it.
class AppNavigation : public QObject {
    Q_OBJECT

public:
    explicit AppNavigation(QObject* parent = nullptr);

    const QList<Screen>& path() const { return path_; }
    const std::optional<QString>& selectedGoal() const { return selectedGoal_; }
    const std::optional<QString>& selectedNextStep() const { return selectedNextStep_; }

    // Every assignment emits `changed` once, on the GUI thread.
    void setPath(QList<Screen> path);
    void setSelectedGoal(std::optional<QString> goal);
    void setSelectedNextStep(std::optional<QString> nextStep);

Q_SIGNALS:
    void changed();

private:
    // True when the caller is not on the GUI thread; `assign` then runs there later.
    bool handedToGuiThread(std::function<void(AppNavigation&)> assign);

    QList<Screen> path_;
    std::optional<QString> selectedGoal_;
    std::optional<QString> selectedNextStep_;
};

} // namespace tovr
