#pragma once

#include "platform/CancellableProcess.h"
#include "platform/ProcessRunning.h"

#include <functional>
#include <optional>

namespace tovr {

// The one way a streamed child is read: its lines go to the caller as they come, and its
// end is an exit code or the reason it could not start. Callers word their own failures.
class StreamedChild {
public:
    using LineHandler = std::function<void(const QString&)>;

    struct Outcome {
        // -1 when the child did not start or ended without reporting an exit.
        qint32 exitCode = -1;
        // Why the child could not start; absent when it started (or was never tried).
        std::optional<QString> startFailure;
    };

    explicit StreamedChild(LineHandler onLine) : onLine_(std::move(onLine)) {}

    // Takes the child's next event; true once that event ended the child's run. For a
    // consumer that is handed the events one at a time.
    bool take(const ProcessStreamEvent& event);
    const Outcome& outcome() const { return outcome_; }

    // Reads `events` to their end. Blocks.
    static Outcome read(EventStream<ProcessStreamEvent> events, const LineHandler& onLine);

    // Starts `executable` as the current child of `latch` (when there is one) and reads it
    // to its end; a canceled latch starts nothing. Blocks.
    static Outcome run(ProcessRunning& process, const QString& executable,
                       const QStringList& arguments,
                       const std::optional<ProcessEnvironment>& environment,
                       CancellableProcess* latch, const LineHandler& onLine);

private:
    LineHandler onLine_;
    Outcome outcome_;
};

} // namespace tovr
