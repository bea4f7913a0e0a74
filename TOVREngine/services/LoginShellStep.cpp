#include "services/LoginShellStep.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

qint32 LoginShellStep::run(const QString& command, CancellableProcess& latch,
                           const std::function<void(const QString&)>& onLine) const {
    auto handle = std::make_shared<LiveProcessCancellation>();
    latch.registerHandle(handle);
    auto events = process->stream(shell, {QStringLiteral("-lc"), command}, environment, handle);
    qint32 code = -1;
    while (auto event = events.next()) {
        if (auto* line = event->as<ProcessStreamEvent::Line>()) {
            onLine(line->text);
        } else if (auto* exited = event->as<ProcessStreamEvent::Exited>()) {
            code = exited->code;
        } else if (auto* failed = event->as<ProcessStreamEvent::FailedToStart>()) {
            onLine(QStringLiteral("Failed to start: ") + failed->message);
            return -1;
        }
    }
    return code;
}

} // namespace tovr
