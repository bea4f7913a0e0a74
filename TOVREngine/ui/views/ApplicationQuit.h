#pragma once

#include <QObject>

class QEvent;

namespace tovr {

// The application's way out when the system asks for it: a signal, the session ending, the
// platform's own quit (Cmd-Q, the application menu's Quit). Every open sheet's run is
// canceled through its model, as the sheet's Cancel does, and the event loop ends; the
// owners of children, workers and the demo Mac undo them after exec() returns. No sheet can
// refuse it: while a quit is under way a sheet lets itself be closed.
class ApplicationQuit final : public QObject {
    Q_OBJECT

public:
    // Watches the application object: its quit event, the session's end, aboutToQuit.
    explicit ApplicationQuit(QObject* parent = nullptr);
    ~ApplicationQuit() override;
    ApplicationQuit(const ApplicationQuit&) = delete;
    ApplicationQuit& operator=(const ApplicationQuit&) = delete;

    // Cancels the runs, then ends the event loop without a close of the windows, which a
    // window could refuse.
    void quit();

    // From the first quit (or quit event) on, for as long as this object lives.
    static bool isUnderWay();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void cancelRuns();
};

} // namespace tovr
