#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

namespace tovr::test {

// Runs the event loop until `done` holds or `ms` pass; returns `done()`.
template <class F> bool spinUntil(F done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace tovr::test
