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

// Counts the events the GUI thread's objects receive while it lives.
class EventCount final : public QObject {
public:
    EventCount() { QCoreApplication::instance()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent*) override {
        ++count;
        return false;
    }
    int count = 0;
};

// Delivers what the GUI thread has queued, then what that delivery queued in turn, until a
// round delivers nothing. False when it does not quiet down.
[[nodiscard]] inline bool deliverQueued(int rounds = 100) {
    EventCount events;
    for (int round = 0; round < rounds; ++round) {
        events.count = 0;
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (events.count == 0)
            return true;
    }
    return false;
}

// Waits for every worker to end, then delivers what they queued and what that starts in
// turn: before checking that a result did NOT come. False when a worker is still running.
[[nodiscard]] inline bool settleWorkers() {
    for (int round = 0; round < 100 && spinUntil(noWorkerRunning); ++round)
        if (deliverQueued() && noWorkerRunning())
            return true;
    return false;
}

} // namespace tovr::test
