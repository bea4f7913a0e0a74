#include "platform/StreamedChild.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

bool StreamedChild::take(const ProcessStreamEvent& event) {
    if (const auto* line = event.as<ProcessStreamEvent::Line>()) {
        if (onLine_)
            onLine_(line->text);
        return false;
    }
    if (const auto* exited = event.as<ProcessStreamEvent::Exited>()) {
        outcome_.exitCode = exited->code;
        return true;
    }
    if (const auto* failed = event.as<ProcessStreamEvent::FailedToStart>()) {
        outcome_.exitCode = -1;
        outcome_.startFailure = failed->message;
        return true;
    }
    return false;
}

StreamedChild::Outcome StreamedChild::read(EventStream<ProcessStreamEvent> events,
                                           const LineHandler& onLine) {
    StreamedChild child(onLine);
    while (auto event = events.next())
        if (child.take(*event))
            break;
    return child.outcome();
}

StreamedChild::Outcome StreamedChild::run(ProcessRunning& process, const QString& executable,
                                          const QStringList& arguments,
                                          const std::optional<ProcessEnvironment>& environment,
                                          CancellableProcess* latch, const LineHandler& onLine) {
    auto cancellation = std::make_shared<LiveProcessCancellation>();
    if (latch) {
        if (latch->isCanceled())
            return {};
        latch->registerHandle(cancellation);
    }
    return read(process.stream(executable, arguments, environment, cancellation), onLine);
}

} // namespace tovr
