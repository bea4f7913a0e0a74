#include "model/AppNavigation.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QPointer>
#include <QThread>

namespace tovr {

namespace {
Q_LOGGING_CATEGORY(lcNavigation, "tovr.navigation")
} // namespace

AppNavigation::AppNavigation(QObject* parent) : QObject(parent) {}

bool AppNavigation::handedToGuiThread(std::function<void(AppNavigation&)> assign) {
    auto* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return false;
    qCWarning(lcNavigation) << "Navigation changed off the GUI thread; deferring the change";
    QMetaObject::invokeMethod(
        app,
        [self = QPointer<AppNavigation>(this), assign = std::move(assign)] {
            if (self)
                assign(*self);
        },
        Qt::QueuedConnection);
    return true;
}

void AppNavigation::setPath(QList<Screen> path) {
    if (handedToGuiThread([path](AppNavigation& nav) { nav.setPath(path); }))
        return;
    if (isHeldByRun()) {
        qCInfo(lcNavigation) << "Navigation refused while a run is under way";
        return;
    }
    path_ = std::move(path);
    Q_EMIT changed();
}

void AppNavigation::holdWhileRunning(QObject* run, bool running) {
    if (!run || running == runs_.contains(run))
        return;
    if (running)
        runs_.insert(run,
                     connect(run, &QObject::destroyed, this, [this, run] { runs_.remove(run); }));
    else
        disconnect(runs_.take(run));
}

void AppNavigation::setSelectedGoal(std::optional<QString> goal) {
    if (handedToGuiThread([goal](AppNavigation& nav) { nav.setSelectedGoal(goal); }))
        return;
    selectedGoal_ = std::move(goal);
    Q_EMIT changed();
}

void AppNavigation::setSelectedNextStep(std::optional<QString> nextStep) {
    if (handedToGuiThread([nextStep](AppNavigation& nav) { nav.setSelectedNextStep(nextStep); }))
        return;
    selectedNextStep_ = std::move(nextStep);
    Q_EMIT changed();
}

} // namespace tovr
