#pragma once

#include "platform/ShellRunner.h"
#include "platform/WorkerTask.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QObject;

namespace tovr {

// Checks a Java fix the way a newly opened terminal sees it: `java -version` and the value
// of JAVA_HOME, each asked of a fresh login shell, both at once.
class Verifier {
public:
    struct Result {
        // What `java -version` printed, its error output included; empty when the shell
        // could not start.
        QString javaVersionOutput;
        // The shell's exit status; -1 when it could not start.
        qint32 javaVersionExitCode = 0;
        // JAVA_HOME in a fresh login shell, trimmed; absent when unset, blank or unknown.
        std::optional<QString> javaHomeValue;

        bool isPassing(bool requireJavaHome) const;
        bool operator==(const Result&) const = default;
    };

    explicit Verifier(ShellRunner shell) : shell(std::move(shell)) {}

    // Blocks until both shells have ended; never throws. Cancelling `task` ends both shells
    // (the result is then meaningless). Keep it off the GUI thread.
    Result verify(WorkerTask* task = nullptr) const;

    // Runs verify() on a worker and hands the result to `done` on the GUI thread. When
    // `receiver` is destroyed, or the returned task is canceled, both shells are ended and
    // `done` is never called; shutdown ends them too. Call on the GUI thread.
    std::shared_ptr<WorkerTask> verifyInBackground(QObject* receiver,
                                                   std::function<void(Result)> done) const;

    ShellRunner shell;
};

} // namespace tovr
