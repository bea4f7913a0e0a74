#pragma once

#include "model/Screen.h"

#include <QHash>
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

    // Every assignment emits `changed` once, on the GUI thread. A path change is refused
    // while a run holds the navigation.
    void setPath(QList<Screen> path);
    void setSelectedGoal(std::optional<QString> goal);
    void setSelectedNextStep(std::optional<QString> nextStep);

    // A run that is under way holds the path as it is: leaving its screen ("‹ Back", a push)
    // would take the run's sheet away in the middle of the work. `run` holds while `running`
    // is true, until it says otherwise or is destroyed. GUI thread only.
    void holdWhileRunning(QObject* run, bool running);
    bool isHeldByRun() const { return !runs_.isEmpty(); }

Q_SIGNALS:
    void changed();

private:
    // True when the caller is not on the GUI thread; `assign` then runs there later.
    bool handedToGuiThread(std::function<void(AppNavigation&)> assign);

    QList<Screen> path_;
    std::optional<QString> selectedGoal_;
    std::optional<QString> selectedNextStep_;
    QHash<QObject*, QMetaObject::Connection> runs_; // each holder and its `destroyed` link
};

} // namespace tovr
