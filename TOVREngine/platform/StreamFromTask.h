#pragma once

#include "platform/EventStream.h"
#include "platform/WorkerTask.h"

#include <functional>
#include <utility>

namespace tovr {

// Runs `body` on a new task and returns at once the stream of what it hands its sink; the
// stream finishes when `body` returns. Dropping the stream cancels the task.
template <class T>
EventStream<T>
streamFromTask(std::function<void(const std::function<void(T)>&, WorkerTask&)> body) {
    auto [stream, continuation] = EventStream<T>::make();
    auto task = WorkerTask::make();
    continuation.onTermination([task](StreamTermination) { task->cancel(); });
    WorkerTask::launch(task, [continuation, body = std::move(body)](WorkerTask& self) {
        const std::function<void(T)> sink = [continuation](T event) {
            continuation.yield(std::move(event));
        };
        body(sink, self);
        continuation.finish();
    });
    return std::move(stream);
}

} // namespace tovr
