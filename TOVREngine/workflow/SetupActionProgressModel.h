#pragma once

#include "model/SetupRemediation.h"
#include "platform/ClipboardWriting.h"
#include "platform/EventStream.h"
#include "platform/URLOpening.h"
#include "services/InstallOutputFilter.h"
#include "services/SetupRemediationRunner.h"
#include "ui/StepRun.h"
#include "workflow/SetupActionOutcome.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tovr {

// The install sheet's run: the approved fixes one after another, each a step of a StepRun,
// with their lines gathered into the log, the usage events of every fix, and one outcome for
// the sheet's owner. GUI thread only. A fix the run has left (after Cancel) is shut out:
// whatever it still delivers is dropped, so nothing more starts and nothing more is sent.
class SetupActionProgressModel : public QObject {
    Q_OBJECT

public:
    using Event = SetupRemediationRunner::Event;
    // Starts one fix with the password dialog's sentence and returns its stream. Called on a
    // worker thread: the runner does some fixes' whole work inside the call.
    using FixStarter =
        std::function<EventStream<Event>(const SetupRemediation& fix, const QString& reason)>;

    struct Request {
        QString title;
        QList<SetupRemediation> remediations; // run in order
        bool continuesPastFailure = false;
    };

    SetupActionProgressModel(Request request, FixStarter starter,
                             std::shared_ptr<ClipboardWriting> clipboard,
                             std::shared_ptr<URLOpening> urlOpener, QObject* parent = nullptr);
    ~SetupActionProgressModel() override;

    // The starter of the live sheet: `runner.run`.
    static FixStarter starterFor(SetupRemediationRunner runner);

    const Request& request() const { return request_; }
    // Everything the fixes printed, in order; only ever appended to.
    const QStringList& lines() const { return lines_; }
    // `lines` through the install-output filter, kept up to date a batch at a time.
    const QStringList& shownLines() const { return shownLines_; }
    // Set once when the run ends without being canceled: the first failure's code, else 0.
    std::optional<qint32> exitCode() const { return exitCode_; }
    bool isCanceled() const { return canceled_; }
    bool isRunning() const { return !exitCode_ && !canceled_; }
    const QSet<QString>& failedIDs() const { return failedIDs_; }

    // Runs the list; a second call does nothing.
    void start();
    // "Cancel": stops the fix being run, starts nothing more and reports `canceled` at once.
    void cancel();
    // "Continue": reports how the run ended. Does nothing while it runs.
    void continueOn();

Q_SIGNALS:
    // Running → finished or canceled.
    void changed();
    // `shownLines` grew.
    void linesAdded();
    // The one outcome of the sheet; never emitted twice.
    void finished(SetupActionOutcome outcome);

private:
    using Run = StepRun<Event>;

    Run::Step step(const SetupRemediation& fix, const QString& reason) const;
    bool beforeFix(qsizetype index);
    void take(std::vector<Event>& events);
    void handle(const Event& event, QStringList& pending);
    // Moves `pending` into the log; announceLines() then signals what was added.
    void flushLines(QStringList& pending);
    void announceLines();
    void fixEnded(qsizetype index, StepEnd end);
    void runEnded(Run::End end);
    void report(SetupActionOutcome outcome);

    Request request_;
    FixStarter starter_;
    std::shared_ptr<ClipboardWriting> clipboard_;
    std::shared_ptr<URLOpening> urlOpener_;

    QStringList lines_;
    QStringList shownLines_;
    InstallOutputFilter::Incremental filter_;
    std::optional<qint32> exitCode_;
    bool canceled_ = false;
    bool started_ = false;
    bool reported_ = false;
    bool linesToAnnounce_ = false;

    // The run's own state.
    std::unique_ptr<Run> run_;
    QSet<QString> failedIDs_;
    qint32 overallExitCode_ = 0;
    // The last code of the fix being run.
    qint32 lastExitCode_ = -1;
};

} // namespace tovr
