#include "workflow/SetupActionProgressModel.h"

#include "model/ProductConfig.h"
#include "model/SetupFixKind.h"
#include "platform/ReleaseOnWorker.h"
#include "platform/WorkerTask.h"
#include "telemetry/TelemetryText.h"
#include "telemetry/UsageEventCatalogue.h"

#include <QUrl>

#include <utility>

namespace tovr {

namespace {

// The usage event a fix sends once it succeeded, if its kind has one.
void sendSuccessEvent(const SetupRemediation& fix) {
    const QString name = QString::fromLatin1(SetupFixKind::of(fix.kind()).successEvent);
    if (name.isEmpty())
        return;
    if (const auto* repair = fix.as<SetupRemediation::RepairPath>())
        sendUsageEvent({name, {{QStringLiteral("directory"), redactHomePath(repair->directory)}}});
    else
        sendUsageEvent({name, {{QStringLiteral("method"), fix.analyticsKey()}}});
}

} // namespace

SetupActionProgressModel::SetupActionProgressModel(Request request, FixStarter starter,
                                                   std::shared_ptr<ClipboardWriting> clipboard,
                                                   std::shared_ptr<URLOpening> urlOpener,
                                                   QObject* parent)
    : QObject(parent), request_(std::move(request)), starter_(std::move(starter)),
      clipboard_(std::move(clipboard)), urlOpener_(std::move(urlOpener)) {}

SetupActionProgressModel::~SetupActionProgressModel() {
    // Stops the fix being run before the log goes.
    run_.reset();
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
    if (std::exchange(started_, true) || !isRunning())
        return;
    const ProductConfig config = ProductConfig::current();
    const QString defaultReason =
        config.spinePolicy.privilegedActionReason.value_or(config.displayName);
    std::vector<Run::Step> steps;
    for (const SetupRemediation& fix : request_.remediations)
        steps.push_back(
            step(fix, config.spinePolicy.privilegedReasons.value(fix.id(), defaultReason)));
    Run::Handlers handlers;
    handlers.items = [this](std::vector<Event>& events) { take(events); };
    handlers.delivered = [this] { announceLines(); };
    handlers.beforeStep = [this](qsizetype index) { return beforeFix(index); };
    handlers.afterStep = [this](qsizetype index, StepEnd end) { fixEnded(index, end); };
    handlers.ended = [this](Run::End end) { runEnded(end); };
    run_ = std::make_unique<Run>(std::move(steps),
                                 request_.continuesPastFailure ? Run::OnFailure::goOn
                                                               : Run::OnFailure::stop,
                                 std::move(handlers));
    run_->start();
}

// One fix: its stream from the starter, on the step's worker; a stream that ends without a
// completion (or a fix that could not even start) failed with -1.
SetupActionProgressModel::Run::Step SetupActionProgressModel::step(const SetupRemediation& fix,
                                                                   const QString& reason) const {
    return [starter = starter_, fix, reason](const Run::Context& context) {
        qint32 code = -1;
        bool canceled = false;
        context.consume([&] { return starter(fix, reason); },
                        [&](Event event) {
                            if (const auto* done = event.as<Event::Completed>())
                                code = done->exitCode;
                            else if (event.as<Event::Canceled>())
                                canceled = true;
                            context.send(std::move(event));
                        });
        if (canceled)
            return StepEnd::canceled;
        return code == 0 ? StepEnd::succeeded : StepEnd::failed;
    };
}

bool SetupActionProgressModel::beforeFix(qsizetype index) {
    const SetupRemediation& fix = request_.remediations.at(index);
    const auto needs = SetupFixKind::of(fix.kind()).dependsOn;
    if (needs && failedIDs_.contains(SetupRemediation::ofKind(*needs).id())) {
        QStringList skip{QStringLiteral("Skipping ") + fix.title() +
                         QStringLiteral(" — it needs a step that didn't finish.")};
        flushLines(skip);
        announceLines();
        return false;
    }
    trackSetupRemediationApplied(fix);
    lastExitCode_ = -1;
    return true;
}

void SetupActionProgressModel::take(std::vector<Event>& events) {
    QStringList pending;
    for (const Event& event : events)
        handle(event, pending);
    flushLines(pending);
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

void SetupActionProgressModel::fixEnded(qsizetype index, StepEnd end) {
    const SetupRemediation& fix = request_.remediations.at(index);
    if (end == StepEnd::canceled)
        return; // the runner gave up (a refused password): no failure, nothing more runs
    if (lastExitCode_ != 0) {
        sendUsageEvent(
            setupRemediationFailedEvent(fix, lastExitCode_, QStringLiteral("nonzero_exit")));
        failedIDs_.insert(fix.id());
        if (overallExitCode_ == 0)
            overallExitCode_ = lastExitCode_;
    } else {
        trackSetupRemediationCompleted(fix, 0);
        sendSuccessEvent(fix);
    }
}

void SetupActionProgressModel::runEnded(Run::End end) {
    if (canceled_)
        return;
    if (end == Run::End::canceled)
        canceled_ = true;
    else
        exitCode_ = overallExitCode_;
    Q_EMIT changed();
}

void SetupActionProgressModel::cancel() {
    if (!isRunning())
        return;
    // The fix's stream may still deliver a completion, a failure or its end: the run has
    // left it, so none of that is counted, sent or followed by another fix.
    canceled_ = true;
    if (run_)
        run_->cancel();
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
