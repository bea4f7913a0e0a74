#pragma once

#include "platform/CancellableProcess.h"
#include "platform/EventStream.h"

#include <functional>
#include <memory>

namespace tovr {

// Runs one fix's worker on a thread of its own and returns at once. The worker's children
// register with `latch`; the shared child registry owns the thread, cancels the latch (so
// the child being waited on ends) and joins the thread when the application quits.
void startFixTask(std::shared_ptr<CancellableProcess> latch, std::function<void()> body);

// A blocking worker as a stream: `body` runs on a thread of its own with a sink into the
// stream and the run's latch; the stream finishes when it returns. The stream's end (the
// consumer leaving, or the worker finishing) cancels the latch.
template <class Event, class Body> EventStream<Event> runFixTask(Body body) {
    auto [stream, continuation] = EventStream<Event>::make();
    auto latch = std::make_shared<CancellableProcess>();
    continuation.onTermination([latch](StreamTermination) { latch->cancel(); });
    startFixTask(latch, [continuation, latch, body = std::move(body)] {
        const std::function<void(const Event&)> sink = [continuation](const Event& event) {
            continuation.yield(event);
        };
        body(sink, *latch);
        continuation.finish();
    });
    return std::move(stream);
}

} // namespace tovr
