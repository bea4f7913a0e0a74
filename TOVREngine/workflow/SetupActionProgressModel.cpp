#include "workflow/SetupActionProgressModel.h"

#include "model/ProductConfig.h"
#include "platform/ReleaseOnWorker.h"
#include "telemetry/TelemetryText.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QUrl>

#include <algorithm>
#include <deque>
#include <mutex>
#include <utility>

namespace tovr {

// One fix's hand-over from its stream's thread to the GUI thread. The stream pushes; the
// first push of a burst posts one call to the model; the model takes the whole burst.
// Closing it (Cancel, or the model going away) drops everything that still arrives and
// cancels the stream, whose termination stops the runner's child.
struct SetupActionProgressModel::FixRun {
    SetupRemediation fix;
    SetupActionProgressModel* model = nullptr; // only dereferenced on the GUI thread

    std::mutex lock;
    std::deque<std::optional<Event>> queue; // absent: the stream ended
    std::deque<std::optional<Event>> taken; // moved out of `queue`; GUI thread only
    bool callPosted = false;
    bool closed = false;
    std::function<void()> cancelStream;
    std::shared_ptr<WorkerTask> task;

    explicit FixRun(SetupRemediation fix) : fix(std::move(fix)) {}

    void push(std::optional<Event> item, const std::shared_ptr<FixRun>& self) {
        std::lock_guard guard(lock);
        if (closed)
            return;
        queue.push_back(std::move(item));
        if (callPosted)
            return;
        callPosted = true;
        // Posted under the lock: the model closes the run under it before it goes, and a
        // call already posted to it is discarded with it.
        QMetaObject::invokeMethod(
            model, [model = model, self] { model->deliver(self); }, Qt::QueuedConnection);
    }

    // The stream's cancel handle, once the worker has it; used at once when closed already.
    void adopt(std::function<void()> cancel) {
        {
            std::lock_guard guard(lock);
            if (!closed) {
                cancelStream = std::move(cancel);
                return;
            }
        }
        if (cancel)
            cancel();
    }

