#pragma once

#include "platform/WorkerTask.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <memory>
#include <utility>

namespace tovr {

// True when the task is canceled; a task nobody holds any more counts as running, so a
// caller may drop the handle and still get its result.
inline bool isTaskCanceled(const std::weak_ptr<WorkerTask>& weak) {
    const auto task = weak.lock();
    return task && task->isCanceled();
}

// Whether a worker's call still reaches the GUI thread once its task is canceled.
enum class AfterCancel { drop, deliver };

// Queues `call` from a worker thread to the GUI thread. It never runs once `receiver` is
// gone and, unless `afterCancel` says deliver, once `task` is canceled (before the call is
// queued or before it runs), so a model that moved on or went away never sees a late result.
//
// The call goes to the application object, which outlives every worker (shutdown joins
// them first); the guard is read there, on the GUI thread.
template <class Receiver, class Call>
void deliverToGuiThread(QPointer<Receiver> receiver, std::weak_ptr<WorkerTask> task, Call call,
                        AfterCancel afterCancel = AfterCancel::drop) {
    const bool dropOnCancel = afterCancel == AfterCancel::drop;
    if (dropOnCancel && isTaskCanceled(task))
        return;
    QObject* app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(
        app,
        [receiver = std::move(receiver), task = std::move(task), call = std::move(call),
         dropOnCancel]() mutable {
            if (!receiver || (dropOnCancel && isTaskCanceled(task)))
                return;
            call();
        },
        Qt::QueuedConnection);
}

} // namespace tovr
