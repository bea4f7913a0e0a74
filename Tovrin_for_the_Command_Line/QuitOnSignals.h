#pragma once

#include <QObject>

class QSocketNotifier;

namespace tovr {

// Turns SIGINT, SIGTERM and SIGHUP into an ordinary quit of the event loop, so the
// application ends as when its window is closed: children ended, workers joined, the demo
// Mac's folder removed. The handler only writes a byte to a pipe; the event loop reads it.
class QuitOnSignals final : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tovr
