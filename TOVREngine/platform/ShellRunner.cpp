#include "platform/ShellRunner.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

EventStream<StreamEvent>
ShellRunner::stream(const QString& executable, const QStringList& arguments,
                    const std::optional<ProcessEnvironment>& environment) const {
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto inner = process->stream(executable, arguments, environment, handle);
    auto [outer, continuation] = EventStream<StreamEvent>::make();

    // Translated on the producer's thread as each event arrives; no thread of our own.
    auto cancelInner = std::move(inner).forEach(
        [continuation, executable](ProcessStreamEvent event) {
            if (auto* line = event.as<ProcessStreamEvent::Line>()) {
                continuation.yield(StreamEvent::output(line->text));
            } else if (auto* exited = event.as<ProcessStreamEvent::Exited>()) {
                continuation.yield(StreamEvent::completed(exited->code));
                continuation.finish();
            } else if (auto* failed = event.as<ProcessStreamEvent::FailedToStart>()) {
                continuation.yield(StreamEvent::output(QStringLiteral("Failed to start ") +
                                                       executable + QStringLiteral(": ") +
                                                       failed->message));
                continuation.yield(StreamEvent::completed(-1));
                continuation.finish();
            }
        },
        [continuation] { continuation.finish(); });

    continuation.onTermination([handle, cancelInner](StreamTermination) {
        handle->cancel();
        cancelInner();
    });
    return std::move(outer);
}

} // namespace tovr
