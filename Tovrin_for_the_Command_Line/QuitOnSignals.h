#pragma once

#include <QPointer>
#include <QSocketNotifier>

#include <functional>

namespace tovr {

// Turns SIGINT, SIGTERM and SIGHUP into an ordinary quit inside the event loop, so the
// application ends as when its window is closed: runs canceled, children ended, workers
// joined, the demo Mac's folder removed. The handler only writes a byte to a pipe; the event
// loop reads it. Made before anything that must be cleaned up, even before the application
// object: a signal that comes before the loop runs is acted on once it does.
class QuitOnSignals {
public:
    QuitOnSignals();
    ~QuitOnSignals();
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // Once the application object exists: what a signal does, on the GUI thread, for as long
    // as `context` lives.
    void onSignal(QObject* context, std::function<void()> quit);

private:
    QPointer<QSocketNotifier> notifier_;
    bool installed_ = false;
};

} // namespace tovr
