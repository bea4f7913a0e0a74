#pragma once

#include "platform/GuiThreadDelivery.h"
#include "platform/WorkerTask.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <type_traits>
#include <utility>

namespace tovr {

// Runs the blocking `work` on a worker thread (owned by ChildProcessRegistry, joined at
// shutdown) and hands its result to `done` on the GUI thread. `done` never runs once
// `receiver` is gone or the returned task was canceled, so a model that moved on or went
// away never sees a late result. Call on the GUI thread.
//
// `work` takes the WorkerTask& and returns a value (or nothing); `done` takes that value.
template <class Work, class Done>
std::shared_ptr<WorkerTask> runInBackground(QObject* receiver, Work work, Done done) {
    auto task = WorkerTask::make();
    QPointer<QObject> guard(receiver);
    std::weak_ptr<WorkerTask> weak = task;
    WorkerTask::launch(task, [guard, weak, work = std::move(work),
                              done = std::move(done)](WorkerTask& self) mutable {
        using Result = std::invoke_result_t<Work&, WorkerTask&>;
        if constexpr (std::is_void_v<Result>) {
            work(self);
            deliverToGuiThread(guard, weak, [done = std::move(done)]() mutable { done(); });
        } else {
            Result result = work(self);
            deliverToGuiThread(guard, weak,
                               [done = std::move(done), result = std::move(result)]() mutable {
                                   done(std::move(result));
                               });
        }
    });
    return task;
}

} // namespace tovr