    // GUI thread. Never cancels under the lock: the stream's delivery lock is taken first.
    void close() {
        std::function<void()> cancel;
        {
            std::lock_guard guard(lock);
            if (closed)
                return;
            closed = true;
            queue.clear();
            taken.clear();
            cancel = std::move(cancelStream);
        }
        if (cancel)
            cancel();
        if (task)
            task->cancel();
    }
};

SetupActionProgressModel::SetupActionProgressModel(Request request, FixStarter starter,
                                                   std::shared_ptr<ClipboardWriting> clipboard,
                                                   std::shared_ptr<URLOpening> urlOpener,
                                                   QObject* parent)
    : QObject(parent), request_(std::move(request)), starter_(std::move(starter)),
      clipboard_(std::move(clipboard)), urlOpener_(std::move(urlOpener)) {}

SetupActionProgressModel::~SetupActionProgressModel() {
    leaveFix();
    releaseOnWorker(std::move(lines_));
    releaseOnWorker(std::move(shownLines_));
}

SetupActionProgressModel::FixStarter
SetupActionProgressModel::starterFor(SetupRemediationRunner runner) {
    return [runner = std::move(runner)](const SetupRemediation& fix, const QString& reason) {
        return runner.run(fix, reason);
    };
}

void SetupActionProgressModel::start() {
    if (started_)
        return;
    started_ = true;
    const ProductConfig config = ProductConfig::current();
    defaultReason_ = config.spinePolicy.privilegedActionReason.value_or(config.displayName);
    runNext();
}

void SetupActionProgressModel::runNext() {
    if (!isRunning())
        return;
    while (next_ < request_.remediations.size()) {
        const SetupRemediation& fix = request_.remediations.at(next_);
        using Kind = SetupRemediation::Kind;
        const bool needsMise = fix.kind() == Kind::installNodeViaMise ||
                               fix.kind() == Kind::installRubyViaMise ||
                               fix.kind() == Kind::installRustViaMise;
        if (needsMise && failedIDs_.contains(SetupRemediation::installMise().id())) {
            QStringList skip{QStringLiteral("Skipping ") + fix.title() +
                             QStringLiteral(" — it needs a step that didn't finish.")};
            flushLines(skip);
            announceLines();
            ++next_;
            continue;
        }
        launch(fix);
        return;
    }
    exitCode_ = overallExitCode_;
    Q_EMIT changed();
}

void SetupActionProgressModel::launch(const SetupRemediation& fix) {
    trackSetupRemediationApplied(fix);
    const QString reason =
        ProductConfig::current().spinePolicy.privilegedReasons.value(fix.id(), defaultReason_);
    lastExitCode_ = -1;
    fixCanceled_ = false;

    auto run = std::make_shared<FixRun>(fix);
    run->model = this;
    run->task = WorkerTask::make();
    current_ = run;
    WorkerTask::launch(run->task, [run, starter = starter_, reason](WorkerTask&) {
        std::function<void()> cancel;
        try {
            auto stream = starter(run->fix, reason);
            cancel =
                std::move(stream).forEach([run](Event event) { run->push(std::move(event), run); },
                                          [run] { run->push(std::nullopt, run); });
        } catch (const std::exception&) {
            // A fix that could not even start ends like a stream without a completion.
            run->push(std::nullopt, run);
        }
        run->adopt(std::move(cancel));
    });
}

void SetupActionProgressModel::deliver(const std::shared_ptr<FixRun>& run) {
    if (run != current_)
        return;
    QElapsedTimer clock;
    clock.start();
    const qint64 budget = std::chrono::nanoseconds(kBatchBudget).count();
    QStringList pending;
    bool ended = false;
    for (;;) {
        if (run->taken.empty()) {
            // Everything so far in one go, so the producer meets this lock once per call.
            std::lock_guard guard(run->lock);
            run->taken.swap(run->queue);
            if (run->taken.empty()) {
                run->callPosted = false;
                break;
            }
        }
        constexpr int kChunk = 256;
        for (int i = 0; i < kChunk && !run->taken.empty() && !ended; ++i) {
            std::optional<Event> item = std::move(run->taken.front());
            run->taken.pop_front();
            if (item)
                handle(*item, pending);
            else
                ended = true;
        }
        // Filtered inside the budget, a chunk at a time.
        flushLines(pending);
        if (ended)
            break;
        if (clock.nsecsElapsed() >= budget) {
            // The rest in a call of its own, after the event loop has had its turn.
            QMetaObject::invokeMethod(
                this, [this, run] { deliver(run); }, Qt::QueuedConnection);
            break;
        }
    }
    announceLines();
    if (ended)
        fixEnded();
}

void SetupActionProgressModel::handle(const Event& event, QStringList& pending) {
    if (const auto* output = event.as<Event::Output>()) {
        pending.append(output->text);
    } else if (const auto* done = event.as<Event::Completed>()) {
        lastExitCode_ = done->exitCode;
    } else if (const auto* open = event.as<Event::OpenBrowser>()) {
        flushLines(pending);
        if (open->code) {
            // The code is on the clipboard before the line that says so is shown.
            if (clipboard_)
                clipboard_->setText(*open->code);
            pending.append(QStringLiteral("Opened your browser. Your one-time code is ") +
                           *open->code +
                           QStringLiteral(" (copied to the clipboard) — paste it and authorize."));
        } else {
            pending.append(
                QStringLiteral("Opened your browser — follow the GitHub sign-in there."));
        }
        flushLines(pending);
        const QUrl url(open->url, QUrl::StrictMode);
        if (url.isValid() && !url.isRelative() && urlOpener_)
            urlOpener_->open(url);
    } else if (event.as<Event::Canceled>()) {
        fixCanceled_ = true;
    }
}

void SetupActionProgressModel::flushLines(QStringList& pending) {
    if (pending.isEmpty())
        return;
    const QStringList shown = filter_.feed(pending);
    lines_.append(pending);
    pending.clear();
    if (shown.isEmpty())
        return;
    shownLines_.append(shown);
    linesToAnnounce_ = true;
}

void SetupActionProgressModel::announceLines() {
    if (std::exchange(linesToAnnounce_, false))
        Q_EMIT linesAdded();
}

void SetupActionProgressModel::fixEnded() {
    const std::shared_ptr<FixRun> run = current_;
    current_.reset();
    const SetupRemediation& fix = run->fix;
    if (fixCanceled_) {
        // The runner gave up (a refused password): no failure, nothing more runs.
        canceled_ = true;
        Q_EMIT changed();
        return;
    }
    if (lastExitCode_ != 0) {
        sendUsageEvent(
            setupRemediationFailedEvent(fix, lastExitCode_, QStringLiteral("nonzero_exit")));
        failedIDs_.insert(fix.id());
        if (overallExitCode_ == 0)
            overallExitCode_ = lastExitCode_;
        if (!request_.continuesPastFailure) {
            exitCode_ = overallExitCode_;
            Q_EMIT changed();
            return;
        }
    } else {
        trackSetupRemediationCompleted(fix, 0);
        sendAgentEvent(fix);
    }
    ++next_;
    runNext();
}

void SetupActionProgressModel::sendAgentEvent(const SetupRemediation& fix) const {
    using Kind = SetupRemediation::Kind;
    switch (fix.kind()) {
    case Kind::installClaudeCLI:
        sendUsageEvent({QStringLiteral("claude_cli_installed"),
                        {{QStringLiteral("method"), QStringLiteral("brew")}}});
        break;
    case Kind::installClaudeDesktop:
        sendUsageEvent({QStringLiteral("claude_desktop_installed"),
                        {{QStringLiteral("method"), QStringLiteral("brew")}}});
        break;
    case Kind::repairPath:
        sendUsageEvent({QStringLiteral("claude_path_repaired"),
                        {{QStringLiteral("directory"),
                          redactHomePath(fix.as<SetupRemediation::RepairPath>()->directory)}}});
        break;
    default:
        break;
    }
}

void SetupActionProgressModel::leaveFix() {
    if (auto run = std::exchange(current_, nullptr))
        run->close();
}

void SetupActionProgressModel::cancel() {
    if (!isRunning())
        return;
    // The fix's stream may still deliver a completion, a failure or its end: the run has
    // left it, so none of that is counted, sent or followed by another fix.
    leaveFix();
    canceled_ = true;
    Q_EMIT changed();
    report(SetupActionOutcome::canceled);
}

void SetupActionProgressModel::continueOn() {
    if (isRunning())
        return;
    if (canceled_)
        report(SetupActionOutcome::canceled);
    else
        report(*exitCode_ == 0 ? SetupActionOutcome::success : SetupActionOutcome::failure);
}

void SetupActionProgressModel::report(SetupActionOutcome outcome) {
    if (reported_)
        return;
    reported_ = true;
    Q_EMIT finished(outcome);
}

} // namespace tovr
