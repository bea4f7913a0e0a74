#include "services/StreamedLoginShell.h"

#include "platform/StreamedChild.h"

namespace tovr {

qint32 runStreamedLoginShell(ProcessRunning& process, const QString& command,
                             const std::function<void(const QString&)>& onLine,
                             CancellableProcess* latch) {
    const auto outcome =
        StreamedChild::run(process, QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command},
                           std::nullopt, latch, onLine);
    if (outcome.startFailure && onLine)
        onLine(QStringLiteral("Failed to start: ") + *outcome.startFailure);
    return outcome.exitCode;
}

} // namespace tovr
