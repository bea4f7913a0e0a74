#include "services/StreamedLoginShell.h"

#include "platform/LiveProcessCancellation.h"

namespace tovr {

qint32 runStreamedLoginShell(ProcessRunning& process, const QString& command,
                             const std::function<void(const QString&)>& onLine,
                             CancellableProcess* latch) {
    auto cancellation = std::make_shared<LiveProcessCancellation>();
    if (latch) {
        if (latch->isCanceled())
            return -1;
        latch->registerHandle(cancellation);
    }
    auto events = process.stream(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command},
                                 std::nullopt, cancellation);
    qint32 code = -1;
    while (auto event = events.next()) {
        if (const auto* line = event->as<ProcessStreamEvent::Line>()) {
            if (onLine)
                onLine(line->text);
        } else if (const auto* exited = event->as<ProcessStreamEvent::Exited>()) {
            code = exited->code;
        } else if (const auto* failed = event->as<ProcessStreamEvent::FailedToStart>()) {
            if (onLine)
                onLine(QStringLiteral("Failed to start: ") + failed->message);
            return -1;
        }
    }
    return code;
}

} // namespace tovr
