#pragma once

#include "platform/ChildProcessRegistry.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tovr::test {

// Runs the event loop until `done` holds or `ms` pass; returns `done()`. The default is
// long: a condition that holds returns at once, and a loaded machine or a sanitizer build
// may take many times longer than a quiet one.
template <class F> [[nodiscard]] bool spinUntil(F done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Outside a running event loop deleteLater waits for this.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return done();
}

// True once every worker thread has ended; what they sent back is then queued for the GUI
// thread.
inline bool noWorkerRunning() {
    return ChildProcessRegistry::shared().liveCount() == 0;
}

// Waits for every worker to end, then delivers what they queued: before checking that a
// result did NOT come. False when a worker is still running.
[[nodiscard]] inline bool settleWorkers() {
    const bool idle = spinUntil(noWorkerRunning);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return idle;
}

} // namespace tovr::test
