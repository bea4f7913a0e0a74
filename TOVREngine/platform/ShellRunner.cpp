#include "platform/ShellRunner.h"

#include "platform/Error.h"
#include "platform/LineSplitter.h"
#include "platform/LiveProcessCancellation.h"
#include "platform/StreamedChild.h"
#include "platform/TextTrimming.h"

namespace tovr {

EventStream<StreamEvent>
ShellRunner::stream(const QString& executable, const QStringList& arguments,
                    const std::optional<ProcessEnvironment>& environment) const {
    auto handle = std::make_shared<LiveProcessCancellation>();
    auto inner = process->stream(executable, arguments, environment, handle);
    auto [outer, continuation] = EventStream<StreamEvent>::make();

    // Translated on the producer's thread as each event arrives; no thread of our own.
    auto child = std::make_shared<StreamedChild>(
        [continuation](const QString& line) { continuation.yield(StreamEvent::output(line)); });
    auto cancelInner = std::move(inner).forEach(
        [continuation, executable, child](const ProcessStreamEvent& event) {
            if (!child->take(event))
                return;
            const auto& outcome = child->outcome();
            if (outcome.startFailure)
                continuation.yield(StreamEvent::output(QStringLiteral("Failed to start ") +
                                                       executable + QStringLiteral(": ") +
                                                       *outcome.startFailure));
            continuation.yield(StreamEvent::completed(outcome.exitCode));
            continuation.finish();
        },
        [continuation] { continuation.finish(); });

    continuation.onTermination([handle, cancelInner](StreamTermination) {
        handle->cancel();
        cancelInner();
    });
    return std::move(outer);
}

ProcessResult ShellRunner::runInLoginShell(const QString& command,
                                           CancellableProcess* latch) const {
    return runUnderLatch(*process, QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command},
                         latch);
}

QStringList ShellRunner::pathEntries(const QString& tool) const {
    try {
        const auto result = runInLoginShell(QStringLiteral("/usr/bin/which -a ") + tool);
        if (result.exitCode != 0)
            return {};
        QStringList entries;
        for (const QString& line : splitTextLines(result.stdout_)) {
            const QString entry = trimHorizontalWhitespace(line);
            if (!entry.isEmpty())
                entries << entry;
        }
        return entries;
    } catch (const Error&) {
        return {};
    }
}

} // namespace tovr
